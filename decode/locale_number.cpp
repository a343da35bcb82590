#include "decode/locale_number.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace {

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Checks the grammar and writes the number in the C form ("." separator, no "+") to out.
// False when the text is not a number.
template <typename Out>
bool normalise(std::string_view s, char sep, Out& out) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') out.push_back('-');
        ++i;
    }
    std::size_t digits = 0;
    bool seenSeparator = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (isDigit(c)) {
            out.push_back(c);
            ++digits;
        } else if (c == sep && !seenSeparator) {
            out.push_back('.');
            seenSeparator = true;
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        out.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) out.push_back(s[i++]);
        std::size_t expDigits = 0;
        for (; i < s.size() && isDigit(s[i]); ++i, ++expDigits)
            out.push_back(s[i]);
        if (expDigits == 0) return false;
    }
    return i == s.size();
}

// A fixed buffer with the push_back the grammar needs; texts that do not fit go to a string.
struct SmallBuffer {
    static constexpr std::size_t kSize = 256;
    char data[kSize];
    std::size_t size = 0;
    bool overflow = false;
    void push_back(char c) {
        if (size < kSize) {
            data[size++] = c;
        } else {
            overflow = true;
        }
    }
};

std::optional<double> convert(const char* first, const char* last) {
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc{} || ptr != last || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> textToFloat(std::string_view text, char decimalSeparator) {
    const std::string_view s = trimmed(text);
    SmallBuffer small;
    if (!normalise(s, decimalSeparator, small)) return std::nullopt;
    if (!small.overflow) return convert(small.data, small.data + small.size);
    std::string big;
    normalise(s, decimalSeparator, big);
    return convert(big.data(), big.data() + big.size());
}

double strToFloatDef(std::string_view text, double defaultValue, char decimalSeparator) {
    return textToFloat(text, decimalSeparator).value_or(defaultValue);
}
