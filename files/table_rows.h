#pragma once

#include <cstddef>

#include "files/safe_file.h"
#include "log/log_table.h"

/// A line-based file format of the log that can be written a few rows at a time: the header
/// once, then rows as they arrive (a streamed log), or all rows in one go (a save). A format
/// keeps what it prepared for the table's pooled texts between calls; after the table's
/// clear() it starts its preparations afresh. Single-threaded, like the table.
class TableRowFormat {
public:
    virtual ~TableRowFormat() = default;
    virtual void writeHeader(OutputBuffer& out) = 0;
    /// Writes the rows [first, last) of the table; last must not exceed its row count.
    virtual void writeRows(const LogTable& table, std::size_t first, std::size_t last,
                           OutputBuffer& out) = 0;
};
