#pragma once

#include <array>
#include <cstddef>
#include <string_view>

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

/// Lines built straight into a block of memory that goes to the output whole, so that writing a
/// row only copies bytes. Start at begin(), ask room() before each line of at most `maxLine`
/// bytes, and hand the end to flush() once the last line is written.
class LineBlock {
public:
    LineBlock(OutputBuffer& out, std::size_t maxLine) : m_out(out), m_maxLine(maxLine) {}
    LineBlock(const LineBlock&) = delete;
    LineBlock& operator=(const LineBlock&) = delete;

    char* begin() { return m_block.data(); }
    /// Where the next line goes: `at`, or the start again once the block is sent on.
    char* room(char* at) {
        if (at <= m_block.data() + (m_block.size() - m_maxLine)) return at;
        flush(at);
        return begin();
    }
    /// Sends the lines up to `end` to the output.
    void flush(char* end) {
        m_out.append(std::string_view(begin(), static_cast<std::size_t>(end - begin())));
    }

private:
    OutputBuffer& m_out;
    const std::size_t m_maxLine;
    std::array<char, 64 * 1024> m_block;
};
