#include <unistd.h>

#include <cstdint>
#include <ostream>
#include <string_view>

#include "cli/commands.h"
#include "cli/input_reader.h"
#include "cli/stop_signals.h"
#include "files/data_files.h"
#include "log/clock.h"
#include "log/memory_chart_surface.h"
#include "session/meter_session.h"

namespace {

constexpr std::string_view kHelp =
    R"(Usage: vxm90-cli log [--no-repeat] [--limit N] [--high H] [--low L] --out FILE

A headless logger. Reads the meter's raw serial byte stream from standard input (as
decode does), passes every decoded reading through the program's log rules in the normal
mode, and at the end of input (or on SIGINT/SIGTERM) saves the log to FILE: an XML data
packet when FILE ends in ".xml", TAB-separated text otherwise. An earlier FILE is only
replaced once the new one is complete.

Options:
  --no-repeat   drop a reading that repeats the last logged one (value, function, unit
                and range mode)
  --limit N     record limit, one of the program's choices: 1000, 5000, 10000 (default),
                50000, 100000, or limitless (10000000)
  --high H      high limit (default 6000)
  --low L       low limit (default -6000)
  --out FILE    where to save the log (required)
  --help        show this text

Exit status: 0 when the log was saved, 1 when reading or saving failed, 2 on a usage
error.
)";

std::optional<RecordLimitChoice> limitChoice(std::string_view text) {
    if (text == "limitless") return RecordLimitChoice::limitess;
    for (const RecordLimitItem& item : kRecordLimitItems) {
        if (item.caption == text) return item.choice;
    }
    return std::nullopt;
}

std::string folderOf(const std::string& fileName) {
    const std::size_t slash = fileName.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return fileName.substr(0, slash);
}

}  // namespace

int runLog(const std::vector<std::string>& args, int inFd, std::ostream& out, std::ostream& err) {
    const OptionSpec accepted{{"limit", "high", "low", "out"}, {"no-repeat", "help"}};
    std::string error;
    const auto parsed = parseArgs(args, accepted, error);
    if (!parsed || !parsed->operands.empty()) {
        err << "vxm90-cli log: " << (parsed ? "unexpected operand" : error)
            << "\nTry 'vxm90-cli log --help'.\n";
        return kExitUsage;
    }
    if (parsed->has("help")) {
        out << kHelp;
        return kExitOk;
    }
    const auto usage = [&err](std::string_view message) {
        err << "vxm90-cli log: " << message << '\n';
        return kExitUsage;
    };
    const auto outFile = parsed->value("out");
    if (!outFile || outFile->empty()) return usage("--out FILE is required");
    std::optional<RecordLimitChoice> limit;
    if (const auto text = parsed->value("limit")) {
        limit = limitChoice(*text);
        if (!limit) return usage("--limit takes 1000, 5000, 10000, 50000, 100000 or limitless");
    }
    const auto options = limitOptions(*parsed, error);
    if (!options) return usage(error);
    // Hours of logging must not end in a save that could never work.
    if (access(folderOf(*outFile).c_str(), W_OK | X_OK) != 0) {
        err << "vxm90-cli log: cannot write into the folder of " << *outFile << '\n';
        return kExitFailure;
    }

    const FixedLocale locale = localeFor(*options);
    const SystemClock clock;
    MemoryChartSurface chart;
    MeterSession session(chart, clock, locale);
    session.log().setRepeatSet(!parsed->has("no-repeat"));
    if (limit) session.log().selectRecordLimit(*limit);
    if (const auto limitError = applyLimits(session.limits(), *options)) return usage(*limitError);

    StopSignals stop;
    const InputEnd end = readChunks(
        inFd, stop,
        [&session](std::string_view chunk) {
            session.receiveSerial(reinterpret_cast<const std::uint8_t*>(chunk.data()),
                                  chunk.size());
            return true;
        },
        error);
    if (end == InputEnd::Failed) {
        err << "vxm90-cli log: cannot read input: " << error << " (saving what was logged)\n";
    }

    const FileResult saved = saveTableFile(session.cds1(), *outFile);
    if (!saved.ok) {
        err << saved.message << '\n';
        if (!saved.reason.empty()) err << "vxm90-cli log: " << saved.reason << '\n';
        return kExitFailure;
    }
    out << saved.message << '\n';
    return end == InputEnd::Failed ? kExitFailure : kExitOk;
}
