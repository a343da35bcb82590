#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

#include "decode/model_profile.h"

/// Every element of the LCD look-alike whose visibility the program sets.
/// The names are the elements' design names.
enum class LcdElement : std::uint8_t {
    // digits and sign
    LcdDa,
    LcdDb,
    LcdDc,
    LcdDd,
    LcdFH,
    // decimal points after digits 1, 2, 3
    LcdP1,
    LcdP2,
    LcdP3,
    // annunciators driven by the decoder
    LcdDc1,
    LcdAC,
    LcdAuto,
    LCDHold,
    LCDREL,
    Labmax,
    Labmin,
    LCDBATT,
    LCDn,
    LCDu,
    Lcdm,
    LCDk,
    LCDM1,
    LcdV,
    LCDA,
    LCDF,
    LCDohm,
    LCDHz,
    LCDBF,
    LCDCS,
    LCDFS,
    LCDDI,
    LCDFm,
    LCDsend,
    LcdRPM,
    LCDBT,
    EF,
    // elements nothing changes after start-up (hidden)
    LCDpower,
    LCDRec,
    LCDRS,
    LCD232C,
    LCDTRMS,
    LCDTRMST,
    LcdACDC,
    // link pictures in the limit panel
    CONok,
    CONokN,
    Count
};

inline constexpr std::size_t kLcdElementCount = static_cast<std::size_t>(LcdElement::Count);

/// The element's design name, e.g. "LcdDc1".
std::string_view lcdElementName(LcdElement element);

/// The full state of the LCD panel, its MIN/MAX strip and the link pictures, as a plain
/// value the window draws. Captions of the four digits hold the LCD font's characters
/// ("@" draws the letter L).
struct LcdPanelState {
    std::bitset<kLcdElementCount> visible;
    std::array<std::string, 4> digits;  ///< captions of LcdDa, LcdDb, LcdDc, LcdDd
    std::string MaxText, MinText;       ///< MIN/MAX strip texts
    std::string MaxTextU, MinTextU;     ///< their unit texts

    bool isVisible(LcdElement e) const { return visible.test(static_cast<std::size_t>(e)); }
    void setVisible(LcdElement e, bool on) { visible.set(static_cast<std::size_t>(e), on); }

    bool operator==(const LcdPanelState&) const = default;
};

/// The panel as the window shows it at start-up: minus sign and 5 9 9 9 (the profile may
/// change the first digit), no point, no annunciator, the dark link picture.
LcdPanelState startupPanel(const TModelProfile& profile);
