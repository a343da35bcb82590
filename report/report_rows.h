#pragma once

#include <cstddef>
#include <cstdint>

#include "log/log_table.h"

/// The records a report is made of: the rows a log table held when the report was prepared.
/// The log goes on taking readings behind it, so later rows are not part of the report; when the
/// log is cleared or replaced the rows are gone and intact() turns false for good, even once the
/// log has as many rows again. Nothing is copied, so it costs the same for any log size.
/// The table must outlive it. GUI thread only, like the table.
class ReportRows {
public:
    explicit ReportRows(const LogTable& table)
        : m_table(&table), m_count(table.rowCount()), m_generation(table.generation()) {}

    std::size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    /// True while the table still holds the rows as they were when this was made.
    bool intact() const {
        return m_table->generation() == m_generation && m_table->rowCount() >= m_count;
    }
    /// The table to read rows [0, size()) from, while intact() holds.
    const LogTable& table() const { return *m_table; }

private:
    const LogTable* m_table;
    std::size_t m_count;
    std::uint64_t m_generation;
};
