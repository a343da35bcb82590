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

}  // namespace

std::string_view lcdElementName(LcdElement element) {
    return kNames[static_cast<std::size_t>(element)];
}

LcdPanelState startupPanel(const TModelProfile& profile) {
    LcdPanelState s;
    s.digits = {profile.FirstDigitCaption.value_or("5"), "9", "9", "9"};
    for (LcdElement e : {LcdElement::LcdDa, LcdElement::LcdDb, LcdElement::LcdDc, LcdElement::LcdDd,
                         LcdElement::LcdFH, LcdElement::CONokN}) {
        s.setVisible(e, true);
    }
    s.MinText = profile.MinCaption;
    s.MaxText = profile.MaxCaption;
    s.MinTextU = "*";
    s.MaxTextU = "*";
    return s;
}
