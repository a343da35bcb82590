#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string_view>

#include "cli/capture.h"
#include "cli/capture_port.h"
#include "cli/capture_usb.h"
#include "cli/commands.h"
#include "cli/input_reader.h"
#include "cli/log_output.h"
#include "cli/log_target.h"
#include "cli/stop_signals.h"
#include "decode/integer_text.h"
#include "files/data_files.h"
#include "log/clock.h"
#include "log/memory_chart_surface.h"
#include "session/meter_session.h"

namespace {

constexpr std::string_view kHelp =
    R"(Usage: vxm90-cli log [SOURCE] [--count N] [--seconds S] [--no-repeat] [--limit N]
                      [--high H] [--low L] --out FILE

A headless logger. Passes every decoded reading through the program's log rules in the
normal mode and writes the log to FILE: CSV when FILE ends in ".csv", an XML data packet
when it ends in ".xml", TAB-separated text otherwise.

TAB text and CSV are written to FILE as the rows arrive: FILE is emptied at the first write
(an earlier FILE is replaced then), the header goes first, every row reaches FILE as soon as
it is logged, and it is forced onto the disk at least once a second. An XML data packet can
only be written whole: it is saved when the capture ends (an earlier FILE is only replaced
once the new one is complete), and until then every row is journalled as it arrives in the
TAB text file FILE.partial.txt (FILE.partial-2.txt and on when that name is taken), which
is removed once FILE is saved. So when the capture is killed (SIGKILL, a crash, a power
cut), FILE (TAB text, CSV) or FILE.partial.txt (XML) holds every row logged up to the last
second, the last line at most torn; the window's Open command and `vxm90-cli convert` load
the TAB text, e.g. `vxm90-cli convert FILE.partial.txt FILE`.

Sources (standard input when none is given):
  (none)            the meter's raw serial byte stream on standard input, as decode reads it
  --usb             the meter's USB cable, connected as the window's "USB Connection" does:
                    the last HID device named "USB to Serial" gets the speed report and its
                    input reports are read on their own thread
  --simulated-cable   with --usb: the simulated cable (the simulated meter behind it, in
                    real time) is listed before the system's devices, so it is the one used
                    when no real cable is plugged in
  --seed N          with --simulated-cable: the simulated meter's seed (default 1)
  --rate R          with --simulated-cable: packets per second (default 2.5; at most 12,
                    the fastest pace at which the cable delivers every packet; 0 = 12)
  --port DEVICE     a serial device or pseudo-terminal, opened and polled as the window's
                    "COM Connection" does (2400 baud, 8 data bits, no parity, 1 stop bit)

The capture ends at the end of standard input, after --count N logged rows, after
--seconds S, on SIGINT (Ctrl+C) or SIGTERM, or when the cable or device goes away; the log
is written out in every case.

Options:
  --count N     stop once N rows are logged
  --seconds S   stop after S seconds (up to 2000000)
  --no-repeat   drop a reading that repeats the last logged one (value, function, unit
                and range mode)
  --limit N     record limit, one of the program's choices: 1000, 5000, 10000 (default),
                50000, 100000, or limitless (10000000)
  --high H      high limit (default 6000)
  --low L       low limit (default -6000)
  --out FILE    where to write the log (required)
  --help        show this text

Exit status: 0 when the log was saved, 1 when the source could not be opened (FILE is not
touched then), went away or failed, or saving failed, 2 on a usage error.
)";

enum class Source { Stdin, Usb, Port };

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

/// Standard input: the byte stream as it arrives, until its end.
CaptureEnd captureStdin(int fd, LogTarget& target, StopSignals& stop,
                        StopSignals::Deadline deadline, std::ostream& err) {
    std::string error;
    const InputEnd end = readChunks(
        fd, stop,
        [&target](std::string_view chunk) {
            return target.receiveSerial(reinterpret_cast<const std::uint8_t*>(chunk.data()),
                                        chunk.size());
        },
        error, deadline,
        InputTick{std::chrono::milliseconds(LogTarget::kWakeMs), [&target] { target.wake(); }});
    switch (end) {
        case InputEnd::EndOfInput:
            return CaptureEnd::SourceEnded;
        case InputEnd::Stopped:
            return target.full() ? CaptureEnd::CountReached : CaptureEnd::Stopped;
        case InputEnd::TimeUp:
            return CaptureEnd::TimeUp;
        case InputEnd::Failed:
            break;
    }
    err << "vxm90-cli log: cannot read input: " << error << " (saving what was logged)\n";
    return CaptureEnd::Failed;
}

}  // namespace

