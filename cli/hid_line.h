#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// One HID input report as a text line gives it.
struct HidReportLine {
    std::uint8_t reportId = 0;
    std::vector<std::uint8_t> data;  ///< the data bytes after the report ID (may be empty)
};

/// The outcome of reading one line: a report, a blank line (nothing to do), or an error.
struct HidLineResult {
    std::optional<HidReportLine> report;
    std::string error;  ///< set when the line is malformed
    bool blank() const { return !report && error.empty(); }
};

/// Largest number of data bytes one report may carry (the report handlers take a 16-bit size).
inline constexpr std::size_t kMaxHidLineDataBytes = 65535;

/// Reads a line of hex bytes separated by blanks or tabs, the report ID first: each byte is one
/// or two hexadecimal digits of either case. A trailing CR (a CR LF file) is ignored; a line of
/// blanks only is blank.
HidLineResult parseHidReportLine(std::string_view line);
