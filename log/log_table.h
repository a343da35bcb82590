#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

/// The fields of a log record, in table order; the data files rely on this order.
enum class LogField : std::uint8_t { No, Time, DcAc, Value, Unit, Auto, NVal };

inline constexpr std::size_t kLogFieldCount = 7;
inline constexpr std::array<LogField, kLogFieldCount> kLogFields = {
    LogField::No,   LogField::Time, LogField::DcAc, LogField::Value,
    LogField::Unit, LogField::Auto, LogField::NVal};
/// Texts longer than this are stored cut to their first kLogTextWidth bytes.
inline constexpr std::size_t kLogTextWidth = 20;
/// Row state of a record added since the table was created or last emptied.
inline constexpr std::uint8_t kRowStateInserted = 4;

/// "No", "Time", "DC/AC", "Value", "Unit", "Auto", "NVal".
std::string_view logFieldName(LogField field);
/// No and NVal hold 32-bit integers; the five others hold texts.
bool isIntegerField(LogField field);
/// Names (of fields, and of the data file's elements) compare without regard to ASCII case.
bool equalsIgnoringCase(std::string_view a, std::string_view b);
/// Field lookup by name without regard to ASCII letter case ("AUTO" and "auto" reach Auto).
std::optional<LogField> findLogField(std::string_view name);

/// Where an appended record comes from: a file (whose records are stored there already), or a
/// reading of the meter, which is lost if the log's content is replaced before it is saved.
enum class RowOrigin : std::uint8_t { File, Reading };

/// One entry of the change list the XML data file carries: (position from 1, 0, 4) for an append.
using ChangeTriple = std::array<std::uint32_t, 3>;

/// One record as plain data. A field without value is std::nullopt. Texts are 8-bit code-page
/// bytes.
struct LogRecord {
    std::optional<std::int32_t> No;
    std::optional<std::string> Time;
    std::optional<std::string> DcAc;
    std::optional<std::string> Value;
    std::optional<std::string> Unit;
    std::optional<std::string> Auto;
    std::optional<std::int32_t> NVal;
    std::uint8_t RowState = kRowStateInserted;
    /// When a reading was logged, in milliseconds since 1970-01-01 UTC; a record loaded from a
    /// file has none (the files keep only the Time text).
    std::optional<std::int64_t> dateTimeUtcMs;
    /// The meter's range mode when a reading was logged ("AUTO" or "MANU"); a record loaded
    /// from a file has none.
    std::optional<std::string> rangeMode;

    /// The text member of a text field; `field` must not be No or NVal.
    std::optional<std::string>& text(LogField field);
    const std::optional<std::string>& text(LogField field) const;
    /// The integer member of No or NVal; `field` must be one of them.
    std::optional<std::int32_t>& integer(LogField field);
    const std::optional<std::int32_t>& integer(LogField field) const;

    bool operator==(const LogRecord&) const = default;
};

/// Tells a view (the grid's model) what changed. Called after the change, on the thread that
/// changed the table; a view keeps its own row count and moves it on in these calls.
struct LogTableObserver {
    /// Rows [first, first + count) were appended.
    std::function<void(std::size_t first, std::size_t count)> rowsAppended;
    /// The content was replaced: emptied, or emptied and then reloaded.
    std::function<void()> reset;
};

/// The log table `cds1`: the seven fields with nulls, the row states and the change list.
/// Rows are compact (interned texts, a few bytes per row) so that millions fit, and an append
/// takes constant time. Single-threaded: the GUI thread owns it.
class LogTable {
public:
    LogTable();
    ~LogTable();
    LogTable(const LogTable&) = delete;
    LogTable& operator=(const LogTable&) = delete;

    std::size_t rowCount() const { return m_rowCount; }
    bool empty() const { return m_rowCount == 0; }
    /// Moves on at every clear(). Rows are only ever appended, so while it stays the same the
    /// rows a reader saw earlier still hold what it saw; a reader that keeps row numbers across
    /// events (a print preview) compares it before reading them again.
    std::uint64_t generation() const { return m_generation; }

    /// Appends a record at the end; texts are cut to kLogTextWidth bytes; the row keeps
    /// `record.RowState`. Adds the change triple (new position, 0, 4). A reading counts as
    /// unsaved until the next markSaved() or clear().
    void append(const LogRecord& record, RowOrigin origin = RowOrigin::File);
    /// Empties the table and the change list and frees the text pool. Views returned by text()
    /// become invalid. No reading is unsaved afterwards.
    void clear();

    /// Readings appended since the table was created, last emptied or last marked saved: what
    /// replacing the content now would lose.
    std::size_t unsavedReadings() const { return m_unsavedReadings; }
    /// The whole content has just been written to a file.
    void markSaved() { m_unsavedReadings = 0; }
    /// Takes over the whole content of `other` (rows, texts, change list), which is left empty;
    /// this table's observers are told of a reset and find the new rows in it. A load that must
    /// succeed whole reads into a table of its own and then moves its content here.
    void replaceContent(LogTable& other);
    /// Replaces the change list (an XML load); appends after this add their triples behind it.
    void replaceChangeList(std::vector<ChangeTriple> list);

