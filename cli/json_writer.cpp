#include "cli/json_writer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

// Unicode characters of code page 1252 bytes 0x80 to 0x9F. The five bytes the code page leaves
// undefined map to the C1 control of the same value, as the platform's conversion does.
constexpr std::array<std::uint16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUnicodeEscape(std::uint16_t codeUnit, std::string& out) {
    constexpr char kHex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(codeUnit >> shift) & 0xF];
}

}  // namespace

void appendJsonString(std::string_view text, std::string& out) {
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20) {
                    appendUnicodeEscape(byte, out);
                } else if (byte >= 0xA0) {
                    appendUnicodeEscape(byte, out);  // Latin-1 range: code point = byte
                } else if (byte >= 0x80) {
                    appendUnicodeEscape(kCp1252High[byte - 0x80], out);
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

void appendJsonNumber(double value, std::string& out) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    std::array<char, 32> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (ec != std::errc{}) {
        out += "null";
        return;
    }
    out.append(buffer.data(), end);
}

void JsonObjectWriter::startMember(std::string_view key) {
    if (m_text.size() > 1) m_text += ',';
    appendJsonString(key, m_text);
    m_text += ':';
}

void JsonObjectWriter::add(std::string_view key, std::string_view text) {
    startMember(key);
    appendJsonString(text, m_text);
}

void JsonObjectWriter::add(std::string_view key, double number) {
    startMember(key);
    appendJsonNumber(number, m_text);
}

void JsonObjectWriter::add(std::string_view key, const std::vector<std::string_view>& texts) {
    startMember(key);
    m_text += '[';
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) m_text += ',';
        appendJsonString(texts[i], m_text);
    }
    m_text += ']';
}
