#include <gtest/gtest.h>

#include <QImage>
#include <QPainterPath>

#include <ostream>
#include <string>
#include <vector>

#include "app/lcd/lcd_panel_widget.h"
#include "app/lcd/link_lamp_widget.h"
#include "decode/model_profile.h"
#include "widgets_test_app.h"

namespace {

using E = LcdElement;

constexpr std::array kDigits = {E::LcdDa, E::LcdDb, E::LcdDc, E::LcdDd};

struct PanelCase {
    const char* name;
    std::array<const char*, 4> digits;
    std::vector<LcdElement> lit;  // besides the four digits
};

void PrintTo(const PanelCase& c, std::ostream* os) {
    *os << c.name;
}

// The middle of a segment's bar, away from its pointed ends and its anti-aliased edges:
// all ink when the segment is lit, none otherwise (neighbours only reach its ends).
QRect segmentCore(const QPolygonF& shape) {
    const QRectF box = shape.boundingRect();
    if (box.width() > box.height()) {
        return box.adjusted(box.width() / 4, 1.5, -box.width() / 4, -1.5).toRect();
    }
    return box.adjusted(1.5, box.height() / 4, -1.5, -box.height() / 4).toRect();
}

LcdPanelState stateOf(const PanelCase& c) {
    LcdPanelState s;
    for (std::size_t i = 0; i < 4; ++i)
        s.digits[i] = c.digits[i];
    for (LcdElement e : kDigits)
        s.setVisible(e, true);
    for (LcdElement e : c.lit)
        s.setVisible(e, true);
    return s;
}

LcdPanelState everythingLit() {
    LcdPanelState s;
    s.digits = {"8", "8", "8", "8"};
    s.visible.set();
    return s;
}

QImage render(const LcdPanelState& state) {
    widgetsTestApp();
    LcdPanelWidget panel;
    panel.setPanelState(everythingLit());  // what was shown before must not linger
    panel.setPanelState(state);
    EXPECT_EQ(panel.panelState(), state);
    return panel.grab().toImage();
}

class LcdPanelDrawing : public testing::TestWithParam<PanelCase> {};

// Every lit element leaves ink in its own rectangle; an unlit one leaves none, unless a lit
// element shares its place. Digits are checked segment by segment.
TEST_P(LcdPanelDrawing, InkOnlyWhereElementsAreLit) {
    const LcdPanelState state = stateOf(GetParam());
    const QImage image = render(state);
    const QRect panelArea = image.rect().adjusted(2, 2, -2, -2);  // inside the bevel

    for (std::size_t i = 0; i < kLcdElementCount; ++i) {
        const auto e = static_cast<LcdElement>(i);
        const QRect r = LcdPanelWidget::elementRect(e).intersected(panelArea);
        if (r.isEmpty()) continue;
        const std::string name(lcdElementName(e));
        if (i < kDigits.size()) {
            const std::uint8_t segments = LcdPanelWidget::digitSegments(state.digits[i]);
            for (int s = 0; s < 7; ++s) {
                const QRect core = segmentCore(LcdPanelWidget::segmentShape(r, s));
                const int expected = (segments & (1U << s)) != 0 ? core.width() * core.height() : 0;
                EXPECT_EQ(darkPixels(image, core), expected) << name << " segment " << s;
            }
            continue;
        }
        if (state.isVisible(e)) {
            EXPECT_GT(darkPixels(image, r), 4) << name << " is lit but not drawn";
            continue;
        }
        bool shared = false;
        for (std::size_t j = 0; j < kLcdElementCount; ++j) {
            const auto other = static_cast<LcdElement>(j);
            shared = shared || (j != i && state.isVisible(other) &&
                                LcdPanelWidget::elementRect(other).intersects(r));
        }
        if (!shared) {
            EXPECT_EQ(darkPixels(image, r), 0) << name << " is drawn while unlit";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    States, LcdPanelDrawing,
    testing::Values(
        PanelCase{"StartUp", {"5", "9", "9", "9"}, {E::LcdFH, E::CONokN}},
        PanelCase{"DcAutoVoltPointTwo",
                  {"0", "1", "2", "3"},
                  {E::LcdP2, E::LcdDc1, E::LcdAuto, E::LcdV, E::LCDsend, E::CONok}},
        PanelCase{"KiloOhm", {"4", "5", "6", "7"}, {E::LCDohm, E::LCDk, E::LCDsend}},
        PanelCase{"DiodeWithVolt", {"0", "5", "8", "1"}, {E::LCDDI, E::LcdV, E::LcdP1}},
        PanelCase{"OverloadBlankZeroLBlank", {"", "0", "@", ""}, {E::LcdP1, E::LCDHold}},
        PanelCase{"AcMicroAmpereRelativeMinMax",
                  {"A", "B", "C", "D"},
                  {E::LcdAC, E::LCDu, E::LCDA, E::LCDREL, E::Labmax, E::Labmin, E::LCDBATT}},
        PanelCase{"CelsiusContinuityHertz",
                  {"E", "F", "-", " "},
                  {E::LCDCS, E::LCDFm, E::LCDHz, E::LCDBF, E::LcdP3, E::EF, E::LcdRPM}},
        PanelCase{"FahrenheitMegaNanoFarad",
                  {"9", "8", "7", "6"},
                  {E::LCDFS, E::LCDM1, E::LCDn, E::LCDF, E::LCDBT, E::LCDpower, E::LcdACDC}}),
    [](const testing::TestParamInfo<PanelCase>& p) { return std::string(p.param.name); });

TEST(LcdPanelDrawing, EveryElementOnThePanelDrawsSomething) {
    const QImage image = render(everythingLit());
    for (std::size_t i = kDigits.size(); i < kLcdElementCount; ++i) {
        const auto e = static_cast<LcdElement>(i);
        const QRect r = LcdPanelWidget::elementRect(e).intersected(image.rect());
        if (r.isEmpty()) continue;
        EXPECT_GT(darkPixels(image, r), 4) << lcdElementName(e);
    }
}

TEST(LcdPanelDrawing, StartUpPanelOfTheBuildShowsMinusAndDigits) {
    const TModelProfile profile = buildModelProfile(kBuildModelFlags);
    const QImage image = render(startupPanel(profile));
    EXPECT_GT(darkPixels(image, LcdPanelWidget::elementRect(E::LcdFH)), 100);
    EXPECT_EQ(darkPixels(image, LcdPanelWidget::elementRect(E::LcdP1)), 0);
}

struct SegmentCase {
    const char* name;
    const char* caption;
    std::uint8_t segments;  // gfedcba
};

void PrintTo(const SegmentCase& c, std::ostream* os) {
    *os << c.name;
}

class DigitSegments : public testing::TestWithParam<SegmentCase> {};

TEST_P(DigitSegments, MatchTheMeterFigure) {
    EXPECT_EQ(LcdPanelWidget::digitSegments(GetParam().caption), GetParam().segments);
}

INSTANTIATE_TEST_SUITE_P(
    Captions, DigitSegments,
    testing::Values(SegmentCase{"Zero", "0", 0b0111111}, SegmentCase{"One", "1", 0b0000110},
                    SegmentCase{"Two", "2", 0b1011011}, SegmentCase{"Three", "3", 0b1001111},
                    SegmentCase{"Four", "4", 0b1100110}, SegmentCase{"Five", "5", 0b1101101},
                    SegmentCase{"Six", "6", 0b1111101}, SegmentCase{"Seven", "7", 0b0000111},
                    SegmentCase{"Eight", "8", 0b1111111}, SegmentCase{"Nine", "9", 0b1101111},
                    SegmentCase{"AtIsLetterL", "@", 0b0111000}, SegmentCase{"Empty", "", 0},
                    SegmentCase{"Blank", " ", 0}, SegmentCase{"TwoCharacters", "12", 0},
                    SegmentCase{"Unknown", "?", 0}),
    [](const testing::TestParamInfo<SegmentCase>& p) { return std::string(p.param.name); });

// The segments fill the digit's rectangle edge to edge, a "1" reaches from the top bar to the
// bottom bar, and no two segments touch.
TEST(DigitSegments, FillTheDigitWithoutTouching) {
    const QRect digit = LcdPanelWidget::elementRect(E::LcdDa);
    QRectF all;
    for (int a = 0; a < 7; ++a) {
        const QPolygonF shape = LcdPanelWidget::segmentShape(digit, a);
        ASSERT_FALSE(shape.isEmpty()) << a;
        all = all.united(shape.boundingRect());
        QPainterPath pathA;
        pathA.addPolygon(shape);
        for (int b = a + 1; b < 7; ++b) {
            QPainterPath pathB;
            pathB.addPolygon(LcdPanelWidget::segmentShape(digit, b));
            EXPECT_FALSE(pathA.intersects(pathB)) << a << " and " << b;
        }
    }
    EXPECT_EQ(all.toAlignedRect(), digit);
    const QRectF one = LcdPanelWidget::segmentShape(digit, 1).boundingRect().united(
        LcdPanelWidget::segmentShape(digit, 2).boundingRect());
    EXPECT_LE(one.top(), LcdPanelWidget::segmentShape(digit, 0).boundingRect().center().y() + 1);
    EXPECT_GE(one.bottom(), LcdPanelWidget::segmentShape(digit, 3).boundingRect().center().y() - 1);
    EXPECT_TRUE(LcdPanelWidget::segmentShape(digit, 7).isEmpty());
}

TEST(LinkLamp, ShowsTheLitPictureOnlyWhilePacketsArrive) {
    widgetsTestApp();
    const TModelProfile profile = buildModelProfile(kBuildModelFlags);
    LcdPanelState state = startupPanel(profile);
    LinkLampWidget lamp;
    lamp.setPanelState(state);
    EXPECT_TRUE(lamp.notOkShown());
    EXPECT_FALSE(lamp.okShown());
    // The meter's screen sits top left in both pictures: lit green, or dark.
    const QColor dark = lamp.grab().toImage().pixelColor(5, 6);
    EXPECT_LT(qGray(dark.rgb()), 80);

    state.setVisible(E::CONok, true);
    state.setVisible(E::CONokN, false);
    lamp.setPanelState(state);
    EXPECT_TRUE(lamp.okShown());
    EXPECT_FALSE(lamp.notOkShown());
    const QColor lit = lamp.grab().toImage().pixelColor(5, 6);
    EXPECT_GT(lit.green(), 180);
    EXPECT_LT(lit.red(), 140);
}

}  // namespace
