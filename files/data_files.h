#pragma once

#include <string>

#include "decode/locale_info.h"
#include "files/file_result.h"
#include "log/log_table.h"

/// The Save command after the dialog: an XML data packet for a name ending exactly in ".xml",
/// TAB text for any other name. The result carries the message to show (see FileResult).
FileResult saveTableFile(const LogTable& table, const std::string& fileName);

/// The Open command after the dialog: for ".xml" the packet replaces the table's content;
/// otherwise the text file's records are appended. A failure carries "Failed to Load File!".
FileResult FileToTable(const std::string& fileName, LogTable& table, const NumberFormat& numbers);
