#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "log/log_table.h"

/// The recovery journal's lines. A journal is a header line, then one line per row of the log:
///   R TAB date-time TAB row state TAB No TAB Time TAB DC/AC TAB Value TAB Unit TAB Auto TAB NVal
///   LF
/// Integers are decimal, a field without value is empty, a text is "=" followed by its bytes
/// with backslash, TAB, CR, LF and NUL escaped (\\ \t \r \n \0), so every row comes back
/// exactly as it was. A line without its LF at the end was torn by the crash and is dropped.
inline constexpr std::string_view kJournalHeader = "VXM90 journal 1\n";

/// Appends the journal line of `row` of `table` to `out`.
void appendJournalLine(const LogTable& table, std::size_t row, std::string& out);

/// What a journal holds, found without building its rows.
struct JournalSummary {
    std::size_t rows = 0;                   ///< rows readable up to the first damaged line
    std::optional<std::int64_t> firstTime;  ///< the earliest and latest date-time among them
    std::optional<std::int64_t> lastTime;
    /// A line that cannot be read (not a torn last line): it and everything after it are lost.
    /// 0 when there is none; else the line's number, counted from 1 (the header is line 1).
    std::size_t damagedLine = 0;
};

JournalSummary summarizeJournal(std::string_view bytes);

/// Calls `row` with each record of the journal, in order, up to the first damaged line.
/// Returns the summary of what was read.
JournalSummary readJournal(std::string_view bytes,
                           const std::function<void(const LogRecord&)>& row);
