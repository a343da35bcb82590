#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "decode/locale_info.h"
#include "files/file_result.h"
#include "files/safe_file.h"
#include "files/table_rows.h"
#include "log/log_table.h"

/// The TAB text format line by line (see writeTextTable), for a log written as it grows.
class TextRowFormat final : public TableRowFormat {
public:
    TextRowFormat();
    ~TextRowFormat() override;
    void writeHeader(OutputBuffer& out) override;
    void writeRows(const LogTable& table, std::size_t first, std::size_t last,
                   OutputBuffer& out) override;

private:
    struct Prepared;
    std::unique_ptr<Prepared> m_prepared;
};

/// Writes the TAB text format: the header line, then one line per record (No, Time, DC/AC,
/// Value, Unit, Auto; texts trimmed of codes 0 to 32, "NULL" when nothing is left), CR LF after
/// every line. NVal is not written. So that the file loads back as the same records, a TAB, CR,
/// LF or NUL inside a text is written as a blank, and a text that begins with a double quote is
/// written quoted (inner quotes doubled).
void writeTextTable(const LogTable& table, OutputBuffer& out);

/// Saves the table as TAB text. Success: "Save table to specified file: <name> Scuss!"
/// (Information); failure: "Could not save table to specified file: <name>" (Error), and an
/// earlier file of that name is left intact.
FileResult TableToTextFile(const LogTable& table, const std::string& fileName);

/// Appends the records of a TAB text file's bytes to the table. The first line is the header
/// and is skipped. Lines holding a TAB are split at TABs, one field per piece (an empty piece
/// leaves its field without value); other lines are split into blank-separated tokens with the
/// double-quote rule. A failing line adds no record; the records of the lines before it stay.
/// Success carries no message; failure carries "Failed to Load File!" with the line.
FileResult loadTextTable(std::string_view bytes, LogTable& table, const NumberFormat& numbers);

/// The integer conversion of loaded fields: optionally signed decimal digits, also grouped by
/// threes with the locale's thousands separator ("1,234"); within 32 bits. Nothing else.
std::optional<std::int32_t> parseTableInteger(std::string_view text, const NumberFormat& numbers);
