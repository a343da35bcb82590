#include "files/text_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <limits>
#include <new>
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

// One token of a line, viewed in place (a load makes no copy of a line or of its tokens). A
// quoted token views its content between the quotes, doubled quotes still doubled.
struct Token {
    std::string_view raw;
    bool quoted = false;
    bool present = false;  // false: an empty TAB piece, a field without value

    // The text a text field stores: the content, doubled quotes as one, cut to the field width.
    std::string text() const {
        std::string out;
        for (std::size_t i = 0; i < raw.size() && out.size() < kLogTextWidth; ++i) {
            out.push_back(raw[i]);
            if (quoted && raw[i] == '"') ++i;  // the second quote of a pair
        }
        return out;
    }
};

// A quoted token starting at text[0] == '"': it runs to the next double quote that is not
// doubled, and `used` is set past that quote. Without a closing quote the token is the rest of
// the text minus its last character (a doubled quote counts as one).
Token unquote(std::string_view text, std::size_t& used) {
    std::size_t i = 1;
    while (i < text.size()) {
        if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
                i += 2;
                continue;
            }
            used = i + 1;
            return {text.substr(1, i - 1), true, true};
        }
        ++i;
    }
    used = text.size();
    std::string_view rest = text.substr(std::min<std::size_t>(1, text.size()));
    // Every quote left in the rest is one of a pair, so a quote at its end closes a pair.
    if (!rest.empty()) rest.remove_suffix(rest.back() == '"' ? 2 : 1);
    return {rest, true, true};
}

// The tokens of a line: at most one per field. A line with more fails at the first token
// beyond them, so that its length costs no memory.
class LineTokens {
public:
    // False when the line holds more tokens than a record has fields.
    bool split(std::string_view line) {
        m_count = 0;
        return line.find('\t') != std::string_view::npos ? splitTabs(line) : splitBlanks(line);
    }
    std::size_t count() const { return m_count; }
    const Token& operator[](std::size_t i) const { return m_tokens[i]; }

private:
    // Blank-separated tokens: runs of codes 1 to 32 separate; a leading double quote quotes, and
    // characters right after the closing quote start a new token.
    bool splitBlanks(std::string_view line) {
        std::size_t i = 0;
        while (i < line.size()) {
            if (isSeparator(line[i])) {
                ++i;
                continue;
            }
            if (m_count == kLogFieldCount) return false;
            if (line[i] == '"') {
                std::size_t used = 0;
                m_tokens[m_count++] = unquote(line.substr(i), used);
                i += used;
                continue;
            }
            const std::size_t start = i;
            while (i < line.size() && !isSeparator(line[i]))
                ++i;
            m_tokens[m_count++] = {line.substr(start, i - start), false, true};
        }
        return true;
    }

