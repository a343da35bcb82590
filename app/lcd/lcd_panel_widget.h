#pragma once

#include <QFrame>
#include <QImage>
#include <QPolygonF>
#include <QRect>

#include <array>
#include <cstdint>
#include <string_view>

#include "decode/lcd_panel.h"

/// The LCD look-alike `Panel1`: a white 302 x 162 panel with a lowered bevel that draws an
/// LcdPanelState. Digits are seven-segment figures ("@" is the letter L, an empty caption is
/// blank); points are filled rectangles; every annunciator is drawn as its symbol in its own
/// rectangle, so each element can be checked on its own. Placed at (5, 36) in its parent.
/// GUI thread only.
class LcdPanelWidget : public QFrame {
public:
    explicit LcdPanelWidget(QWidget* parent = nullptr);

    /// Shows a new state; repaints only the elements that changed.
    void setPanelState(const LcdPanelState& state);
    const LcdPanelState& panelState() const { return m_state; }

    /// Where the element is drawn, in panel coordinates; empty for elements that draw nothing
    /// on the panel (the link pictures, captionless labels). Some lie outside the panel, as
    /// they do in the window's design, and are clipped.
    static QRect elementRect(LcdElement element);

    /// Segments lit for a digit caption: bit 0 = a (top), 1 = b, 2 = c, 3 = d, 4 = e, 5 = f,
    /// 6 = g (middle). Covers 0-9, the hex letters A-F, "-", "@" (L); anything else is blank.
    static std::uint8_t digitSegments(std::string_view caption);
    /// Outline of segment 0..6 inside a digit's rectangle; empty for other numbers.
    static QPolygonF segmentShape(const QRect& digit, int segment);

    static constexpr QRect kStartGeometry{5, 36, 302, 162};

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawElement(QPainter& painter, LcdElement element) const;

    LcdPanelState m_state;
    // LCDsend, LCDREL, LCDpower, EF
    std::array<QImage, 4> m_pictures;
};
