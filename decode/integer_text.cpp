#include "decode/integer_text.h"

#include <limits>

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<std::int64_t> parseInteger(std::string_view text, std::int64_t minimum,
                                         std::int64_t maximum, const IntegerSyntax& syntax) {
    bool negative = false;
    if (!text.empty() &&
        ((text.front() == '+' && syntax.plusSign) || (text.front() == '-' && syntax.minusSign))) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    const char group = syntax.groupSeparator;
    const bool grouped =
        group != '\0' && !isDigit(group) && text.find(group) != std::string_view::npos;
    // Accumulated as a negative number, whose range reaches the int64 minimum.
    constexpr std::int64_t kLowest = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    std::size_t digitsInGroup = 0;
    bool firstGroup = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (grouped && c == group) {
            const bool sizeOk =
                firstGroup ? digitsInGroup >= 1 && digitsInGroup <= 3 : digitsInGroup == 3;
            if (!sizeOk || i + 1 == text.size()) return std::nullopt;
            digitsInGroup = 0;
            firstGroup = false;
            continue;
        }
        if (!isDigit(c)) return std::nullopt;
        const int digit = c - '0';
        if (value < (kLowest + digit) / 10) return std::nullopt;
        value = value * 10 - digit;
        ++digitsInGroup;
    }
    if (grouped && digitsInGroup != 3) return std::nullopt;
    if (!negative) {
        if (value == kLowest) return std::nullopt;
        value = -value;
    }
    if (value < minimum || value > maximum) return std::nullopt;
    return value;
}

std::optional<std::int32_t> parseInt32(std::string_view text, const IntegerSyntax& syntax) {
    const auto value = parseInteger(text, std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max(), syntax);
    if (!value) return std::nullopt;
    return static_cast<std::int32_t>(*value);
}
