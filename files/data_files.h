#pragma once

#include <string>

#include "decode/locale_info.h"
#include "files/file_result.h"
#include "log/clock.h"
#include "log/log_table.h"

/// The Save command after the dialog: an XML data packet for a name ending exactly in ".xml",
/// CSV for ".csv" (its times in `zone`), TAB text for any other name. The result carries the
/// message to show (see FileResult).
FileResult saveTableFile(const LogTable& table, const std::string& fileName, const TimeZone& zone);
/// The same with the machine's time zone.
FileResult saveTableFile(const LogTable& table, const std::string& fileName);

/// The reason a ".csv" load fails with.
inline constexpr const char* kCsvNotLoaded =
    "CSV files are an export for other programs and are not loaded back; open the TAB text or "
    "XML file of the log instead";

/// The Open command after the dialog: for ".xml" the packet replaces the table's content;
/// ".csv" is refused untouched (kCsvNotLoaded); otherwise the text file's records are appended.
/// A failure carries "Failed to Load File!".
FileResult FileToTable(const std::string& fileName, LogTable& table, const NumberFormat& numbers);
