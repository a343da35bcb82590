#include "files/xml_packet.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <new>
#include <optional>
#include <vector>

#include "decode/integer_text.h"
#include "files/code_page.h"
#include "files/file_result.h"
#include "files/safe_file.h"

namespace {

// ---- writing ---------------------------------------------------------------------------------

constexpr std::string_view kHead =
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
    "<FIELD attrname=\"No\" fieldtype=\"i4\"/>"
    "<FIELD attrname=\"Time\" fieldtype=\"string\" WIDTH=\"20\"/>"
    "<FIELD attrname=\"DC/AC\" fieldtype=\"string\" WIDTH=\"20\"/>"
    "<FIELD attrname=\"Value\" fieldtype=\"string\" WIDTH=\"20\"/>"
    "<FIELD attrname=\"Unit\" fieldtype=\"string\" WIDTH=\"20\"/>"
    "<FIELD attrname=\"Auto\" fieldtype=\"string\" WIDTH=\"20\"/>"
    "<FIELD attrname=\"NVal\" fieldtype=\"i4\"/>"
    "</FIELDS>";

std::string_view escapeOf(char c) {
    switch (c) {
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '&':
            return "&amp;";
        case '\'':
            return "&apos;";
        case '"':
            return "&quot;";
        case '\r':
            return "&#013;";
        case '\n':
            return "&#010;";
        case '\t':
            return "&#009;";
        case '\\':
            return "&#092;";
        default:
            return {};
    }
}

// Bytes that need an escape are all below 128; a lookup keeps the common case to one test.
constexpr std::array<bool, 256> kNeedsEscape = [] {
    std::array<bool, 256> table{};
    for (const unsigned char c : std::string_view("<>&'\"\r\n\t\\"))
        table[c] = true;
    return table;
}();

// Copies `text` escaped to `at` (room for 6 bytes per input byte) and returns the end.
char* putEscaped(char* at, std::string_view text) {
    for (const char c : text) {
        if (!kNeedsEscape[static_cast<unsigned char>(c)]) {
            *at++ = c;
            continue;
        }
        const std::string_view escaped = escapeOf(c);
        at = std::copy(escaped.begin(), escaped.end(), at);
    }
    return at;
}

char* put(char* at, std::string_view text) {
    return std::copy(text.begin(), text.end(), at);
}

template <typename Int>
void appendNumber(OutputBuffer& out, Int value) {
    char buf[24];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    out.append(std::string_view(buf, static_cast<std::size_t>(end - buf)));
}

// ---- reading ---------------------------------------------------------------------------------

bool isBlank(char c) {
    return c != '\0' && static_cast<unsigned char>(c) <= 32;
}

struct Attribute {
    std::string_view name;
    std::string_view rawValue;  // still escaped
};

struct Tag {
    enum Kind { Open, Close, Empty } kind = Open;
    std::string_view name;
    std::vector<Attribute> attributes;
    std::size_t offset = 0;  // of its '<' in the scanned text
};

// Bounds on what one packet may declare, so that no file makes the reader's own bookkeeping
// grow with it (the packet this system writes has 7 fields, 8 attributes a row, depth 3).
constexpr std::size_t kMaxAttributes = 256;
constexpr std::size_t kMaxFields = 256;
constexpr std::size_t kMaxDepth = 64;
// Decoded names and integers longer than this cannot be one of the fields or a 32-bit number.
constexpr std::size_t kMaxNameBytes = 64;

// Splits the packet into tags. Text between tags, comments, processing instructions and
// declarations are skipped. Attribute names run to '=' or a blank, so "DC/AC" is one name.
class TagScanner {
public:
    explicit TagScanner(std::string_view text) : m_text(text) {}

    /// Where scanning stands: after a failed next(), the place of the fault.
    std::size_t position() const { return m_pos; }

