#include "json_line.h"

#include <cctype>
#include <charconv>

namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    std::optional<JsonObject> object() {
        JsonObject result;
        if (!take('{')) return std::nullopt;
        if (take('}')) return atEnd() ? std::optional(result) : std::nullopt;
        do {
            auto key = string();
            if (!key || !take(':')) return std::nullopt;
            auto value = this->value();
            if (!value || result.contains(*key)) return std::nullopt;
            result.emplace(std::move(*key), std::move(*value));
        } while (take(','));
        if (!take('}') || !atEnd()) return std::nullopt;
        return result;
    }

private:
    std::optional<JsonValue> value() {
        skipBlanks();
        if (peek() == '"') {
            auto s = string();
            if (!s) return std::nullopt;
            return JsonValue(std::move(*s));
        }
        if (take('[')) {
            std::vector<std::string> list;
            if (take(']')) return JsonValue(list);
            do {
                auto s = string();
                if (!s) return std::nullopt;
                list.push_back(std::move(*s));
            } while (take(','));
            if (!take(']')) return std::nullopt;
            return JsonValue(list);
        }
        return number();
    }

    std::optional<JsonValue> number() {
        skipBlanks();
        std::size_t end = m_pos;
        while (end < m_text.size() &&
               (std::isdigit(static_cast<unsigned char>(m_text[end])) || m_text[end] == '-' ||
                m_text[end] == '+' || m_text[end] == '.' || m_text[end] == 'e' ||
                m_text[end] == 'E')) {
            ++end;
        }
        double v = 0;
        const auto [ptr, ec] = std::from_chars(m_text.data() + m_pos, m_text.data() + end, v);
        if (end == m_pos || ec != std::errc{} || ptr != m_text.data() + end) return std::nullopt;
        m_pos = end;
        return JsonValue(v);
    }

    std::optional<std::string> string() {
        skipBlanks();
        if (peek() != '"') return std::nullopt;
        ++m_pos;
        std::string s;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"') return s;
            if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
            if (c != '\\') {
                s += c;
                continue;
            }
            if (m_pos >= m_text.size()) return std::nullopt;
            const char e = m_text[m_pos++];
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    s += e;
                    break;
                case 'n':
                    s += '\n';
                    break;
                case 'r':
                    s += '\r';
                    break;
                case 't':
                    s += '\t';
                    break;
                case 'b':
                    s += '\b';
                    break;
                case 'f':
                    s += '\f';
                    break;
                case 'u': {
                    if (m_pos + 4 > m_text.size()) return std::nullopt;
                    unsigned cp = 0;
                    const auto [ptr, ec] =
                        std::from_chars(m_text.data() + m_pos, m_text.data() + m_pos + 4, cp, 16);
                    if (ec != std::errc{} || ptr != m_text.data() + m_pos + 4) return std::nullopt;
                    m_pos += 4;
                    appendUtf8(cp, s);
                    break;
                }
                default:
                    return std::nullopt;
            }
        }
        return std::nullopt;
    }

    static void appendUtf8(unsigned cp, std::string& s) {
        if (cp < 0x80) {
            s += static_cast<char>(cp);
        } else if (cp < 0x800) {
            s += static_cast<char>(0xC0 | (cp >> 6));
            s += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            s += static_cast<char>(0xE0 | (cp >> 12));
            s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    void skipBlanks() {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t'))
            ++m_pos;
    }
    char peek() const { return m_pos < m_text.size() ? m_text[m_pos] : '\0'; }
    bool take(char c) {
        skipBlanks();
        if (peek() != c) return false;
        ++m_pos;
        return true;
    }
    bool atEnd() {
        skipBlanks();
        return m_pos == m_text.size();
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

}  // namespace

std::optional<JsonObject> parseJsonLine(std::string_view line) {
    return Reader(line).object();
}
