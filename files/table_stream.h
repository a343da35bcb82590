#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "files/table_rows.h"
#include "log/log_table.h"

/// A data file written while the log grows: the header, then the rows as they are appended, so
/// that a process killed at any moment leaves every row it had handed over (a torn last line
/// at most, when the disk fills). The file is created at the first call, not before, so a
/// capture that never starts leaves no file behind. The table must only grow while streamed
/// (no clear()). Single-threaded, like the table.
class TableFileStream {
public:
    enum class Create {
        Replace,  ///< a new file, or an existing regular file emptied (links are followed)
        New       ///< a new file only; an existing name fails with "File exists"
    };
    TableFileStream(std::string fileName, std::unique_ptr<TableRowFormat> format,
                    Create create = Create::Replace);
    ~TableFileStream();
    TableFileStream(const TableFileStream&) = delete;
    TableFileStream& operator=(const TableFileStream&) = delete;

    /// Hands the rows appended since the last call to the system (one write), the header first
    /// at the first call. They survive the process from then on, not yet a power cut (sync()).
    /// False once any write failed; then nothing more is written (failure() says why).
    bool writeNewRows(const LogTable& table);
    /// Forces what was written onto the disk when anything was written since the last sync.
    bool sync();
    /// Writes the last rows, syncs and closes the file. False when any step ever failed.
    bool finish(const LogTable& table);

    bool opened() const { return m_fd >= 0 || m_closed; }
    const std::optional<std::string>& failure() const { return m_failure; }
    std::size_t rowsWritten() const { return m_rowsWritten; }
    const std::string& fileName() const { return m_fileName; }

private:
    bool open();
    bool writeAll(const std::string& bytes);
    bool fail(std::string reason);

    std::string m_fileName;
    std::unique_ptr<TableRowFormat> m_format;
    Create m_create;
    int m_fd = -1;
    bool m_closed = false;
    bool m_unsynced = false;
    std::size_t m_rowsWritten = 0;
    std::optional<std::string> m_failure;
};
