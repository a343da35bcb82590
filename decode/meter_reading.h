#pragma once

#include <array>
#include <string>
#include <string_view>

/// The current reading, overwritten by every decoded packet.
/// Texts are 8-bit code-page bytes; unit texts use the LCD font's symbol characters
/// ("*" ohm, "#" degree Celsius, "?" degree Fahrenheit).
struct TMeterReading {
    std::string ValueText;      ///< as displayed, with the locale's decimal separator
    std::string FunctionText;   ///< "DC", "AC", "Diode", "CTN", "OHM", "CAP", "TMP", "Freq",
                                ///< "DutyCycle" or empty
    std::string UnitText;       ///< "V", "mV", "k*", "#", "Hz", "kHz", ... or empty
    std::string RangeModeText;  ///< "AUTO" or "MANU"
    std::string JudgeText;      ///< "pass" or "Fail"; empty until the first verdict
    double NumericValue = 0.0;  ///< the value in the unit of UnitText
};

/// Every FunctionText a decoded packet can give besides the empty text.
inline constexpr std::array<std::string_view, 9> kFunctionTexts = {
    "DC", "AC", "Diode", "CTN", "OHM", "CAP", "TMP", "Freq", "DutyCycle"};
/// Every UnitText a decoded packet can give besides the empty text.
inline constexpr std::array<std::string_view, 21> kUnitTexts = {
    "V",  "nV", "mV", "uV", "A", "nA", "mA", "uA",  "F",   "nF", "mF",
    "uF", "*",  "k*", "M*", "#", "?",  "Hz", "kHz", "MHz", "%"};
