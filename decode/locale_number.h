#pragma once

#include <optional>
#include <string_view>

/// The value that text-to-number conversions return on failure. A text "parses" when its
/// conversion does not give this value, so the text -999999 itself never parses.
inline constexpr double kConversionFailure = -999999.0;

/// Converts a decimal number written with the given decimal separator: optional blanks (any
/// character up to the space) around it, an optional sign, digits with at most one decimal
/// separator (at least one digit in all), and an optional exponent "E"/"e" with an optional
/// sign and at least one digit. No thousand separators. Out-of-range values fail.
/// Allocates nothing for texts up to 255 characters.
std::optional<double> textToFloat(std::string_view text, char decimalSeparator);

/// textToFloat, or defaultValue when the text does not convert.
double strToFloatDef(std::string_view text, double defaultValue, char decimalSeparator);
