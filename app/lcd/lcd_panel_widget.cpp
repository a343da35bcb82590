#include "app/lcd/lcd_panel_widget.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include "app/lcd/jpeg_image.h"

namespace {

enum class Kind : std::uint8_t {
    None,
    Digit,
    Minus,
    Point,
    Text,
    Hold,
    Picture,
    Battery,
    Beeper,
    Diode,
    Wireless,
};

struct Look {
    LcdElement element;
    QRect rect;
    Kind kind;
    const char* text = "";  // UTF-8; for pictures the picture's name
    int fontPixels = 0;
    bool bold = false;
};

using E = LcdElement;

// Positions follow the window's design; the rectangles are the space each symbol takes.
// Elements that share a place in the design (DC/AC, diode/beeper, the prefixes, the units)
// share it here too: the meter never lights them together.
constexpr std::array<Look, kLcdElementCount> kLooks = {{
    {E::LcdDa, QRect(43, 36, 34, 85), Kind::Digit},
    {E::LcdDb, QRect(90, 36, 34, 85), Kind::Digit},
    {E::LcdDc, QRect(138, 36, 34, 85), Kind::Digit},
    {E::LcdDd, QRect(186, 36, 34, 85), Kind::Digit},
    {E::LcdFH, QRect(7, 74, 28, 8), Kind::Minus},
    {E::LcdP1, QRect(79, 113, 7, 8), Kind::Point},
    {E::LcdP2, QRect(127, 113, 7, 8), Kind::Point},
    {E::LcdP3, QRect(176, 113, 9, 8), Kind::Point},
    {E::LcdDc1, QRect(5, 46, 30, 20), Kind::Text, "DC", 17, true},
    {E::LcdAC, QRect(6, 46, 30, 20), Kind::Text, "AC", 17, true},
    {E::LcdAuto, QRect(56, 131, 84, 18), Kind::Text, "Auto range", 14, true},
    {E::LCDHold, QRect(4, 100, 36, 16), Kind::Hold, "HOLD", 11, true},
    {E::LCDREL, QRect(129, 10, 24, 24), Kind::Picture, "LCDREL"},
    {E::Labmax, QRect(52, 16, 38, 18), Kind::Text, "MAX", 15, true},
    {E::Labmin, QRect(92, 16, 36, 18), Kind::Text, "MIN", 15, true},
    {E::LCDBATT, QRect(258, 2, 36, 16), Kind::Battery},
    {E::LCDn, QRect(208, 12, 22, 20), Kind::Text, "n", 20, false},
    {E::LCDu, QRect(208, 12, 22, 20), Kind::Text, "\u00b5", 20, false},
    {E::Lcdm, QRect(208, 12, 22, 20), Kind::Text, "m", 20, false},
    {E::LCDk, QRect(236, 80, 22, 20), Kind::Text, "k", 20, false},
    {E::LCDM1, QRect(236, 80, 22, 20), Kind::Text, "M", 18, false},
    {E::LcdV, QRect(232, 12, 20, 20), Kind::Text, "V", 20, false},
    {E::LCDA, QRect(232, 12, 20, 20), Kind::Text, "A", 20, false},
    {E::LCDF, QRect(232, 12, 20, 20), Kind::Text, "F", 20, false},
    {E::LCDohm, QRect(262, 80, 24, 20), Kind::Text, "\u03a9", 19, false},
    {E::LCDHz, QRect(248, 102, 36, 20), Kind::Text, "Hz", 20, false},
    {E::LCDBF, QRect(250, 38, 22, 18), Kind::Text, "%", 18, false},
    {E::LCDCS, QRect(238, 58, 26, 18), Kind::Text, "\u00b0C", 17, false},
    {E::LCDFS, QRect(266, 58, 26, 18), Kind::Text, "\u00b0F", 17, false},
    {E::LCDDI, QRect(176, 8, 28, 24), Kind::Diode},
    {E::LCDFm, QRect(176, 8, 28, 24), Kind::Beeper},
    {E::LCDsend, QRect(5, 4, 36, 29), Kind::Picture, "LCDsend"},
    {E::LcdRPM, QRect(166, 131, 38, 18), Kind::Text, "RPM", 14, true},
    {E::LCDBT, QRect(230, 102, 16, 20), Kind::Wireless},
    {E::EF, QRect(153, 9, 24, 25), Kind::Picture, "EF"},
    {E::LCDpower, QRect(261, 10, 28, 29), Kind::Picture, "LCDpower"},
    {E::LCDRec, QRect(8, 211, 12, 22), Kind::Text, "!", 20, true},
    {E::LCDRS, QRect(190, 187, 60, 16), Kind::Text, "Connect", 12, false},
    {E::LCD232C, QRect(), Kind::None},
    {E::LCDTRMS, QRect(), Kind::None},
    {E::LCDTRMST, QRect(), Kind::None},
    {E::LcdACDC, QRect(5, 46, 30, 20), Kind::Text, "AC", 17, true},
    {E::CONok, QRect(), Kind::None},
    {E::CONokN, QRect(), Kind::None},
}};

constexpr bool looksInEnumOrder() {
    for (std::size_t i = 0; i < kLooks.size(); ++i) {
        if (static_cast<std::size_t>(kLooks[i].element) != i) return false;
    }
    return true;
}
static_assert(looksInEnumOrder(), "one look per element, in the order of LcdElement");

const Look& lookOf(LcdElement e) {
    return kLooks[static_cast<std::size_t>(e)];
}

constexpr std::array<const char*, 4> kPictureNames = {"LCDsend", "LCDREL", "LCDpower", "EF"};

int pictureIndex(std::string_view name) {
    for (std::size_t i = 0; i < kPictureNames.size(); ++i) {
        if (name == kPictureNames[i]) return static_cast<int>(i);
    }
    return -1;
}

const QColor kInk(0, 0, 0);

QFont lcdFont(int pixels, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void drawDigit(QPainter& p, const QRect& r, std::uint8_t segments) {
    for (int s = 0; s < 7; ++s) {
        if ((segments & (1U << s)) == 0) continue;
        QPainterPath path;
        path.addPolygon(LcdPanelWidget::segmentShape(r, s));
        path.closeSubpath();
        p.fillPath(path, kInk);
    }
}

void drawBattery(QPainter& p, const QRect& r) {
    const QRectF body(r.left() + 1.5, r.top() + 2.5, r.width() - 7.0, r.height() - 5.0);
    p.setPen(QPen(kInk, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(body);
    p.fillRect(QRectF(body.right() + 1, body.center().y() - 3, 3, 6), kInk);
    p.fillRect(QRectF(body.left() + 3, body.top() + 3, body.width() / 4, body.height() - 6), kInk);
}

// A loudspeaker with two sound arcs: the continuity beeper.
void drawBeeper(QPainter& p, const QRect& r) {
    const double cy = r.center().y() + 0.5;
    const double x = r.left() + 2;
    QPainterPath speaker;
    speaker.moveTo(x, cy - 4);
    speaker.lineTo(x + 5, cy - 4);
    speaker.lineTo(x + 11, cy - 10);
    speaker.lineTo(x + 11, cy + 10);
    speaker.lineTo(x + 5, cy + 4);
    speaker.lineTo(x, cy + 4);
    speaker.closeSubpath();
    p.fillPath(speaker, kInk);
    p.setPen(QPen(kInk, 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(x + 6, cy - 7, 10, 14), -50 * 16, 100 * 16);
    p.drawArc(QRectF(x + 6, cy - 11, 18, 22), -50 * 16, 100 * 16);
}

// A diode: a triangle pointing at a bar, on a line.
void drawDiode(QPainter& p, const QRect& r) {
    const double cy = r.center().y() + 0.5;
    const double l = r.left() + 2, rt = r.right() - 1;
    p.setPen(QPen(kInk, 2));
    p.drawLine(QPointF(l, cy), QPointF(rt, cy));
    QPainterPath triangle;
    triangle.moveTo(l + 7, cy - 8);
    triangle.lineTo(l + 17, cy);
    triangle.lineTo(l + 7, cy + 8);
    triangle.closeSubpath();
    p.fillPath(triangle, kInk);
    p.drawLine(QPointF(l + 18, cy - 8), QPointF(l + 18, cy + 8));
}

void drawWireless(QPainter& p, const QRect& r) {
    const QPointF base(r.left() + 3, r.center().y() + 0.5);
    p.setPen(QPen(kInk, 2));
    p.setBrush(kInk);
    p.drawEllipse(base, 2, 2);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(base.x() - 6, base.y() - 6, 12, 12), -45 * 16, 90 * 16);
    p.drawArc(QRectF(base.x() - 11, base.y() - 11, 22, 22), -45 * 16, 90 * 16);
}

}  // namespace

LcdPanelWidget::LcdPanelWidget(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Panel1"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setGeometry(kStartGeometry);
    setFixedSize(kStartGeometry.size());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    for (std::size_t i = 0; i < kPictureNames.size(); ++i) {
        m_pictures[i] = loadPicture(QString::fromLatin1(kPictureNames[i]));
    }
}

void LcdPanelWidget::setPanelState(const LcdPanelState& state) {
    if (state == m_state) return;
    QRegion dirty;
    for (std::size_t i = 0; i < kLcdElementCount; ++i) {
        const auto e = static_cast<LcdElement>(i);
        bool changed = state.isVisible(e) != m_state.isVisible(e);
        if (i < m_state.digits.size()) changed = changed || state.digits[i] != m_state.digits[i];
        if (changed) dirty += elementRect(e);
    }
    m_state = state;
    if (!dirty.isEmpty()) update(dirty);
}

QRect LcdPanelWidget::elementRect(LcdElement element) {
    if (element == LcdElement::Count) return {};
    return lookOf(element).rect;
}

std::uint8_t LcdPanelWidget::digitSegments(std::string_view caption) {
    if (caption.size() != 1) return 0;
    //                  abcdefg as bits 0..6
    switch (caption[0]) {
        case '0':
            return 0b0111111;
        case '1':
            return 0b0000110;
        case '2':
            return 0b1011011;
        case '3':
            return 0b1001111;
        case '4':
            return 0b1100110;
        case '5':
            return 0b1101101;
        case '6':
            return 0b1111101;
        case '7':
            return 0b0000111;
        case '8':
            return 0b1111111;
        case '9':
            return 0b1101111;
        case 'A':
            return 0b1110111;
        case 'B':
            return 0b1111100;  // b
        case 'C':
            return 0b0111001;
        case 'D':
            return 0b1011110;  // d
        case 'E':
            return 0b1111001;
        case 'F':
            return 0b1110001;
        case '-':
            return 0b1000000;
        case '@':
            return 0b0111000;  // L
        default:
            return 0;
    }
}

QPolygonF LcdPanelWidget::segmentShape(const QRect& digit, int segment) {
    // Each segment is a bar along one edge (or the middle) of the digit's rectangle with
    // pointed ends: neighbouring segments meet at the corners along a diagonal, a small gap
    // apart, as on the meter's glass. A "1" thus spans the full height of the digit.
    constexpr double kStroke = 7;
    constexpr double kHalf = kStroke / 2;
    constexpr double kGap = 1;
    const double left = digit.left() + kHalf, right = digit.left() + digit.width() - kHalf;
    const double top = digit.top() + kHalf, bottom = digit.top() + digit.height() - kHalf;
    const double middle = digit.top() + digit.height() / 2.0;
    const auto across = [](double y, double x0, double x1) {
        x0 += kGap;
        x1 -= kGap;
        return QPolygonF({{x0, y},
                          {x0 + kHalf, y - kHalf},
                          {x1 - kHalf, y - kHalf},
                          {x1, y},
                          {x1 - kHalf, y + kHalf},
                          {x0 + kHalf, y + kHalf}});
    };
    const auto down = [](double x, double y0, double y1) {
        y0 += kGap;
        y1 -= kGap;
        return QPolygonF({{x, y0},
                          {x + kHalf, y0 + kHalf},
                          {x + kHalf, y1 - kHalf},
                          {x, y1},
                          {x - kHalf, y1 - kHalf},
                          {x - kHalf, y0 + kHalf}});
    };
    switch (segment) {
        case 0:
            return across(top, left, right);
        case 1:
            return down(right, top, middle);
        case 2:
            return down(right, middle, bottom);
        case 3:
            return across(bottom, left, right);
        case 4:
            return down(left, middle, bottom);
        case 5:
            return down(left, top, middle);
        case 6:
            return across(middle, left, right);
        default:
            return {};
    }
}

void LcdPanelWidget::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    for (std::size_t i = 0; i < kLcdElementCount; ++i) {
        const auto e = static_cast<LcdElement>(i);
        if (!m_state.isVisible(e)) continue;
        const QRect r = elementRect(e);
        if (r.isEmpty() || !event->rect().intersects(r)) continue;
        painter.save();
        painter.setClipRect(r);
        drawElement(painter, e);
        painter.restore();
    }
}

void LcdPanelWidget::drawElement(QPainter& painter, LcdElement element) const {
    const Look& look = lookOf(element);
    const QRect& r = look.rect;
    switch (look.kind) {
        case Kind::None:
            break;
        case Kind::Digit:
            drawDigit(painter, r, digitSegments(m_state.digits[static_cast<std::size_t>(element)]));
            break;
        case Kind::Minus:
        case Kind::Point:
            painter.fillRect(r, kInk);
            break;
        case Kind::Text:
            painter.setPen(kInk);
            painter.setFont(lcdFont(look.fontPixels, look.bold));
            painter.drawText(r, Qt::AlignCenter, QString::fromUtf8(look.text));
            break;
        case Kind::Hold:
            painter.setPen(QPen(kInk, 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(QRectF(r).adjusted(1, 1, -1, -1), 3, 3);
            painter.setFont(lcdFont(look.fontPixels, look.bold));
            painter.drawText(r, Qt::AlignCenter, QString::fromUtf8(look.text));
            break;
        case Kind::Picture: {
            const int index = pictureIndex(look.text);
            const QImage& image = m_pictures[static_cast<std::size_t>(index)];
            if (!image.isNull()) painter.drawImage(r, image);
            break;
        }
        case Kind::Battery:
            drawBattery(painter, r);
            break;
        case Kind::Beeper:
            drawBeeper(painter, r);
            break;
        case Kind::Diode:
            drawDiode(painter, r);
            break;
        case Kind::Wireless:
            drawWireless(painter, r);
            break;
    }
}