    // False at the end of the text; `error` is set when the text is malformed.
    bool next(Tag& tag, std::string& error) {
        while (true) {
            const std::size_t lt = m_text.find('<', m_pos);
            if (lt == std::string_view::npos) return false;
            m_pos = lt;
            const std::string_view rest = m_text.substr(m_pos);
            if (rest.substr(0, 4) == "<!--") {
                if (!skipPast("-->", error)) return false;
                continue;
            }
            if (rest.substr(0, 2) == "<?") {
                if (!skipPast("?>", error)) return false;
                continue;
            }
            if (rest.substr(0, 2) == "<!") {
                if (!skipPast(">", error)) return false;
                continue;
            }
            return readTag(tag, error);
        }
    }

    // Attributes of a "<?...?>" declaration starting at `at`.
    static std::vector<Attribute> declarationAttributes(std::string_view declaration) {
        TagScanner scanner(declaration);
        scanner.m_pos = 2;
        scanner.readName();
        std::vector<Attribute> attributes;
        std::string error;
        scanner.readAttributes(attributes, error);
        return attributes;
    }

private:
    bool skipPast(std::string_view marker, std::string& error) {
        const std::size_t end = m_text.find(marker, m_pos);
        // The fault of unterminated markup is where the markup begins (m_pos stays there).
        if (end == std::string_view::npos) {
            error = "unterminated markup";
            return false;
        }
        m_pos = end + marker.size();
        return true;
    }

    void skipBlanks() {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
            ++m_pos;
    }

    std::string_view readName() {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && !isBlank(m_text[m_pos]) && m_text[m_pos] != '>' &&
               m_text[m_pos] != '=' && m_text[m_pos] != '?' &&
               !(m_text[m_pos] == '/' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '>')) {
            ++m_pos;
        }
        return m_text.substr(start, m_pos - start);
    }

    // Reads attributes up to (not including) '>', "/>" or "?>".
    bool readAttributes(std::vector<Attribute>& attributes, std::string& error) {
        while (true) {
            skipBlanks();
            if (m_pos >= m_text.size()) {
                error = "unterminated tag";
                return false;
            }
            const char c = m_text[m_pos];
            if (c == '>' || c == '?' ||
                (c == '/' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '>')) {
                return true;
            }
            Attribute attribute;
            attribute.name = readName();
            skipBlanks();
            if (attribute.name.empty() || m_pos >= m_text.size() || m_text[m_pos] != '=') {
                error = "malformed attribute";
                return false;
            }
            ++m_pos;
            skipBlanks();
            if (m_pos >= m_text.size() || (m_text[m_pos] != '"' && m_text[m_pos] != '\'')) {
                error = "attribute value without quotes";
                return false;
            }
            const char quote = m_text[m_pos++];
            const std::size_t end = m_text.find(quote, m_pos);
            if (end == std::string_view::npos) {
                error = "unterminated attribute value";
                return false;
            }
            attribute.rawValue = m_text.substr(m_pos, end - m_pos);
            if (attributes.size() == kMaxAttributes) {
                m_pos = static_cast<std::size_t>(attribute.name.data() - m_text.data());
                error = "more than " + std::to_string(kMaxAttributes) + " attributes in a tag";
                return false;
            }
            m_pos = end + 1;
            attributes.push_back(attribute);
        }
    }

