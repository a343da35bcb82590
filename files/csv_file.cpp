#include "files/csv_file.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "files/code_page.h"
#include "files/si_value.h"

namespace {

// A text as one CSV field: UTF-8, quoted when it holds a comma, a quote, CR or LF.
void appendField(std::string& out, std::string_view utf8) {
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += utf8;
        return;
    }
    out.push_back('"');
    for (const char c : utf8) {
        out.push_back(c);
        if (c == '"') out.push_back('"');
    }
    out.push_back('"');
}

// Everything the lines need of one pooled text, worked out once per text.
struct PooledText {
    std::uint32_t fieldAt = 0;  // the text as a CSV field, in PreparedTexts::m_bytes
    std::uint32_t fieldLength = 0;
    std::int8_t unit = -1;  // index into m_units when the text is a unit text a reading has
};

class PreparedTexts {
public:
    void reset() {
        m_texts.clear();
        m_bytes.clear();
        m_units.clear();
    }
    void extend(const LogTable& table) {
        std::string field;
        for (std::size_t id = m_texts.size(); id < table.pooledTextCount(); ++id) {
            const std::string_view text = table.pooledText(static_cast<std::uint32_t>(id));
            field.clear();
            appendField(field, cp1252ToUtf8(text));
            PooledText pooled;
            pooled.fieldAt = static_cast<std::uint32_t>(m_bytes.size());
            pooled.fieldLength = static_cast<std::uint32_t>(field.size());
            m_bytes += field;
            if (const auto meaning = unitMeaning(text)) {
                pooled.unit = static_cast<std::int8_t>(m_units.size());
                m_units.push_back(*meaning);
            }
            m_texts.push_back(pooled);
        }
    }
    std::string_view field(std::optional<std::uint32_t> id) const {
        if (!id) return {};
        const PooledText& t = m_texts[*id];
        return std::string_view(m_bytes).substr(t.fieldAt, t.fieldLength);
    }
    const UnitMeaning* unit(std::optional<std::uint32_t> id) const {
        static constexpr UnitMeaning kNone{};
        if (!id) return &kNone;  // a field without value: a reading without unit
        const PooledText& t = m_texts[*id];
        return t.unit < 0 ? nullptr : &m_units[static_cast<std::size_t>(t.unit)];
    }

private:
    std::vector<PooledText> m_texts;
    std::string m_bytes;
    std::vector<UnitMeaning> m_units;
};

char* put(char* at, std::string_view bytes) {
    if (bytes.empty()) return at;  // an empty view may have no data pointer at all
    std::memcpy(at, bytes.data(), bytes.size());
    return at + bytes.size();
}

