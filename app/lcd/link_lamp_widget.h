#pragma once

#include <QImage>
#include <QWidget>

#include "decode/lcd_panel.h"

/// The link pictures of the limit panel: `CONok` (25 x 24, the meter's screen lit) while
/// packets arrive, `CONokN` (25 x 20, screen dark) otherwise. Both share one place; the
/// widget draws whichever the panel state shows. Placed at (310, 13) in its parent (the
/// limits panel). GUI thread only.
class LinkLampWidget : public QWidget {
public:
    explicit LinkLampWidget(QWidget* parent = nullptr);

    /// Takes the CONok / CONokN visibility from the state; repaints on a change.
    void setPanelState(const LcdPanelState& state);
    bool okShown() const { return m_ok; }
    bool notOkShown() const { return m_notOk; }

    static constexpr QRect kStartGeometry{310, 13, 25, 24};

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_ok = false;
    bool m_notOk = true;
    QImage m_okPicture, m_notOkPicture;
};