    bool readTag(Tag& tag, std::string& error) {
        tag.offset = m_pos;
        ++m_pos;  // '<'
        tag.attributes.clear();
        tag.kind = Tag::Open;
        if (m_pos < m_text.size() && m_text[m_pos] == '/') {
            ++m_pos;
            tag.kind = Tag::Close;
        }
        tag.name = readName();
        if (tag.name.empty()) {
            m_pos = tag.offset;
            error = "tag without a name";
            return false;
        }
        if (!readAttributes(tag.attributes, error)) return false;
        if (m_text[m_pos] == '?') {
            m_pos = tag.offset;
            error = "misplaced '?'";
            return false;
        }
        if (m_text[m_pos] == '/') {
            if (tag.kind == Tag::Close) {
                m_pos = tag.offset;
                error = "malformed end tag";
                return false;
            }
            tag.kind = Tag::Empty;
            ++m_pos;
        }
        ++m_pos;  // '>'
        return true;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Decodes entities and character references; in UTF-8 packets the text is also turned into
// code page 1252. Unknown entities stay as written. At most `limit` bytes are decoded, so a
// huge value costs no memory when only its start is kept; `cut` tells that there was more.
std::string decodeValue(std::string_view raw, bool utf8, std::size_t limit, bool& cut) {
    constexpr std::size_t kAll = std::string::npos;
    std::string out;
    out.reserve(std::min(raw.size(), limit));
    std::size_t i = 0;
    std::size_t plainStart = 0;
    // Decodes enough of raw[plainStart, end) to pass the limit by one byte, if it can.
    const auto flushPlain = [&](std::size_t end) {
        std::string_view plain = raw.substr(plainStart, end - plainStart);
        if (limit != kAll) {
            const std::size_t room = limit - out.size() + 1;
            // A code page byte takes at most four bytes of UTF-8.
            plain = plain.substr(0, utf8 ? room * 4 : room);
        }
        if (utf8) {
            out += utf8ToCp1252(plain);
        } else {
            out.append(plain);
        }
    };
    while (i < raw.size() && out.size() <= limit) {
        if (raw[i] != '&') {
            ++i;
            continue;
        }
        const std::size_t semicolon = raw.find(';', i);
        if (semicolon == std::string_view::npos) break;
        const std::string_view entity = raw.substr(i + 1, semicolon - i - 1);
        std::optional<char> decoded;
        if (entity == "lt")
            decoded = '<';
        else if (entity == "gt")
            decoded = '>';
        else if (entity == "amp")
            decoded = '&';
        else if (entity == "apos")
            decoded = '\'';
        else if (entity == "quot")
            decoded = '"';
        else if (entity.size() >= 2 && entity[0] == '#') {
            const bool hex = entity[1] == 'x' || entity[1] == 'X';
            const std::string_view digits = entity.substr(hex ? 2 : 1);
            std::uint32_t codePoint = 0;
            const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(),
                                                   codePoint, hex ? 16 : 10);
            if (!digits.empty() && ec == std::errc() && end == digits.data() + digits.size()) {
                // References to 128..159 name the code page's own bytes there, as browsers
                // read them; Unicode has only unused controls at those numbers.
                decoded = (codePoint >= 0x80 && codePoint <= 0x9F) ? static_cast<char>(codePoint)
                                                                   : codePointToCp1252(codePoint);
            }
        }
        if (!decoded) {
            ++i;
            continue;
        }
        flushPlain(i);
        if (out.size() > limit) break;
        out.push_back(*decoded);
        i = semicolon + 1;
        plainStart = i;
    }
    if (out.size() <= limit) flushPlain(raw.size());
    cut = out.size() > limit;
    if (cut) out.resize(limit);
    return out;
}

// A whole value decoded (the change list, whose size is that of the list it holds).
std::string decodeValue(std::string_view raw, bool utf8) {
    bool cut = false;
    return decodeValue(raw, utf8, std::string::npos, cut);
}

constexpr IntegerSyntax kSigned{.plusSign = true, .minusSign = true};
constexpr IntegerSyntax kUnsigned{.plusSign = false, .minusSign = false};

std::optional<std::uint32_t> parseUnsigned32(std::string_view text) {
    const auto value = parseInteger(text, 0, std::numeric_limits<std::uint32_t>::max(), kUnsigned);
    if (!value) return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

std::optional<std::vector<ChangeTriple>> parseChangeLog(std::string_view text) {
    std::vector<ChangeTriple> list;
    ChangeTriple triple{};
    std::size_t filled = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (isBlank(text[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && !isBlank(text[i]))
            ++i;
        const auto number = parseUnsigned32(text.substr(start, i - start));
        if (!number) return std::nullopt;
        triple[filled++] = *number;
        if (filled == triple.size()) {
            list.push_back(triple);
            filled = 0;
        }
    }
    if (filled != 0) return std::nullopt;
    return list;
}

struct PacketField {
    std::string name;
    std::optional<LogField> bound;  // one of the table's seven, or extra (ignored)
};

class PacketReader {
public:
    PacketReader(std::string_view text, bool utf8, LogTable& table)
        : m_text(text), m_scanner(text), m_utf8(utf8), m_table(table) {}

    // Reads the packet into the (empty) table; an error text on failure, with faultAt() set.
    std::optional<std::string> read() {
        Tag tag;
        std::string error;
        std::vector<std::string_view> open;
        bool sawRoot = false;
        bool rootClosed = false;
        while (m_scanner.next(tag, error)) {
            m_faultAt = tag.offset;
            if (rootClosed) return "content after the end of the packet";
            if (!sawRoot) {
                if (!equalsIgnoringCase(tag.name, "DATAPACKET") || tag.kind == Tag::Close) {
                    return "not a data packet";
                }
                sawRoot = true;
            }
            if (tag.kind == Tag::Close) {
                if (open.empty() || !equalsIgnoringCase(open.back(), tag.name))
                    return "mismatched end tag";
                if (equalsIgnoringCase(tag.name, "FIELDS")) {
                    if (auto bindError = bindFields()) return bindError;
                }
                open.pop_back();
                if (open.empty()) rootClosed = true;
                continue;
            }
            if (auto elementError = element(open, tag)) return elementError;
            if (tag.kind == Tag::Open) {
                if (open.size() == kMaxDepth) return "elements nested too deeply";
                open.push_back(tag.name);
            } else if (open.empty()) {
                rootClosed = true;
            }
        }
        m_faultAt = error.empty() ? m_text.size() : m_scanner.position();
        if (!error.empty()) return error;
        if (!sawRoot) return "not a data packet";
        if (!rootClosed) return "the packet ends early";
        if (!m_bound) return "the packet has no field list";
        m_table.replaceChangeList(std::move(m_changes));
        return std::nullopt;
    }

    /// Offset of the fault in the text after a failed read(): the tag or attribute at fault, or
    /// the end of the text when the packet ends early.
    std::size_t faultAt() const { return m_faultAt; }

private:
    bool inside(const std::vector<std::string_view>& open, std::string_view name) const {
        return !open.empty() && equalsIgnoringCase(open.back(), name);
    }

    std::size_t offsetOf(const Attribute& a) const {
        return static_cast<std::size_t>(a.name.data() - m_text.data());
    }

    std::string decodeName(const Attribute& a) const {
        bool cut = false;
        return decodeValue(a.rawValue, m_utf8, kMaxNameBytes, cut);
    }

    std::optional<std::string> element(const std::vector<std::string_view>& open, const Tag& tag) {
        if (equalsIgnoringCase(tag.name, "FIELD") && inside(open, "FIELDS")) return field(tag);
        if (equalsIgnoringCase(tag.name, "PARAMS") && inside(open, "METADATA")) return params(tag);
        if (equalsIgnoringCase(tag.name, "ROW") && inside(open, "ROWDATA")) return row(tag);
        if (equalsIgnoringCase(tag.name, "FIELDS") && tag.kind == Tag::Empty) return bindFields();
        return std::nullopt;
    }

    std::optional<std::string> field(const Tag& tag) {
        if (m_bound) return "a field after the field list";
        if (m_fields.size() == kMaxFields) {
            return "more than " + std::to_string(kMaxFields) + " fields";
        }
        std::string name;
        std::string type;
        for (const Attribute& a : tag.attributes) {
            if (equalsIgnoringCase(a.name, "attrname")) name = decodeName(a);
            if (equalsIgnoringCase(a.name, "fieldtype")) type = decodeName(a);
        }
        PacketField packetField{name, findLogField(name)};
        if (packetField.bound) {
            const bool wantInteger = isIntegerField(*packetField.bound);
            if (!equalsIgnoringCase(type, wantInteger ? "i4" : "string")) {
                return "field " + name + " has the type " + quotedExcerpt(type);
            }
            for (const PacketField& earlier : m_fields) {
                if (earlier.bound == packetField.bound) return "field " + name + " twice";
            }
        }
        m_fields.push_back(std::move(packetField));
        return std::nullopt;
    }

    std::optional<std::string> bindFields() {
        if (m_bound) return std::nullopt;
        for (const LogField wanted : kLogFields) {
            bool found = false;
            for (const PacketField& f : m_fields)
                found = found || f.bound == wanted;
            if (!found) return "the field " + std::string(logFieldName(wanted)) + " is missing";
        }
        m_bound = true;
        return std::nullopt;
    }

    std::optional<std::string> params(const Tag& tag) {
        for (const Attribute& a : tag.attributes) {
            if (!equalsIgnoringCase(a.name, "CHANGE_LOG")) continue;
            auto list = parseChangeLog(decodeValue(a.rawValue, m_utf8));
            if (!list) {
                m_faultAt = offsetOf(a);
                return "malformed change list";
            }
            m_changes = std::move(*list);
        }
        return std::nullopt;
    }

    std::optional<std::string> row(const Tag& tag) {
        if (auto bindError = bindFields()) return bindError;
        LogRecord record;
        record.RowState = 0;
        for (const Attribute& a : tag.attributes) {
            if (equalsIgnoringCase(a.name, "RowState")) {
                const auto state = parseInteger(a.rawValue, 0, 255, kUnsigned);
                if (!state) {
                    m_faultAt = offsetOf(a);
                    return "malformed RowState " + quotedExcerpt(a.rawValue);
                }
                record.RowState = static_cast<std::uint8_t>(*state);
                continue;
            }
            const PacketField* target = nullptr;
            for (const PacketField& f : m_fields) {
                if (equalsIgnoringCase(f.name, a.name)) target = &f;
            }
            if (target == nullptr || !target->bound) continue;
            bool cut = false;
            if (isIntegerField(*target->bound)) {
                const std::string value = decodeValue(a.rawValue, m_utf8, kMaxNameBytes, cut);
                const auto number = cut ? std::nullopt : parseInt32(value, kSigned);
                if (!number) {
                    m_faultAt = offsetOf(a);
                    return quotedExcerpt(a.rawValue) + " is not an integer";
                }
                record.integer(*target->bound) = *number;
            } else {
                record.text(*target->bound) = decodeValue(a.rawValue, m_utf8, kLogTextWidth, cut);
            }
        }
        m_table.append(record);
        return std::nullopt;
    }

    std::string_view m_text;
    TagScanner m_scanner;
    bool m_utf8;
    LogTable& m_table;
    std::vector<PacketField> m_fields;
    bool m_bound = false;
    std::vector<ChangeTriple> m_changes;
    std::size_t m_faultAt = 0;
};

// Line and column (both from 1, the column in bytes) of an offset. CR LF, a lone CR and a lone
// LF each end a line.
std::pair<std::size_t, std::size_t> placeOf(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
            ++line;
            lineStart = i + 1;
        }
    }
    return {line, offset - lineStart + 1};
}

}  // namespace