    /// Field reading. `row` must be below rowCount(). A text view stays valid until clear().
    std::optional<std::int32_t> integer(std::size_t row, LogField field) const {
        const Row& r = rowAt(row);
        if (!isIntegerField(field) || (r.nulls & nullBit(field)) != 0) return std::nullopt;
        return field == LogField::No ? r.no : m_nval[row];
    }
    std::optional<std::int32_t> No(std::size_t row) const { return integer(row, LogField::No); }
    std::optional<std::string_view> text(std::size_t row, LogField field) const {
        const Row& r = rowAt(row);
        if (isIntegerField(field) || (r.nulls & nullBit(field)) != 0) return std::nullopt;
        return m_poolViews[r.text[static_cast<std::size_t>(field) - 1]];
    }
    /// A field as the grid shows it: integers in decimal, a field without value as "".
    std::string displayText(std::size_t row, LogField field) const;
    std::uint8_t rowState(std::size_t row) const { return rowAt(row).state; }
    /// The row's range mode (see LogRecord::rangeMode) as a small id: 0 for none, else an id
    /// for rangeModeText(). Few distinct texts exist, so a writer prepares each once.
    std::uint16_t rangeModeId(std::size_t row) const { return rowAt(row).range; }
    std::string_view rangeModeText(std::uint16_t id) const { return m_rangeModes[id - 1u]; }
    std::optional<std::string_view> rangeMode(std::size_t row) const {
        const std::uint16_t id = rangeModeId(row);
        if (id == 0) return std::nullopt;
        return rangeModeText(id);
    }
    /// The row's date-time (see LogRecord::dateTimeUtcMs), or std::nullopt.
    std::optional<std::int64_t> dateTimeUtcMs(std::size_t row) const {
        const Row& r = rowAt(row);
        if ((r.nulls & kNoDateTime) != 0) return std::nullopt;
        return m_stampChunks[row >> kChunkShift][row & (kChunkRows - 1)];
    }
    LogRecord record(std::size_t row) const;

    /// The change list: the list given to replaceChangeList (as it came), followed by one
    /// triple per row appended since.
    std::size_t changeCount() const;
    ChangeTriple change(std::size_t index) const;
    std::vector<ChangeTriple> changeList() const;

    /// Adds a view to tell about changes; the id removes it again. Views are told in the order
    /// they were added.
    using ObserverId = std::uint32_t;
    ObserverId addObserver(LogTableObserver observer);
    void removeObserver(ObserverId id);
    /// While an update runs (calls nest), appends are reported once, when the outermost ends.
    void beginUpdate();
    void endUpdate();

    /// Distinct texts held by the pool. Equal texts share one pool id, so a writer can prepare
    /// each distinct text once instead of once per row.
    std::size_t pooledTextCount() const { return m_poolViews.size(); }
    std::string_view pooledText(std::uint32_t id) const { return m_poolViews[id]; }
    /// The pool id of a text field, or std::nullopt for a field without value.
    std::optional<std::uint32_t> textId(std::size_t row, LogField field) const {
        const Row& r = rowAt(row);
        if (isIntegerField(field) || (r.nulls & nullBit(field)) != 0) return std::nullopt;
        return r.text[static_cast<std::size_t>(field) - 1];
    }

private:
    struct Row {
        std::int32_t no;
        std::uint32_t text[5];  // pool ids of Time, DC/AC, Value, Unit, Auto
        std::uint8_t state;
        std::uint8_t nulls;   // bit i set: field i of kLogFields has no value; kNoDateTime
        std::uint16_t range;  // 0: no range mode; else its place in m_rangeModes, from 1
    };
    static constexpr std::uint8_t kNoDateTime = 0x80;
    static constexpr std::size_t kChunkShift = 16;
    static constexpr std::size_t kChunkRows = std::size_t{1} << kChunkShift;

    static constexpr std::size_t kPoolBlockBytes = 64 * 1024;

    static constexpr std::uint8_t nullBit(LogField field) {
        return static_cast<std::uint8_t>(1u << static_cast<unsigned>(field));
    }
    const Row& rowAt(std::size_t row) const {
        assert(row < m_rowCount);
        return m_chunks[row >> kChunkShift][row & (kChunkRows - 1)];
    }
    std::uint32_t intern(std::string_view text);
    std::uint16_t rangeModeIdOf(const std::optional<std::string>& text);
    static constexpr std::size_t kMaxRangeModes = 16;
    void notifyAppended();

    std::vector<std::unique_ptr<Row[]>> m_chunks;
    // Date-times beside the rows, chunk by chunk; a chunk whose rows all come from files has
    // none, so loaded rows cost nothing for them.
    std::vector<std::unique_ptr<std::int64_t[]>> m_stampChunks;
    std::size_t m_rowCount = 0;
    // Interned texts: bytes in blocks that never move, so the views and the index keys stay
    // valid until clear().
    std::vector<std::unique_ptr<char[]>> m_poolBlocks;
    std::size_t m_poolBlockUsed = 0;
    std::vector<std::string_view> m_poolViews;
    std::array<std::uint32_t, 5> m_lastTextId{};  // per text field: the id of its last text
    std::unordered_map<std::string_view, std::uint32_t> m_poolIndex;
    std::vector<std::int32_t> m_nval;       // one per row once any row carried an NVal
    std::vector<std::string> m_rangeModes;  // the distinct range-mode texts, cut like fields
    bool m_nvalStored = false;
    std::vector<ChangeTriple> m_givenChanges;
    std::size_t m_derivedFrom = 0;  // rows from here on contribute (position, 0, 4)
    std::size_t m_unsavedReadings = 0;
    std::vector<std::pair<ObserverId, LogTableObserver>> m_observers;
    ObserverId m_nextObserverId = 1;
    std::uint64_t m_generation = 0;
    int m_updateDepth = 0;
    std::size_t m_unreportedFrom = 0;
};

/// Runs a LogTable update for the lifetime of the guard.
class LogTableUpdate {
public:
    explicit LogTableUpdate(LogTable& table) : m_table(table) { m_table.beginUpdate(); }
    ~LogTableUpdate() { m_table.endUpdate(); }
    LogTableUpdate(const LogTableUpdate&) = delete;
    LogTableUpdate& operator=(const LogTableUpdate&) = delete;

private:
    LogTable& m_table;
};
