#include "files/text_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <limits>
#include <vector>

#include "decode/integer_text.h"

namespace {

constexpr std::array<LogField, 5> kWrittenTexts = {LogField::Time, LogField::DcAc, LogField::Value,
                                                   LogField::Unit, LogField::Auto};

bool isTrimmed(char c) {
    return static_cast<unsigned char>(c) <= 32;
}
// Byte 0 never reaches the tokenizer: it ends the text.
bool isSeparator(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isTrimmed(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isTrimmed(text.back()))
        text.remove_suffix(1);
    return text;
}

// A quoted token starting at text[0] == '"'. Returns the token and sets `used` to the number of
// characters consumed. Without a closing quote the token is the rest of the line minus its
// last character.
std::string unquote(std::string_view text, std::size_t& used) {
    std::string token;
    std::size_t i = 1;
    while (i < text.size()) {
        if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
                token.push_back('"');
                i += 2;
                continue;
            }
            used = i + 1;
            return token;
        }
        token.push_back(text[i]);
        ++i;
    }
    used = text.size();
    if (!token.empty()) token.pop_back();
    return token;
}

using Tokens = std::vector<std::optional<std::string>>;

// Blank-separated tokens: runs of codes 1 to 32 separate; a leading double quote quotes.
Tokens splitBlanks(std::string_view line) {
    Tokens tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        if (isSeparator(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == '"') {
            std::size_t used = 0;
            tokens.emplace_back(unquote(line.substr(i), used));
            i += used;
            continue;
        }
        const std::size_t start = i;
        while (i < line.size() && !isSeparator(line[i]))
            ++i;
        tokens.emplace_back(std::string(line.substr(start, i - start)));
    }
    return tokens;
}