void writeXmlPacket(const LogTable& table, OutputBuffer& out) {
    out.append(kHead);
    const std::size_t changes = table.changeCount();
    if (changes == 0) {
        out.append("<PARAMS/>");
    } else {
        out.append("<PARAMS CHANGE_LOG=\"");
        for (std::size_t i = 0; i < changes; ++i) {
            const ChangeTriple triple = table.change(i);
            for (std::size_t k = 0; k < triple.size(); ++k) {
                if (i != 0 || k != 0) out.push(' ');
                appendNumber(out, triple[k]);
            }
        }
        out.append("\"/>");
    }
    out.append("</METADATA><ROWDATA>");
    // The longest ROW: its state, two integers and five texts of 20 bytes escaped to 6 each.
    char line[64 + 2 * 32 + 5 * (16 + 6 * kLogTextWidth)];
    for (std::size_t row = 0; row < table.rowCount(); ++row) {
        char* at = put(line, "<ROW");
        if (const std::uint8_t state = table.rowState(row); state != 0) {
            at = put(at, " RowState=\"");
            at = std::to_chars(at, at + 4, static_cast<unsigned>(state)).ptr;
            *at++ = '"';
        }
        for (const LogField field : kLogFields) {
            if (isIntegerField(field)) {
                const auto value = table.integer(row, field);
                if (!value) continue;
                *at++ = ' ';
                at = put(at, logFieldName(field));
                at = put(at, "=\"");
                at = std::to_chars(at, at + 12, *value).ptr;
                *at++ = '"';
            } else {
                const auto value = table.text(row, field);
                if (!value) continue;
                *at++ = ' ';
                at = put(at, logFieldName(field));
                at = put(at, "=\"");
                at = putEscaped(at, *value);
                *at++ = '"';
            }
        }
        at = put(at, "/>");
        out.append(std::string_view(line, static_cast<std::size_t>(at - line)));
    }
    out.append("</ROWDATA></DATAPACKET>");
}

