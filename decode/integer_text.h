#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

/// The forms an integer text may take besides plain decimal digits (leading zeros included).
struct IntegerSyntax {
    bool plusSign = false;  ///< a leading '+' is accepted
    bool minusSign = true;  ///< a leading '-' is accepted
    /// When set (and not a digit), the digits may instead be grouped by threes with this
    /// character: "1,234,567", the first group of 1 to 3 digits, every later one of exactly 3.
    char groupSeparator = '\0';
};

/// Converts a whole text holding a decimal integer within [minimum, maximum]. Nothing else is
/// allowed: no blanks, no second sign, no fraction or exponent. std::nullopt when the text does
/// not convert or lies outside the range. Allocates nothing; any thread.
std::optional<std::int64_t> parseInteger(std::string_view text, std::int64_t minimum,
                                         std::int64_t maximum, const IntegerSyntax& syntax = {});

/// parseInteger within the range of a 32-bit signed integer.
std::optional<std::int32_t> parseInt32(std::string_view text, const IntegerSyntax& syntax = {});
