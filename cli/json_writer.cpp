#include "cli/json_writer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "files/code_page.h"

namespace {

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
                if (byte < 0x20 || byte >= 0x80) {
                    appendUnicodeEscape(cp1252ToCodePoint(byte), out);
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