FileResult saveXmlPacket(const LogTable& table, const std::string& fileName) {
    const auto failure = writeFileReplacing(fileName, [&table](OutputBuffer& out) {
        writeXmlPacket(table, out);
        return true;
    });
    if (!failure) return saveSucceeded(fileName);
    FileResult result;
    result.kind = FileMessageKind::GeneralError;
    result.message = "Cannot create file \"" + fileName + "\". " + *failure;
    result.reason = *failure;
    return result;
}

namespace {

// Empties the table and reads the packet into it; after a failure the table is empty.
FileResult readXmlPacket(std::string_view bytes, LogTable& table) {
    table.clear();
    const LogTableUpdate update(table);
    const std::string_view file = bytes;
    const auto failed = [&](std::size_t offset, std::string reason) {
        table.clear();
        const auto [line, column] = placeOf(file, offset);
        return loadFailed(line, std::move(reason), column);
    };

    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    bool utf8 = false;
    if (bytes.substr(0, kBom.size()) == kBom) {
        utf8 = true;
        bytes.remove_prefix(kBom.size());
    }
    std::size_t first = 0;
    while (first < bytes.size() && isBlank(bytes[first]))
        ++first;
    const std::size_t skipped = file.size() - bytes.size() + first;
    if (first >= bytes.size() || bytes[first] != '<') {
        return failed(skipped, "the file does not begin with '<'");
    }
    if (!utf8 && bytes.substr(first, 5) == "<?xml") {
        const std::size_t end = bytes.find("?>", first);
        if (end != std::string_view::npos) {
            for (const Attribute& a :
                 TagScanner::declarationAttributes(bytes.substr(first, end - first + 2))) {
                if (equalsIgnoringCase(a.name, "encoding") &&
                    equalsIgnoringCase(a.rawValue, "UTF-8")) {
                    utf8 = isValidUtf8(bytes);
                }
            }
        }
    }
    PacketReader reader(bytes.substr(first), utf8, table);
    MemoryReserve reserve;
    try {
        if (const auto error = reader.read()) return failed(skipped + reader.faultAt(), *error);
    } catch (const std::bad_alloc&) {
        reserve.release();
        return failed(skipped + reader.faultAt(), kOutOfMemory);
    }
    FileResult result;
    result.ok = true;
    return result;
}

}  // namespace

FileResult loadXmlPacket(std::string_view bytes, LogTable& table) {
    // A file that fails must not cost the log its rows, so the packet is read into a table of
    // its own; only a packet that reads whole replaces the content.
    LogTable loaded;
    FileResult result = readXmlPacket(bytes, loaded);
    if (result.ok) table.replaceContent(loaded);
    return result;
}
