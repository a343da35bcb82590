#include <cerrno>
#include <cstdint>
#include <ostream>
#include <string_view>

#include "cli/commands.h"
#include "cli/hid_line.h"
#include "cli/input_reader.h"
#include "cli/reading_json.h"
#include "cli/stop_signals.h"
#include "log/clock.h"
#include "log/memory_chart_surface.h"
#include "session/meter_session.h"
#include "session/reading_callback.h"

namespace {

constexpr std::string_view kHelp =
    R"(Usage: vxm90-cli decode [--hid] [--high H] [--low L] [--decimal-separator C]

Decodes the meter's packets from standard input, as the program does, and prints one JSON
object per decoded packet, one per line, with the keys value, function, unit, range, judge,
count, numeric, axis_min, axis_max, point, max, min and lit (the shown LCD elements, sorted).

Input:
  (default)  the meter's raw serial byte stream (a packet counts from the line feed that
             ends the one before it, so the very first packet needs a line feed before it)
  --hid      one cable input report per line: hex bytes separated by blanks, report ID
             first; a malformed line is reported on standard error with its number and
             skipped

Options:
  --high H                high limit (default 6000)
  --low L                 low limit (default -6000)
  --decimal-separator C   the locale's decimal separator, one character (default ".")
  --help                  show this text

Exit status: 0 at the end of input or when stopped by SIGINT/SIGTERM, 1 when reading
fails, 2 on a usage error.
)";

// A report line holds at most the ID and 65535 data bytes, three characters each.
constexpr std::size_t kMaxReportLine = 3 * (kMaxHidLineDataBytes + 1) + 64;

}  // namespace

std::optional<LimitOptions> limitOptions(const ParsedArgs& args, std::string& error) {
    LimitOptions options;
    if (const auto high = args.value("high")) options.high = *high;
    if (const auto low = args.value("low")) options.low = *low;
    if (const auto separator = args.value("decimal-separator")) {
        const std::string& s = *separator;
        const bool usable = s.size() == 1 && s[0] > ' ' && s[0] != '+' && s[0] != '-' &&
                            !(s[0] >= '0' && s[0] <= '9');
        if (!usable) {
            error =
                "--decimal-separator takes one character other than a digit, a sign or a "
                "blank";
            return std::nullopt;
        }
        options.decimalSeparator = s[0];
    }
    return options;
}

int runDecode(const std::vector<std::string>& args, int inFd, std::ostream& out,
              std::ostream& err) {
    const OptionSpec accepted{{"high", "low", "decimal-separator"}, {"hid", "help"}};
    std::string error;
    const auto parsed = parseArgs(args, accepted, error);
    if (!parsed || !parsed->operands.empty()) {
        err << "vxm90-cli decode: " << (parsed ? "unexpected operand" : error)
            << "\nTry 'vxm90-cli decode --help'.\n";
        return kExitUsage;
    }
    if (parsed->has("help")) {
        out << kHelp;
        return kExitOk;
    }
    const auto options = limitOptions(*parsed, error);
    if (!options) {
        err << "vxm90-cli decode: " << error << '\n';
        return kExitUsage;
    }

    // A decode shows readings and logs none.
    const FixedLocale locale = localeFor(*options);
    const SystemClock clock;
    MemoryChartSurface chart;
    SessionSettings settings;
    settings.logReadings = false;
    MeterSession session(chart, clock, locale, nullptr, settings);
    std::string lines;
    ReadingCallback display([&lines, &session](const TMeterReading& reading, double) {
        lines += readingJson(session.decoder(), reading);
        lines += '\n';
    });
    session.setDisplay(&display);
    if (const auto limitError = applyLimits(session.limits(), *options)) {
        err << "vxm90-cli decode: " << *limitError << '\n';
        return kExitUsage;
    }
    // A failed write (a full disk, a closed pipe) is reported once and ends the command.
    bool writeFailed = false;
    auto emit = [&] {
        if (lines.empty()) return true;
        errno = 0;
        out << lines;
        out.flush();
        lines.clear();
        if (out) return true;
        err << "vxm90-cli decode: " << writeErrorText(errno) << '\n';
        writeFailed = true;
        return false;
    };

    const bool hid = parsed->has("hid");
    LineSplitter splitter(
        kMaxReportLine, [&](std::string_view line, std::size_t number, bool truncated) {
            if (truncated) {
                err << "vxm90-cli decode: line " << number << ": line too long, skipped\n";
                return;
            }
            const HidLineResult result = parseHidReportLine(line);
            if (!result.error.empty()) {
                err << "vxm90-cli decode: line " << number << ": " << result.error << ", skipped\n";
            } else if (result.report) {
                const HidReportLine& report = *result.report;
                session.receiveHidReport(report.reportId,
                                         report.data.empty() ? nullptr : report.data.data(),
                                         static_cast<std::uint16_t>(report.data.size()));
            }
        });

    StopSignals stop;
    const InputEnd end = readChunks(
        inFd, stop,
        [&](std::string_view chunk) {
            if (hid) {
                splitter.feed(chunk);
            } else {
                session.receiveSerial(reinterpret_cast<const std::uint8_t*>(chunk.data()),
                                      chunk.size());
            }
            return emit();
        },
        error);
    if (writeFailed) return kExitFailure;
    if (hid) splitter.finish();
    if (!emit()) return kExitFailure;
    if (end == InputEnd::Failed) {
        err << "vxm90-cli decode: cannot read input: " << error << '\n';
        return kExitFailure;
    }
    return kExitOk;
}
