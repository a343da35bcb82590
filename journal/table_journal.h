#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "journal/journal_file.h"
#include "log/log_table.h"

/// Follows a log table into its journal file: each appended row becomes a line, gathered in
/// memory on the way (appends stay cheap) and written out by flush(), which the owner calls
/// at least once a second; a clear empties the file. The first failure ends the journal and
/// is kept for the owner to report once; the table goes on as before. Single-threaded: the
/// table's thread.
class TableJournal {
public:
    /// Starts with the rows the table already holds. The table must outlive the journal.
    TableJournal(LogTable& table, std::unique_ptr<JournalFile> file);
    /// Stops following the table and closes the file, which stays on disk.
    ~TableJournal();
    TableJournal(const TableJournal&) = delete;
    TableJournal& operator=(const TableJournal&) = delete;

    /// Writes out the gathered lines and puts them on the disk.
    void flush();
    /// The run ends cleanly: the file goes.
    void finish();

    /// The first failure, as "<file>: <reason>", the first time it is asked for.
    std::optional<std::string> takeFailure();
    bool failed() const { return m_failed; }
    const std::string& path() const { return m_path; }
    /// Bytes gathered and not yet written.
    std::size_t pendingBytes() const { return m_pending.size(); }

private:
    void rowsAppended(std::size_t first, std::size_t count);
    void reset();
    void writePending();
    void fail(const std::string& reason);

    LogTable& m_table;
    std::unique_ptr<JournalFile> m_file;
    std::string m_path;
    LogTable::ObserverId m_observer;
    std::string m_pending;
    bool m_failed = false;
    std::optional<std::string> m_failure;
};