char* putDigits(char* at, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        at[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return at + width;
}

// "+01:00", "-03:30", "+00:00".
char* putOffset(char* at, int offsetMinutes) {
    *at++ = offsetMinutes < 0 ? '-' : '+';
    const int minutes = std::abs(offsetMinutes);
    at = putDigits(at, minutes / 60 % 100, 2);
    *at++ = ':';
    return putDigits(at, minutes % 60, 2);
}

// "2026-12-10T16:24:"; years beyond 0 to 9999 get their sign or more digits, as ISO 8601 allows.
char* putMinute(char* at, const LocalDateTime& t) {
    char year[16];
    const int n = t.year >= 0 && t.year <= 9999 ? std::snprintf(year, sizeof year, "%04d", t.year)
                                                : std::snprintf(year, sizeof year, "%+05d", t.year);
    at = put(at, std::string_view(year, static_cast<std::size_t>(n)));
    *at++ = '-';
    at = putDigits(at, t.month, 2);
    *at++ = '-';
    at = putDigits(at, t.day, 2);
    *at++ = 'T';
    at = putDigits(at, t.hour, 2);
    *at++ = ':';
    at = putDigits(at, t.minute, 2);
    *at++ = ':';
    return at;
}

char* putLocal(char* at, const LocalDateTime& t) {
    at = putMinute(at, t);
    at = putDigits(at, t.second, 2);
    *at++ = '.';
    at = putDigits(at, t.millisecond, 3);
    return putOffset(at, t.utcOffsetMinutes);
}

// Asking the zone for every row would cost a localtime call per row. Within one UTC minute
// whose local time runs from :00 to :59 under one offset (every minute but those of a change of
// offset off the minute), the local time is the minute's local start plus the seconds.
class MinuteCache {
public:
    explicit MinuteCache(const TimeZone& zone) : m_zone(zone) {}

    char* put(char* at, std::int64_t utcMs) {
        const std::int64_t minute = floorDiv(utcMs, 60'000) * 60'000;
        if (minute != m_minute || !m_valid) load(minute);
        if (!m_aligned) return putLocal(at, m_zone.local(utcMs));
        const auto intoMinute = static_cast<int>(utcMs - minute);
        at = ::put(at, std::string_view(m_prefix.data(), m_prefixLength));
        at = putDigits(at, intoMinute / 1000, 2);
        *at++ = '.';
        at = putDigits(at, intoMinute % 1000, 3);
        return ::put(at, std::string_view(m_offset.data(), m_offsetLength));
    }

private:
    void load(std::int64_t minute) {
        m_minute = minute;
        m_valid = true;
        const LocalDateTime start = m_zone.local(minute);
        const LocalDateTime end = m_zone.local(minute + 59'999);
        m_aligned = start.utcOffsetMinutes == end.utcOffsetMinutes && start.second == 0 &&
                    start.millisecond == 0 && end.second == 59 && end.millisecond == 999 &&
                    start.minute == end.minute && start.hour == end.hour && start.day == end.day &&
                    start.month == end.month && start.year == end.year;
        if (!m_aligned) return;
        m_prefixLength =
            static_cast<std::size_t>(putMinute(m_prefix.data(), start) - m_prefix.data());
        m_offsetLength = static_cast<std::size_t>(
            putOffset(m_offset.data(), start.utcOffsetMinutes) - m_offset.data());
    }

    const TimeZone& m_zone;
    std::int64_t m_minute = 0;
    bool m_valid = false;
    bool m_aligned = false;
    std::array<char, 32> m_prefix{};
    std::size_t m_prefixLength = 0;
    std::array<char, 8> m_offset{};
    std::size_t m_offsetLength = 0;
};

// The columns value, unit, display and display_unit of a Value text with a Unit text, kept per
// Value text for the Unit text it came with last: a value is nearly always logged in one unit.
struct ReadingColumns {
    std::optional<std::uint32_t> unitId;
    bool known = false;
    bool overload = false;
    std::string bytes;
};

void prepareColumns(const PreparedTexts& texts, const LogTable& table,
                    std::optional<std::uint32_t> valueId, std::optional<std::uint32_t> unitId,
                    ReadingColumns& columns) {
    const std::string_view valueText = valueId ? table.pooledText(*valueId) : std::string_view();
    columns.known = true;
    columns.unitId = unitId;
    columns.overload = isOverloadText(valueText);
    columns.bytes.clear();
    const UnitMeaning* unit = texts.unit(unitId);
    if (unit && !columns.overload) {
        if (const auto value = scaledDecimalText(valueText, unit->exponent))
            columns.bytes += *value;
    }
    columns.bytes.push_back(',');
    if (unit) columns.bytes += unit->baseUnit;
    columns.bytes.push_back(',');
    columns.bytes += texts.field(valueId);
    columns.bytes.push_back(',');
    columns.bytes += unit ? unit->displayUnit : texts.field(unitId);
}

}  // namespace

struct CsvRowFormat::Prepared {
    explicit Prepared(const TimeZone& zone) : minutes(zone) {}
    PreparedTexts texts;
    MinuteCache minutes;
    std::vector<ReadingColumns> byValue;  // indexed by the Value text's pool id
    ReadingColumns withoutValue;
    // The range-mode texts as CSV fields, by their id in the table (0: none, an empty field).
    std::vector<std::string> rangeFields{std::string()};
    std::uint64_t generation = 0;
    bool used = false;
};

CsvRowFormat::CsvRowFormat(const TimeZone& zone) : m_prepared(std::make_unique<Prepared>(zone)) {}
CsvRowFormat::~CsvRowFormat() = default;

void CsvRowFormat::writeHeader(OutputBuffer& out) {
    out.append(kCsvHeader);
    out.append("\r\n");
}

void CsvRowFormat::writeRows(const LogTable& table, std::size_t first, std::size_t last,
                             OutputBuffer& out) {
    Prepared& prepared = *m_prepared;
    if (prepared.used && prepared.generation != table.generation()) {
        prepared.texts.reset();
        prepared.byValue.clear();
        prepared.withoutValue = {};
        prepared.rangeFields.resize(1);
    }
    prepared.used = true;
    prepared.generation = table.generation();
    prepared.texts.extend(table);
    prepared.byValue.resize(table.pooledTextCount());
    const PreparedTexts& texts = prepared.texts;

    // A text field of 20 bytes is at most 60 bytes of UTF-8, 122 quoted; a value at most the
    // 20 digits of a text, a point, a sign and 9 zeros of a prefix.
    constexpr std::size_t kMaxText = 2 * 3 * kLogTextWidth + 2;
    constexpr std::size_t kMaxLine = 6 * kMaxText + 64 + 16 + 64 + 16 + 16;
    LineBlock block(out, kMaxLine);
    char* at = block.begin();
    for (std::size_t row = first; row < last; ++row) {
        at = block.room(at);
        if (const auto stamp = table.dateTimeUtcMs(row)) {
            at = prepared.minutes.put(at, *stamp);
        } else {
            at = put(at, texts.field(table.textId(row, LogField::Time)));
        }
        *at++ = ',';
        if (const auto no = table.No(row)) at = std::to_chars(at, at + 16, *no).ptr;
        *at++ = ',';
        at = put(at, texts.field(table.textId(row, LogField::DcAc)));
        *at++ = ',';

        const auto valueId = table.textId(row, LogField::Value);
        const auto unitId = table.textId(row, LogField::Unit);
        ReadingColumns& columns = valueId ? prepared.byValue[*valueId] : prepared.withoutValue;
        if (!columns.known || columns.unitId != unitId) {
            prepareColumns(texts, table, valueId, unitId, columns);
        }
        const bool overload = columns.overload;
        at = put(at, columns.bytes);
        *at++ = ',';
        const std::uint16_t range = table.rangeModeId(row);
        while (prepared.rangeFields.size() <= range) {
            std::string field;
            appendField(field, cp1252ToUtf8(table.rangeModeText(
                                   static_cast<std::uint16_t>(prepared.rangeFields.size()))));
            prepared.rangeFields.push_back(std::move(field));
        }
        at = put(at, prepared.rangeFields[range]);
        *at++ = ',';
        at = put(at, texts.field(table.textId(row, LogField::Auto)));
        *at++ = ',';
        *at++ = overload ? '1' : '0';
        *at++ = '\r';
        *at++ = '\n';
    }
    block.flush(at);
}

bool hasCsvExtension(std::string_view fileName) {
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos) return false;
    const std::string_view extension = fileName.substr(dot);
    if (extension.find_first_of("\\:/") != std::string_view::npos) return false;
    return extension == ".csv";
}

FileResult saveCsvFile(const LogTable& table, const std::string& fileName, const TimeZone& zone) {
    const auto failure = writeFileReplacing(fileName, [&](OutputBuffer& out) {
        CsvRowFormat format(zone);
        format.writeHeader(out);
        format.writeRows(table, 0, table.rowCount(), out);
        return true;
    });
    if (!failure) return saveSucceeded(fileName);
    return textSaveFailed(fileName, *failure);
}
