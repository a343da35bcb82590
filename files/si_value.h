#pragma once

#include <optional>
#include <string>
#include <string_view>

/// What a unit text of the log (the LCD font's symbols: "*" ohm, "#" degree Celsius, "?"
/// degree Fahrenheit, "u" micro) means for analysis tools. All texts are UTF-8.
struct UnitMeaning {
    std::string_view baseUnit;     ///< "V", "A", "Ω", "F", "Hz", "°C", "°F", "%" or "" (none)
    int exponent = 0;              ///< the prefix as a power of ten: -9 n, -6 u, -3 m, 3 k, 6 M
    std::string_view displayUnit;  ///< as the LCD shows it: "mV", "kΩ", "µF", "°C"
};

/// The meaning of a unit text a decoded reading can carry (and of the empty text, a reading
/// without unit), or std::nullopt for any other text (a file may hold anything).
std::optional<UnitMeaning> unitMeaning(std::string_view unitText);

/// True for the display text of an overload: the digit 0 and the letter L with at most the
/// decimal separator ("." or ",") around or between them, such as "0.L", "0,L", ".0L" or "0L".
bool isOverloadText(std::string_view valueText);

/// The display text (leading and trailing codes 0 to 32 ignored; an optional sign; digits with
/// at most one decimal separator, "." or ",") times ten to the `exponent`, as the shortest
/// exact decimal with "." as separator: ("4.700", 3) gives "4700", ("0.012", -3) "0.000012",
/// ("-05.99", 0) "-5.99", ("-0.000", 0) "0". Worked out on the digits, never through a binary
/// floating-point number, so no rounding can creep in. std::nullopt when the text is no number.
std::optional<std::string> scaledDecimalText(std::string_view valueText, int exponent);
