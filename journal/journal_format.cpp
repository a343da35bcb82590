#include "journal/journal_format.h"

#include <array>
#include <charconv>

namespace {

constexpr std::array<LogField, 5> kTextFields = {LogField::Time, LogField::DcAc, LogField::Value,
                                                 LogField::Unit, LogField::Auto};
constexpr std::size_t kFieldsPerLine = 11;

template <typename Int>
void appendInteger(std::optional<Int> value, std::string& out) {
    if (!value) return;
    char buf[24];
    const auto end = std::to_chars(buf, buf + sizeof buf, *value).ptr;
    out.append(buf, end);
}

void appendText(std::optional<std::string_view> text, std::string& out) {
    if (!text) return;
    out.push_back('=');
    for (const char c : *text) {
        switch (c) {
            case '\\':
                out.append("\\\\");
                break;
            case '\t':
                out.append("\\t");
                break;
            case '\r':
                out.append("\\r");
                break;
            case '\n':
                out.append("\\n");
                break;
            case '\0':
                out.append("\\0");
                break;
            default:
                out.push_back(c);
        }
    }
}

template <typename Int>
bool parseInteger(std::string_view field, std::optional<Int>& value) {
    if (field.empty()) {
        value.reset();
        return true;
    }
    Int parsed{};
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), parsed);
    if (error != std::errc() || end != field.data() + field.size()) return false;
    value = parsed;
    return true;
}

bool parseText(std::string_view field, std::optional<std::string>& text) {
    if (field.empty()) {
        text.reset();
        return true;
    }
    if (field.front() != '=') return false;
    std::string result;
    result.reserve(field.size() - 1);
    for (std::size_t i = 1; i < field.size(); ++i) {
        const char c = field[i];
        if (c != '\\') {
            result.push_back(c);
            continue;
        }
        if (++i == field.size()) return false;
        switch (field[i]) {
            case '\\':
                result.push_back('\\');
                break;
            case 't':
                result.push_back('\t');
                break;
            case 'r':
                result.push_back('\r');
                break;
            case 'n':
                result.push_back('\n');
                break;
            case '0':
                result.push_back('\0');
                break;
            default:
                return false;
        }
    }
    text = std::move(result);
    return true;
}

bool parseLine(std::string_view line, LogRecord& record) {
    std::array<std::string_view, kFieldsPerLine> fields;
    std::size_t count = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        if (count == kFieldsPerLine) return false;
        fields[count++] = line.substr(start, tab == std::string_view::npos ? tab : tab - start);
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    if (count != kFieldsPerLine || fields[0] != "R") return false;
    std::optional<std::int32_t> state;
    if (!parseInteger(fields[1], record.dateTimeUtcMs) || !parseInteger(fields[2], state) ||
        !state || *state < 0 || *state > 255 || !parseInteger(fields[3], record.No) ||
        !parseInteger(fields[9], record.NVal)) {
        return false;
    }
    record.RowState = static_cast<std::uint8_t>(*state);
    for (std::size_t i = 0; i < kTextFields.size(); ++i) {
        if (!parseText(fields[4 + i], record.text(kTextFields[i]))) return false;
    }
    return parseText(fields[10], record.rangeMode);
}

}  // namespace

void appendJournalLine(const LogTable& table, std::size_t row, std::string& out) {
    out.append("R\t");
    appendInteger(table.dateTimeUtcMs(row), out);
    out.push_back('\t');
    appendInteger(std::optional<int>(table.rowState(row)), out);
    out.push_back('\t');
    appendInteger(table.No(row), out);
    for (const LogField field : kTextFields) {
        out.push_back('\t');
        appendText(table.text(row, field), out);
    }
    out.push_back('\t');
    appendInteger(table.integer(row, LogField::NVal), out);
    out.push_back('\t');
    appendText(table.rangeMode(row), out);
    out.push_back('\n');
}

JournalSummary readJournal(std::string_view bytes,
                           const std::function<void(const LogRecord&)>& row) {
    JournalSummary summary;
    if (!bytes.starts_with(kJournalHeader)) {
        // A header torn by a crash right after the journal was made holds no row yet.
        if (!kJournalHeader.starts_with(bytes)) summary.damagedLine = 1;
        return summary;
    }
    std::size_t pos = kJournalHeader.size();
    std::size_t lineNumber = 1;
    while (pos < bytes.size()) {
        const std::size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) break;  // torn by the crash
        ++lineNumber;
        LogRecord record;
        if (!parseLine(bytes.substr(pos, end - pos), record)) {
            summary.damagedLine = lineNumber;
            break;
        }
        pos = end + 1;
        ++summary.rows;
        if (const auto time = record.dateTimeUtcMs) {
            if (!summary.firstTime || *time < *summary.firstTime) summary.firstTime = time;
            if (!summary.lastTime || *time > *summary.lastTime) summary.lastTime = time;
        }
        if (row) row(record);
    }
    return summary;
}

JournalSummary summarizeJournal(std::string_view bytes) {
    return readJournal(bytes, {});
}
