#include "decode/lcd_panel.h"

namespace {

constexpr std::array<std::string_view, kLcdElementCount> kNames = {
    "LcdDa",    "LcdDb",   "LcdDc",   "LcdDd",    "LcdFH",  "LcdP1",  "LcdP2",   "LcdP3",
    "LcdDc1",   "LcdAC",   "LcdAuto", "LCDHold",  "LCDREL", "Labmax", "Labmin",  "LCDBATT",
    "LCDn",     "LCDu",    "Lcdm",    "LCDk",     "LCDM1",  "LcdV",   "LCDA",    "LCDF",
    "LCDohm",   "LCDHz",   "LCDBF",   "LCDCS",    "LCDFS",  "LCDDI",  "LCDFm",   "LCDsend",
    "LcdRPM",   "LCDBT",   "EF",      "LCDpower", "LCDRec", "LCDRS",  "LCD232C", "LCDTRMS",
    "LCDTRMST", "LcdACDC", "CONok",   "CONokN",
};
// A missing name would leave the last entries empty rather than fail to compile.
static_assert(!kNames.back().empty(), "every panel element needs its name");

}  // namespace

std::string_view lcdElementName(LcdElement element) {
    return kNames[static_cast<std::size_t>(element)];
}

LcdPanelState startupPanel(const TModelProfile& profile) {
    LcdPanelState s;
    s.digits[0] = profile.FirstDigitCaption ? *profile.FirstDigitCaption : std::string("5");
    // Characters rather than literals: GCC 12 at -O2 warns falsely (-Wrestrict) on assigning a
    // literal to a fresh string.
    for (std::size_t i = 1; i < s.digits.size(); ++i)
        s.digits[i].assign(1, '9');
    for (LcdElement e : {LcdElement::LcdDa, LcdElement::LcdDb, LcdElement::LcdDc, LcdElement::LcdDd,
                         LcdElement::LcdFH, LcdElement::CONokN}) {
        s.setVisible(e, true);
    }
    s.MinText = profile.MinCaption;
    s.MaxText = profile.MaxCaption;
    s.MinTextU.assign(1, '*');
    s.MaxTextU.assign(1, '*');
    return s;
}