int runLog(const std::vector<std::string>& args, int inFd, std::ostream& out, std::ostream& err) {
    const OptionSpec accepted{
        {"limit", "high", "low", "out", "count", "seconds", "seed", "rate", "port"},
        {"no-repeat", "help", "usb", "simulated-cable"}};
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

    const auto port = parsed->value("port");
    const bool usb = parsed->has("usb");
    const bool simulatedCable = parsed->has("simulated-cable");
    if (usb && port) return usage("--usb and --port exclude each other");
    if (port && port->empty()) return usage("--port takes a device, e.g. /dev/ttyUSB0");
    if (simulatedCable && !usb) return usage("--simulated-cable goes with --usb");
    const Source source = usb ? Source::Usb : port ? Source::Port : Source::Stdin;
    SimulatedCableOptions cable;
    if (const auto text = parsed->value("seed")) {
        if (!simulatedCable) return usage("--seed goes with --usb --simulated-cable");
        const auto value = parseInteger(*text, 0, INT64_MAX);
        if (!value) return usage("--seed takes a whole number, 0 or more");
        cable.seed = static_cast<std::uint64_t>(*value);
    }
    if (const auto text = parsed->value("rate")) {
        if (!simulatedCable) return usage("--rate goes with --usb --simulated-cable");
        constexpr double kFastest = SimulatedCableOptions::kMaxFramedPacketsPerSecond;
        const auto value = parseReal(*text, 0.0, kFastest);
        if (!value || (*value > 0.0 && *value < 0.001)) {
            return usage("--rate takes packets per second: 0 (the fastest, 12), or 0.001 to 12");
        }
        cable.packetsPerSecond = *value > 0.0 ? *value : kFastest;
    }
    std::optional<std::size_t> count;
    if (const auto text = parsed->value("count")) {
        const auto value = parseInteger(*text, 1, INT64_MAX);
        if (!value) return usage("--count takes a whole number, 1 or more");
        count = static_cast<std::size_t>(*value);
    }
    std::optional<double> seconds;
    if (const auto text = parsed->value("seconds")) {
        seconds = parseReal(*text, 0.001, 2e6);
        if (!seconds) return usage("--seconds takes a number of seconds, 0.001 to 2000000");
    }
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

    // Before any thread starts, so that every thread leaves the two signals to it.
    StopSignals stop;
    LogTarget target(session, count);
    const SystemTimeZone zone;
    LogOutput output(*outFile, zone, err);
    target.setWriter([&output, &session] {
        using namespace std::chrono;
        output.update(session.cds1(),
                      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    });
    StopSignals::Deadline deadline;
    if (seconds) {
        deadline = std::chrono::steady_clock::now() +
                   std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                       std::chrono::duration<double>(*seconds));
    }
    CaptureEnd end = CaptureEnd::SourceEnded;
    switch (source) {
        case Source::Stdin:
            end = captureStdin(inFd, target, stop, deadline, err);
            break;
        case Source::Usb:
            end = captureUsb(simulatedCable, cable, target, stop, deadline, err);
            break;
        case Source::Port:
            end = capturePort(*port, target, stop, deadline, err);
            break;
    }
    // A cable or device that could not be opened leaves nothing to save.
    if (end == CaptureEnd::Failed && source != Source::Stdin && !output.started()) {
        return kExitFailure;
    }

    const FileResult saved = output.finish(session.cds1());
    if (!saved.ok) {
        err << saved.message << '\n';
        if (!saved.reason.empty()) err << "vxm90-cli log: " << saved.reason << '\n';
        return kExitFailure;
    }
    out << saved.message << '\n';
    return end == CaptureEnd::Failed || end == CaptureEnd::LinkLost ? kExitFailure : kExitOk;
}
