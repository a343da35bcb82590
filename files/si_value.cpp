#include "files/si_value.h"

#include <array>

namespace {

struct UnitEntry {
    std::string_view text;
    UnitMeaning meaning;
};

// The unit texts of decoded readings. The ohm is U+03A9: Unicode makes the compatibility
// character U+2126 OHM SIGN canonically equivalent to it, and normalising tools turn one into
// the other, so U+03A9 is the one that compares equal everywhere.
constexpr std::array<UnitEntry, 22> kUnits = {{
    {"", {"", 0, ""}},
    {"V", {"V", 0, "V"}},
    {"nV", {"V", -9, "nV"}},
    {"mV", {"V", -3, "mV"}},
    {"uV", {"V", -6, "\u00B5V"}},
    {"A", {"A", 0, "A"}},
    {"nA", {"A", -9, "nA"}},
    {"mA", {"A", -3, "mA"}},
    {"uA", {"A", -6, "\u00B5A"}},
    {"F", {"F", 0, "F"}},
    {"nF", {"F", -9, "nF"}},
    {"mF", {"F", -3, "mF"}},
    {"uF", {"F", -6, "\u00B5F"}},
    {"*", {"\u03A9", 0, "\u03A9"}},
    {"k*", {"\u03A9", 3, "k\u03A9"}},
    {"M*", {"\u03A9", 6, "M\u03A9"}},
    {"#", {"\u00B0C", 0, "\u00B0C"}},
    {"?", {"\u00B0F", 0, "\u00B0F"}},
    {"Hz", {"Hz", 0, "Hz"}},
    {"kHz", {"Hz", 3, "kHz"}},
    {"MHz", {"Hz", 6, "MHz"}},
    {"%", {"%", 0, "%"}},
}};

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isSeparator(char c) {
    return c == '.' || c == ',';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<UnitMeaning> unitMeaning(std::string_view unitText) {
    for (const UnitEntry& entry : kUnits) {
        if (entry.text == unitText) return entry.meaning;
    }
    return std::nullopt;
}

bool isOverloadText(std::string_view valueText) {
    std::string_view text = trimmed(valueText);
    if (!text.empty() && isSeparator(text.front())) text.remove_prefix(1);
    if (text.empty() || text.front() != '0') return false;
    text.remove_prefix(1);
    if (!text.empty() && isSeparator(text.front())) text.remove_prefix(1);
    if (text.empty() || text.front() != 'L') return false;
    text.remove_prefix(1);
    if (!text.empty() && isSeparator(text.front())) text.remove_prefix(1);
    return text.empty();
}

std::optional<std::string> scaledDecimalText(std::string_view valueText, int exponent) {
    std::string_view text = trimmed(valueText);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // The digits without the separator, and how many of them followed it.
    std::string digits;
    digits.reserve(text.size());
    bool separatorSeen = false;
    long fractionDigits = 0;
    for (const char c : text) {
        if (isDigit(c)) {
            digits.push_back(c);
            if (separatorSeen) ++fractionDigits;
        } else if (isSeparator(c) && !separatorSeen) {
            separatorSeen = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits.empty()) return std::nullopt;

    const std::size_t firstSignificant = digits.find_first_not_of('0');
    if (firstSignificant == std::string::npos) return std::string("0");
    digits.erase(0, firstSignificant);
    // value = digits x 10^shift
    const long shift = static_cast<long>(exponent) - fractionDigits;
    std::string out;
    if (negative) out.push_back('-');
    if (shift >= 0) {
        out += digits;
        out.append(static_cast<std::size_t>(shift), '0');
        return out;
    }
    const long integerDigits = static_cast<long>(digits.size()) + shift;
    std::string_view fraction;
    if (integerDigits > 0) {
        out.append(digits, 0, static_cast<std::size_t>(integerDigits));
        fraction = std::string_view(digits).substr(static_cast<std::size_t>(integerDigits));
    } else {
        out.push_back('0');
        fraction = digits;
    }
    while (!fraction.empty() && fraction.back() == '0')
        fraction.remove_suffix(1);
    if (fraction.empty()) return out;
    out.push_back('.');
    if (integerDigits < 0) out.append(static_cast<std::size_t>(-integerDigits), '0');
    out += fraction;
    return out;
}
