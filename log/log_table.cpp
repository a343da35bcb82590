#include "log/log_table.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace {

constexpr std::array<std::string_view, kLogFieldCount> kFieldNames = {
    "No", "Time", "DC/AC", "Value", "Unit", "Auto", "NVal"};

// Position of a text field among the five text slots of a row.
constexpr std::size_t textSlot(LogField field) {
    return static_cast<std::size_t>(field) - 1;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view cut(std::string_view text) {
    return text.substr(0, kLogTextWidth);
}

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

std::string_view logFieldName(LogField field) {
    return kFieldNames[static_cast<std::size_t>(field)];
}

bool isIntegerField(LogField field) {
    return field == LogField::No || field == LogField::NVal;
}

std::optional<LogField> findLogField(std::string_view name) {
    for (const LogField field : kLogFields) {
        if (equalsIgnoringCase(name, logFieldName(field))) return field;
    }
    return std::nullopt;
}

std::optional<std::string>& LogRecord::text(LogField field) {
    return const_cast<std::optional<std::string>&>(std::as_const(*this).text(field));
}

const std::optional<std::string>& LogRecord::text(LogField field) const {
    switch (field) {
        case LogField::Time:
            return Time;
        case LogField::DcAc:
            return DcAc;
        case LogField::Value:
            return Value;
        case LogField::Unit:
            return Unit;
        case LogField::Auto:
            return Auto;
        case LogField::No:
        case LogField::NVal:
            break;
    }
    assert(false && "not a text field");
    return Time;
}

std::optional<std::int32_t>& LogRecord::integer(LogField field) {
    return field == LogField::NVal ? NVal : No;
}

const std::optional<std::int32_t>& LogRecord::integer(LogField field) const {
    return field == LogField::NVal ? NVal : No;
}

LogTable::LogTable() = default;
LogTable::~LogTable() = default;

std::uint32_t LogTable::intern(std::string_view text) {
    const auto found = m_poolIndex.find(text);
    if (found != m_poolIndex.end()) return found->second;
    if (m_poolBlocks.empty() || m_poolBlockUsed + text.size() > kPoolBlockBytes) {
        m_poolBlocks.push_back(std::make_unique<char[]>(kPoolBlockBytes));
        m_poolBlockUsed = 0;
    }
    char* stored = m_poolBlocks.back().get() + m_poolBlockUsed;
    std::copy(text.begin(), text.end(), stored);
    m_poolBlockUsed += text.size();
    const auto id = static_cast<std::uint32_t>(m_poolViews.size());
    m_poolViews.emplace_back(stored, text.size());
    m_poolIndex.emplace(m_poolViews.back(), id);
    return id;
}

void LogTable::append(const LogRecord& record, RowOrigin origin) {
    static_assert(sizeof(Row) == 28, "ten million rows must fit: a row keeps to 28 bytes");
    const std::size_t chunk = m_rowCount >> kChunkShift;
    if (chunk == m_chunks.size()) {
        m_stampChunks.reserve(chunk + 1);
        m_chunks.push_back(std::make_unique<Row[]>(kChunkRows));
        m_stampChunks.emplace_back();
    }
    if (record.dateTimeUtcMs && !m_stampChunks[chunk]) {
        m_stampChunks[chunk] = std::make_unique_for_overwrite<std::int64_t[]>(kChunkRows);
    }
    Row& row = m_chunks[m_rowCount >> kChunkShift][m_rowCount & (kChunkRows - 1)];
    row.nulls = 0;
    row.state = record.RowState;
    row.no = record.No.value_or(0);
    if (!record.No) row.nulls |= nullBit(LogField::No);
    for (const LogField field : kLogFields) {
        if (isIntegerField(field)) continue;
        const auto& text = record.text(field);
        if (text) {
            // Consecutive rows mostly repeat their function, unit and verdict: try the id the
            // same field took last before hashing.
            const std::size_t slot = textSlot(field);
            const std::string_view value = cut(*text);
            std::uint32_t& last = m_lastTextId[slot];
            if (last >= m_poolViews.size() || m_poolViews[last] != value) last = intern(value);
            row.text[slot] = last;
        } else {
            row.text[textSlot(field)] = 0;
            row.nulls |= nullBit(field);
        }
    }
    if (record.NVal && !m_nvalStored) {
        m_nval.resize(m_rowCount, 0);  // may throw: the column counts as stored only after it
        m_nvalStored = true;
    }
    if (m_nvalStored) m_nval.push_back(record.NVal.value_or(0));
    if (!record.NVal) row.nulls |= nullBit(LogField::NVal);
    row.range = rangeModeIdOf(record.rangeMode);
    if (record.dateTimeUtcMs) {
        m_stampChunks[chunk][m_rowCount & (kChunkRows - 1)] = *record.dateTimeUtcMs;
    } else {
        row.nulls |= kNoDateTime;
    }
    ++m_rowCount;
    if (origin == RowOrigin::Reading) ++m_unsavedReadings;
    if (m_updateDepth == 0) notifyAppended();
}

std::uint16_t LogTable::rangeModeIdOf(const std::optional<std::string>& text) {
    if (!text) return 0;
    const std::string_view value = cut(*text);
    for (std::size_t i = 0; i < m_rangeModes.size(); ++i) {
        if (m_rangeModes[i] == value) return static_cast<std::uint16_t>(i + 1);
    }
    // The meter has two; a flood of others is not kept rather than slowing every append.
    if (m_rangeModes.size() >= kMaxRangeModes) return 0;
    m_rangeModes.emplace_back(value);
    return static_cast<std::uint16_t>(m_rangeModes.size());
}

void LogTable::notifyAppended() {
    const std::size_t first = m_unreportedFrom;
    m_unreportedFrom = m_rowCount;
    if (first == m_rowCount) return;
    for (const auto& [id, observer] : m_observers) {
        if (observer.rowsAppended) observer.rowsAppended(first, m_rowCount - first);
    }
}

void LogTable::clear() {
    m_chunks.clear();
    m_stampChunks.clear();
    m_rowCount = 0;
    m_poolIndex.clear();
    m_poolViews.clear();
    m_poolBlocks.clear();
    m_poolBlockUsed = 0;
    m_nval.clear();
    m_nvalStored = false;
    m_rangeModes.clear();
    m_givenChanges.clear();
    m_derivedFrom = 0;
    m_unsavedReadings = 0;
    m_unreportedFrom = 0;
    ++m_generation;
    for (const auto& [id, observer] : m_observers) {
        if (observer.reset) observer.reset();
    }
}

void LogTable::replaceContent(LogTable& other) {
    if (&other == this) return;
    std::swap(m_chunks, other.m_chunks);
    std::swap(m_stampChunks, other.m_stampChunks);
    std::swap(m_rowCount, other.m_rowCount);
    std::swap(m_poolBlocks, other.m_poolBlocks);
    std::swap(m_poolBlockUsed, other.m_poolBlockUsed);
    std::swap(m_poolViews, other.m_poolViews);
    std::swap(m_lastTextId, other.m_lastTextId);
    std::swap(m_poolIndex, other.m_poolIndex);
    std::swap(m_nval, other.m_nval);
    std::swap(m_nvalStored, other.m_nvalStored);
    std::swap(m_rangeModes, other.m_rangeModes);
    std::swap(m_givenChanges, other.m_givenChanges);
    std::swap(m_derivedFrom, other.m_derivedFrom);
    std::swap(m_unsavedReadings, other.m_unsavedReadings);
    other.clear();
    m_unreportedFrom = m_rowCount;
    ++m_generation;
    for (const auto& [id, observer] : m_observers) {
        if (observer.reset) observer.reset();
    }
}

void LogTable::replaceChangeList(std::vector<ChangeTriple> list) {
    m_givenChanges = std::move(list);
    m_derivedFrom = m_rowCount;
}

std::string LogTable::displayText(std::size_t row, LogField field) const {
    if (isIntegerField(field)) {
        const auto value = integer(row, field);
        return value ? std::to_string(*value) : std::string();
    }
    return std::string(text(row, field).value_or(std::string_view()));
}

LogRecord LogTable::record(std::size_t row) const {
    LogRecord result;
    result.RowState = rowState(row);
    result.dateTimeUtcMs = dateTimeUtcMs(row);
    if (const auto range = rangeMode(row)) result.rangeMode = std::string(*range);
    for (const LogField field : kLogFields) {
        if (isIntegerField(field)) {
            result.integer(field) = integer(row, field);
        } else if (const auto value = text(row, field)) {
            result.text(field) = std::string(*value);
        }
    }
    return result;
}

std::size_t LogTable::changeCount() const {
    return m_givenChanges.size() + (m_rowCount - m_derivedFrom);
}

ChangeTriple LogTable::change(std::size_t index) const {
    assert(index < changeCount());
    if (index < m_givenChanges.size()) return m_givenChanges[index];
    const std::size_t row = m_derivedFrom + (index - m_givenChanges.size());
    return {static_cast<std::uint32_t>(row + 1), 0, kRowStateInserted};
}

std::vector<ChangeTriple> LogTable::changeList() const {
    std::vector<ChangeTriple> list;
    list.reserve(changeCount());
    for (std::size_t i = 0; i < changeCount(); ++i)
        list.push_back(change(i));
    return list;
}

LogTable::ObserverId LogTable::addObserver(LogTableObserver observer) {
    const ObserverId id = m_nextObserverId++;
    m_observers.emplace_back(id, std::move(observer));
    return id;
}

void LogTable::removeObserver(ObserverId id) {
    std::erase_if(m_observers, [id](const auto& entry) { return entry.first == id; });
}

void LogTable::beginUpdate() {
    ++m_updateDepth;
}

void LogTable::endUpdate() {
    assert(m_updateDepth > 0);
    if (--m_updateDepth == 0) notifyAppended();
}