    // One token per TAB-separated piece, so that texts holding blanks ("3:15:30 PM") stay whole.
    // A piece empty after trimming is a field without value; trailing ones do not count.
    bool splitTabs(std::string_view line) {
        std::size_t start = 0;
        for (std::size_t index = 0;; ++index) {
            const std::size_t tab = line.find('\t', start);
            const std::string_view piece = trim(line.substr(
                start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
            if (!piece.empty()) {
                if (index >= kLogFieldCount) return false;
                std::size_t used = 0;
                m_tokens[index] =
                    piece.front() == '"' ? unquote(piece, used) : Token{piece, false, true};
                m_count = index + 1;
            } else if (index < kLogFieldCount) {
                m_tokens[index] = Token{};
            }
            if (tab == std::string_view::npos) return true;
            start = tab + 1;
        }
    }

    std::array<Token, kLogFieldCount> m_tokens{};
    std::size_t m_count = 0;
};

// The integer of a token; a quoted token whose content holds a quote cannot be one.
std::optional<std::int32_t> tokenInteger(const Token& token, const NumberFormat& numbers) {
    if (token.quoted && token.raw.find('"') != std::string_view::npos) return std::nullopt;
    return parseTableInteger(token.raw, numbers);
}

// The bytes each distinct pooled text contributes to a line: a TAB and the text trimmed, or
// "NULL" when nothing is left. Prepared once per text, so rows only copy bytes; texts pooled
// after the last call are prepared by the next one.
class PreparedTexts {
public:
    PreparedTexts() { reset(); }
    void reset() {
        m_bytes.clear();
        m_offset.clear();
        appendField({});  // a field without value, at offset 0
        m_nullEnd = static_cast<std::uint32_t>(m_bytes.size());
        m_offset.push_back(m_nullEnd);
    }
    void extend(const LogTable& table) {
        for (std::size_t id = m_offset.size() - 1; id < table.pooledTextCount(); ++id) {
            appendField(table.pooledText(static_cast<std::uint32_t>(id)));
            m_offset.push_back(static_cast<std::uint32_t>(m_bytes.size()));
        }
    }
    std::string_view field(std::optional<std::uint32_t> id) const {
        if (!id) return std::string_view(m_bytes).substr(0, m_nullEnd);
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
    // m_offset[id] is where pooled text id begins, m_offset[id + 1] where it ends.
    std::vector<std::uint32_t> m_offset;
    std::uint32_t m_nullEnd = 0;
};

}  // namespace

struct TextRowFormat::Prepared {
    PreparedTexts texts;
    std::uint64_t generation = 0;
    bool used = false;
};

TextRowFormat::TextRowFormat() : m_prepared(std::make_unique<Prepared>()) {}
TextRowFormat::~TextRowFormat() = default;

void TextRowFormat::writeHeader(OutputBuffer& out) {
    out.append("No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n");
}

void TextRowFormat::writeRows(const LogTable& table, std::size_t first, std::size_t last,
                              OutputBuffer& out) {
    Prepared& prepared = *m_prepared;
    if (prepared.used && prepared.generation != table.generation()) prepared.texts.reset();
    prepared.used = true;
    prepared.generation = table.generation();
    prepared.texts.extend(table);
    // Lines are built straight into a block that goes out whole. One line is at most an integer,
    // five texts of up to 20 bytes (quoted: doubled quotes and two more) with their TABs, CR LF.
    constexpr std::size_t kMaxLine = 16 + 5 * (1 + 2 * kLogTextWidth + 2) + 2;
    LineBlock block(out, kMaxLine);
    char* at = block.begin();
    for (std::size_t row = first; row < last; ++row) {
        at = block.room(at);
        if (const auto no = table.No(row)) at = std::to_chars(at, at + 16, *no).ptr;
        for (const LogField field : kWrittenTexts) {
            const std::string_view bytes = prepared.texts.field(table.textId(row, field));
            std::memcpy(at, bytes.data(), bytes.size());
            at += bytes.size();
        }
        *at++ = '\r';
        *at++ = '\n';
    }
    block.flush(at);
}

void writeTextTable(const LogTable& table, OutputBuffer& out) {
    TextRowFormat format;
    format.writeHeader(out);
    format.writeRows(table, 0, table.rowCount(), out);
}

FileResult TableToTextFile(const LogTable& table, const std::string& fileName) {
    const auto failure = writeFileReplacing(fileName, [&table](OutputBuffer& out) {
        writeTextTable(table, out);
        return true;
    });
    if (!failure) return saveSucceeded(fileName);
    return textSaveFailed(fileName, *failure);
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
    LineTokens tokens;
    MemoryReserve reserve;
    try {
        while (pos < bytes.size()) {
            const std::size_t end = bytes.find_first_of("\r\n", pos);
            const std::string_view line = bytes.substr(
                pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
            if (end == std::string_view::npos) {
                pos = bytes.size();
            } else {
                const bool crLf =
                    bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
                pos = end + (crLf ? 2 : 1);
            }
            ++lineNumber;
            if (lineNumber == 1) continue;  // the header, whatever it holds

            if (!tokens.split(line)) return loadFailed(lineNumber, "more than seven fields");
            if (tokens.count() == 0) continue;
            LogRecord record;
            for (std::size_t i = 0; i < tokens.count(); ++i) {
                const Token& token = tokens[i];
                if (!token.present) continue;
                const LogField field = kLogFields[i];
                if (isIntegerField(field)) {
                    const auto value = tokenInteger(token, numbers);
                    if (!value) {
                        return loadFailed(lineNumber, quotedExcerpt(token.raw) +
                                                          " is not a valid integer for " +
                                                          std::string(logFieldName(field)));
                    }
                    record.integer(field) = *value;
                } else {
                    record.text(field) = token.text();
                }
            }
            table.append(record);
        }
    } catch (const std::bad_alloc&) {
        reserve.release();
        return loadFailed(lineNumber, kOutOfMemory);
    }
    FileResult result;
    result.ok = true;
    return result;
}
