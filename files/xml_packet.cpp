#include "files/xml_packet.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <optional>
#include <vector>

#include "decode/integer_text.h"
#include "files/code_page.h"

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
};

// Splits the packet into tags. Text between tags, comments, processing instructions and
// declarations are skipped. Attribute names run to '=' or a blank, so "DC/AC" is one name.
class TagScanner {
public:
    explicit TagScanner(std::string_view text) : m_text(text) {}

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
            m_pos = end + 1;
            attributes.push_back(attribute);
        }
    }

    bool readTag(Tag& tag, std::string& error) {
        ++m_pos;  // '<'
        tag.attributes.clear();
        tag.kind = Tag::Open;
        if (m_pos < m_text.size() && m_text[m_pos] == '/') {
            ++m_pos;
            tag.kind = Tag::Close;
        }
        tag.name = readName();
        if (tag.name.empty()) {
            error = "tag without a name";
            return false;
        }
        if (!readAttributes(tag.attributes, error)) return false;
        if (m_text[m_pos] == '?') {
            error = "misplaced '?'";
            return false;
        }
        if (m_text[m_pos] == '/') {
            if (tag.kind == Tag::Close) {
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
// code page 1252. Unknown entities stay as written.
std::string decodeValue(std::string_view raw, bool utf8) {
    std::string out;
    out.reserve(raw.size());
    std::size_t i = 0;
    std::size_t plainStart = 0;
    const auto flushPlain = [&](std::size_t end) {
        const std::string_view plain = raw.substr(plainStart, end - plainStart);
        if (utf8) {
            out += utf8ToCp1252(plain);
        } else {
            out.append(plain);
        }
    };
    while (i < raw.size()) {
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
        out.push_back(*decoded);
        i = semicolon + 1;
        plainStart = i;
    }
    flushPlain(raw.size());
    return out;
}

constexpr IntegerSyntax kSigned{.plusSign = true, .minusSign = true};
constexpr IntegerSyntax kUnsigned{.plusSign = false, .minusSign = false};

std::optional<std::uint32_t> parseUnsigned32(std::string_view text) {
    const auto value = parseInteger(text, 0, std::numeric_limits<std::uint32_t>::max(), kUnsigned);
    if (!value) return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

std::optional<std::vector<ChangeTriple>> parseChangeLog(std::string_view text) {
    std::vector<std::uint32_t> numbers;
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
        numbers.push_back(*number);
    }
    if (numbers.size() % 3 != 0) return std::nullopt;
    std::vector<ChangeTriple> list;
    list.reserve(numbers.size() / 3);
    for (std::size_t k = 0; k < numbers.size(); k += 3) {
        list.push_back({numbers[k], numbers[k + 1], numbers[k + 2]});
    }
    return list;
}

struct PacketField {
    std::string name;
    std::optional<LogField> bound;  // one of the table's seven, or extra (ignored)
};

class PacketReader {
public:
    PacketReader(std::string_view text, bool utf8, LogTable& table)
        : m_scanner(text), m_utf8(utf8), m_table(table) {}

    // Reads the packet into the (empty) table; an error text on failure.
    std::optional<std::string> read() {
        Tag tag;
        std::string error;
        std::vector<std::string_view> open;
        bool sawRoot = false;
        bool rootClosed = false;
        while (m_scanner.next(tag, error)) {
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
                open.push_back(tag.name);
            } else if (open.empty()) {
                rootClosed = true;
            }
        }
        if (!error.empty()) return error;
        if (!sawRoot) return "not a data packet";
        if (!rootClosed) return "the packet ends early";
        if (!m_bound) return "the packet has no field list";
        m_table.replaceChangeList(std::move(m_changes));
        return std::nullopt;
    }

private:
    bool inside(const std::vector<std::string_view>& open, std::string_view name) const {
        return !open.empty() && equalsIgnoringCase(open.back(), name);
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
        std::string name;
        std::string type;
        for (const Attribute& a : tag.attributes) {
            if (equalsIgnoringCase(a.name, "attrname")) name = decodeValue(a.rawValue, m_utf8);
            if (equalsIgnoringCase(a.name, "fieldtype")) type = decodeValue(a.rawValue, m_utf8);
        }
        PacketField packetField{name, findLogField(name)};
        if (packetField.bound) {
            const bool wantInteger = isIntegerField(*packetField.bound);
            if (!equalsIgnoringCase(type, wantInteger ? "i4" : "string")) {
                return "field " + name + " has the type '" + type + "'";
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
            if (!list) return "malformed change list";
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
                if (!state) return "malformed RowState";
                record.RowState = static_cast<std::uint8_t>(*state);
                continue;
            }
            const PacketField* target = nullptr;
            for (const PacketField& f : m_fields) {
                if (equalsIgnoringCase(f.name, a.name)) target = &f;
            }
            if (target == nullptr || !target->bound) continue;
            std::string value = decodeValue(a.rawValue, m_utf8);
            if (isIntegerField(*target->bound)) {
                const auto number = parseInt32(value, kSigned);
                if (!number) return "'" + value + "' is not an integer";
                record.integer(*target->bound) = *number;
            } else {
                if (value.size() > kLogTextWidth) value.resize(kLogTextWidth);
                record.text(*target->bound) = std::move(value);
            }
        }
        m_table.append(record);
        return std::nullopt;
    }

    TagScanner m_scanner;
    bool m_utf8;
    LogTable& m_table;
    std::vector<PacketField> m_fields;
    bool m_bound = false;
    std::vector<ChangeTriple> m_changes;
};

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

FileResult loadXmlPacket(std::string_view bytes, LogTable& table) {
    table.clear();
    const LogTableUpdate update(table);

    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    bool utf8 = false;
    if (bytes.substr(0, kBom.size()) == kBom) {
        utf8 = true;
        bytes.remove_prefix(kBom.size());
    }
    std::size_t first = 0;
    while (first < bytes.size() && isBlank(bytes[first]))
        ++first;
    if (first >= bytes.size() || bytes[first] != '<') {
        return loadFailed(0, "the file does not begin with '<'");
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
    if (const auto error = reader.read()) {
        table.clear();
        return loadFailed(0, *error);
    }
    FileResult result;
    result.ok = true;
    return result;
}