// One token per TAB-separated piece, so that texts holding blanks ("3:15:30 PM") stay whole.
// A piece empty after trimming is a field without value.
Tokens splitTabs(std::string_view line) {
    Tokens tokens;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        const std::string_view piece = trim(line.substr(
            start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (piece.empty()) {
            tokens.emplace_back(std::nullopt);
        } else if (piece.front() == '"') {
            std::size_t used = 0;
            tokens.emplace_back(unquote(piece, used));
        } else {
            tokens.emplace_back(std::string(piece));
        }
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    while (!tokens.empty() && !tokens.back())
        tokens.pop_back();
    return tokens;
}

// The bytes each distinct pooled text contributes to a line: a TAB and the text trimmed, or
// "NULL" when nothing is left. Prepared once per save, so rows only copy bytes.
class PreparedTexts {
public:
    explicit PreparedTexts(const LogTable& table) {
        const std::size_t count = table.pooledTextCount();
        m_offset.reserve(count + 1);
        for (std::uint32_t id = 0; id < count; ++id) {
            m_offset.push_back(static_cast<std::uint32_t>(m_bytes.size()));
            appendField(table.pooledText(id));
        }
        m_offset.push_back(static_cast<std::uint32_t>(m_bytes.size()));
        m_nullAt = m_bytes.size();
        appendField({});
    }
    std::string_view field(std::optional<std::uint32_t> id) const {
        if (!id) return std::string_view(m_bytes).substr(m_nullAt);
        return std::string_view(m_bytes).substr(m_offset[*id], m_offset[*id + 1] - m_offset[*id]);
    }

private:
    // The format has no escapes, so TAB, CR, LF and NUL inside a text become blanks, which is
    // how the line's reader sees them anyway. A text that begins with a double quote would be
    // read as a quoted token, so it is written as one.
    void appendField(std::string_view text) {
        m_bytes.push_back('\t');
        text = trim(text);
        if (text.empty()) {
            m_bytes.append("NULL");
            return;
        }
        const bool quoted = text.front() == '"';
        if (quoted) m_bytes.push_back('"');
        for (const char c : text) {
            if (c == '\t' || c == '\r' || c == '\n' || c == '\0') {
                m_bytes.push_back(' ');
            } else {
                m_bytes.push_back(c);
                if (quoted && c == '"') m_bytes.push_back('"');
            }
        }
        if (quoted) m_bytes.push_back('"');
    }
    std::string m_bytes;
    std::vector<std::uint32_t> m_offset;
    std::size_t m_nullAt = 0;
};

}  // namespace

void writeTextTable(const LogTable& table, OutputBuffer& out) {
    out.append("No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n");
    const PreparedTexts prepared(table);
    // Lines are built straight into a block that goes out whole. One line is at most an integer,
    // five texts of up to 20 bytes (quoted: doubled quotes and two more) with their TABs, CR LF.
    constexpr std::size_t kMaxLine = 16 + 5 * (1 + 2 * kLogTextWidth + 2) + 2;
    std::array<char, 64 * 1024> block;
    char* const begin = block.data();
    char* const flushAt = begin + block.size() - kMaxLine;
    char* at = begin;
    const std::size_t rows = table.rowCount();
    for (std::size_t row = 0; row < rows; ++row) {
        if (at > flushAt) {
            out.append(std::string_view(begin, static_cast<std::size_t>(at - begin)));
            at = begin;
        }
        if (const auto no = table.No(row)) at = std::to_chars(at, at + 16, *no).ptr;
        for (const LogField field : kWrittenTexts) {
            const std::string_view bytes = prepared.field(table.textId(row, field));
            std::memcpy(at, bytes.data(), bytes.size());
            at += bytes.size();
        }
        *at++ = '\r';
        *at++ = '\n';
    }
    out.append(std::string_view(begin, static_cast<std::size_t>(at - begin)));
}

FileResult TableToTextFile(const LogTable& table, const std::string& fileName) {
    const auto failure = writeFileReplacing(fileName, [&table](OutputBuffer& out) {
        writeTextTable(table, out);
        return true;
    });
    if (!failure) return saveSucceeded(fileName);
    FileResult result;
    result.kind = FileMessageKind::Error;
    result.caption = "Error";
    result.message = "Could not save table to specified file: " + fileName;
    result.reason = *failure;
    return result;
}

std::optional<std::int32_t> parseTableInteger(std::string_view text, const NumberFormat& numbers) {
    return parseInt32(text, IntegerSyntax{.plusSign = true,
                                          .minusSign = true,
                                          .groupSeparator = numbers.thousandSeparator});
}

FileResult loadTextTable(std::string_view bytes, LogTable& table, const NumberFormat& numbers) {
    bytes = bytes.substr(0, bytes.find('\0'));
    if (bytes.empty()) return loadFailed(0, "the file holds no line");

    const LogTableUpdate update(table);
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", pos);
        const std::string_view line =
            bytes.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        if (end == std::string_view::npos) {
            pos = bytes.size();
        } else {
            pos =
                end +
                ((bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1);
        }
        ++lineNumber;
        if (lineNumber == 1) continue;  // the header, whatever it holds

        const Tokens tokens =
            line.find('\t') != std::string_view::npos ? splitTabs(line) : splitBlanks(line);
        if (tokens.empty()) continue;
        if (tokens.size() > kLogFieldCount) {
            return loadFailed(lineNumber, "more than seven fields");
        }
        LogRecord record;
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            if (!tokens[i]) continue;
            const LogField field = kLogFields[i];
            if (isIntegerField(field)) {
                const auto value = parseTableInteger(*tokens[i], numbers);
                if (!value) {
                    return loadFailed(lineNumber, "'" + *tokens[i] +
                                                      "' is not a valid integer for " +
                                                      std::string(logFieldName(field)));
                }
                record.integer(field) = *value;
            } else {
                record.text(field) = tokens[i]->substr(0, kLogTextWidth);
            }
        }
        table.append(record);
    }
    FileResult result;
    result.ok = true;
    return result;
}
