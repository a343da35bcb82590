#include "cli/hid_line.h"

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string printable(std::string_view token) {
    constexpr std::size_t kShown = 16;
    std::string text;
    for (const char c : token.substr(0, kShown)) {
        const auto byte = static_cast<unsigned char>(c);
        text += (byte >= 0x20 && byte < 0x7F) ? c : '?';
    }
    if (token.size() > kShown) text += "...";
    return text;
}

}  // namespace

HidLineResult parseHidReportLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    HidLineResult result;
    HidReportLine report;
    bool haveId = false;
    std::size_t pos = 0;
    while (pos < line.size()) {
        if (isBlank(line[pos])) {
            ++pos;
            continue;
        }
        std::size_t end = pos;
        while (end < line.size() && !isBlank(line[end]))
            ++end;
        const std::string_view token = line.substr(pos, end - pos);
        pos = end;

        int value = -1;
        if (token.size() == 1) {
            value = hexValue(token[0]);
        } else if (token.size() == 2 && hexValue(token[0]) >= 0 && hexValue(token[1]) >= 0) {
            value = hexValue(token[0]) * 16 + hexValue(token[1]);
        }
        if (value < 0) {
            result.error = "not a hex byte: \"" + printable(token) + "\"";
            return result;
        }
        if (!haveId) {
            report.reportId = static_cast<std::uint8_t>(value);
            haveId = true;
        } else if (report.data.size() == kMaxHidLineDataBytes) {
            result.error = "more than 65535 data bytes";
            return result;
        } else {
            report.data.push_back(static_cast<std::uint8_t>(value));
        }
    }
    if (haveId) result.report = std::move(report);
    return result;
}
