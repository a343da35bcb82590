#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "files/file_result.h"
#include "files/table_rows.h"
#include "log/clock.h"
#include "log/log_table.h"

/// The header line of the CSV export, without its line end.
inline constexpr std::string_view kCsvHeader =
    "time,no,function,value,unit,display,display_unit,range,judge,overload";

/// The CSV export of the log, for analysis tools: UTF-8 without byte-order mark, RFC 4180
/// (fields holding a comma, a double quote, CR or LF are quoted, inner quotes doubled; CR LF
/// after every line), the header kCsvHeader, then one line per row:
/// - time: the row's date-time in `zone` as ISO 8601 with milliseconds and the UTC offset
///   ("2026-12-10T16:24:36.250+01:00"); a row without date-time (loaded from a file) gives its
///   Time text;
/// - no; function (the DC/AC text);
/// - value: the reading in the base unit, the shortest exact decimal with "." (4.700 kOhm is
///   4700), empty for an overload and when the Value or Unit text is not one a reading has;
/// - unit: V, A, Ω (U+03A9), F, Hz, °C, °F, % or empty;
/// - display and display_unit: the Value text and the unit as the LCD shows them ("kΩ", "µF");
/// - range: the range mode the meter showed ("AUTO" or "MANU"), empty for a loaded row;
/// - judge: the Auto text; overload: 1 or 0.
/// Texts of the table are code page 1252 bytes and are converted to UTF-8.
class CsvRowFormat final : public TableRowFormat {
public:
    /// zone: not owned, must outlive the format.
    explicit CsvRowFormat(const TimeZone& zone);
    ~CsvRowFormat() override;
    void writeHeader(OutputBuffer& out) override;
    void writeRows(const LogTable& table, std::size_t first, std::size_t last,
                   OutputBuffer& out) override;

private:
    struct Prepared;
    std::unique_ptr<Prepared> m_prepared;
};

/// True when the name's extension is exactly ".csv" (as hasXmlExtension compares).
bool hasCsvExtension(std::string_view fileName);

/// Saves the table as CSV, through a temporary file as every save does. Success: "Save table
/// to specified file: <name> Scuss!" (Information); failure: "Could not save table to specified
/// file: <name>" (Error), an earlier file of that name left intact.
FileResult saveCsvFile(const LogTable& table, const std::string& fileName, const TimeZone& zone);
