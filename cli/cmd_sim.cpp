#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "cli/pseudo_terminal.h"
#include "cli/stop_signals.h"
#include "decode/integer_text.h"
#include "sim/sim_scenario.h"

namespace {

constexpr std::string_view kHelp =
    R"(Usage: vxm90-cli sim [--rate R] [--count N] [--seed S] [--hid | --pty]

The simulated meter. It walks through DC and AC volts on every range, millivolts, ohms,
continuity, diode, capacitance, frequency, duty cycle, temperature in C and F, micro-,
milli- and ampere current, overloads and the hold, relative, MIN, MAX, battery and
auto-range flags, two packets per step, and starts over at the end. Each packet is the
meter's 14 bytes ending in CR LF; a line feed goes first, as if the meter had been sending
before, so that the first packet is complete for a reader.

Options:
  --rate R    packets per second (default 2.5; 0 = as fast as possible)
  --count N   stop after N packets (default: run until SIGINT/SIGTERM)
  --seed S    seed of the readings' wander and the report splits (default 1); the same
              seed gives the same output
  --hid       write the USB cable's input reports instead, one per line as hex bytes
              (report ID 00 first; 8 data bytes: F0 + payload count, up to 7 payload
              bytes, zero padding), with one to three empty reports after each packet
  --pty       create a pseudo-terminal that stands in for a serial port, print its path
              as the first line, and write the packets to it; packets that find its buffer
              full (nobody reading) are dropped, so a reader that opens it late may first
              see older packets
  --help      show this text

Exit status: 0 when done, stopped or when the reader goes away, 1 when writing fails,
2 on a usage error.
)";

/// Where the packets go: stdout (waits while the reader is slow) or the pseudo-terminal
/// (never waits; a packet that does not fit is dropped whole, so the stream stays aligned).
class PacketWriter {
public:
    enum class Result { Written, Dropped, Closed, Failed };

    PacketWriter(int fd, bool dropWhenFull, StopSignals& stop)
        : m_fd(fd), m_dropWhenFull(dropWhenFull), m_stop(stop) {}

    Result write(std::string_view bytes) {
        if (m_dropWhenFull) {
            const Result tail = drainPending();
            if (tail != Result::Written) return tail;
            m_pending.assign(bytes);
            const Result now = drainPending();
            // What is already partly in the terminal must still go out whole, later.
            return now == Result::Dropped ? Result::Written : now;
        }
        while (!bytes.empty()) {
            switch (m_stop.waitFor(m_fd, POLLOUT)) {
                case StopSignals::Wait::Stopped:
                    return Result::Closed;
                case StopSignals::Wait::Failed:
                    return Result::Failed;
                case StopSignals::Wait::Ready:
                case StopSignals::Wait::TimedOut:  // no deadline here
                    break;
            }
            const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN) continue;
                if (errno == EPIPE) return Result::Closed;
                m_error = std::strerror(errno);
                return Result::Failed;
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return Result::Written;
    }

    const std::string& error() const { return m_error; }

private:
    Result drainPending() {
        while (!m_pending.empty()) {
            const ssize_t n = ::write(m_fd, m_pending.data(), m_pending.size());
            if (n < 0) {
                if (errno == EINTR) continue;
                if (errno == EAGAIN) return Result::Dropped;
                m_error = std::strerror(errno);
                return Result::Failed;
            }
            m_pending.erase(0, static_cast<std::size_t>(n));
        }
        return Result::Written;
    }

    int m_fd;
    bool m_dropWhenFull;
    StopSignals& m_stop;
    std::string m_pending;
    std::string m_error;
};

/// Ignores SIGPIPE while it lives, so that a reader going away shows as EPIPE.
class IgnoreBrokenPipe {
public:
    IgnoreBrokenPipe() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGPIPE, &ignore, &m_previous);
    }
    ~IgnoreBrokenPipe() { sigaction(SIGPIPE, &m_previous, nullptr); }
    IgnoreBrokenPipe(const IgnoreBrokenPipe&) = delete;
    IgnoreBrokenPipe& operator=(const IgnoreBrokenPipe&) = delete;

private:
    struct sigaction m_previous {};
};

bool writeAllBlocking(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

int runSim(const std::vector<std::string>& args, int outFd, std::ostream& err) {
    const OptionSpec accepted{{"rate", "count", "seed"}, {"hid", "pty", "help"}};
    std::string error;
    const auto parsed = parseArgs(args, accepted, error);
    if (!parsed || !parsed->operands.empty()) {
        err << "vxm90-cli sim: " << (parsed ? "unexpected operand" : error)
            << "\nTry 'vxm90-cli sim --help'.\n";
        return kExitUsage;
    }
    if (parsed->has("help")) {
        return writeAllBlocking(outFd, kHelp) ? kExitOk : kExitFailure;
    }
    const auto usage = [&err](std::string_view message) {
        err << "vxm90-cli sim: " << message << '\n';
        return kExitUsage;
    };
    double rate = 2.5;
    if (const auto text = parsed->value("rate")) {
        // Below one packet in 1000 s the schedule would outgrow the clock's range.
        const auto value = parseReal(*text, 0.0, 1e9);
        if (!value || (*value > 0.0 && *value < 0.001)) {
            return usage("--rate takes packets per second: 0, or 0.001 to 1e9");
        }
        rate = *value;
    }
    std::optional<std::int64_t> count;
    if (const auto text = parsed->value("count")) {
        count = parseInteger(*text, 0, INT64_MAX);
        if (!count) return usage("--count takes a whole number, 0 or more");
    }
    std::uint64_t seed = 1;
    if (const auto text = parsed->value("seed")) {
        const auto value = parseInteger(*text, 0, INT64_MAX);
        if (!value) return usage("--seed takes a whole number, 0 or more");
        seed = static_cast<std::uint64_t>(*value);
    }
    const bool hid = parsed->has("hid");
    const bool pty = parsed->has("pty");
    if (hid && pty) return usage("--hid and --pty exclude each other (the cable is no tty)");

    IgnoreBrokenPipe ignoreBrokenPipe;
    StopSignals stop;
    PseudoTerminal terminal;
    int packetFd = outFd;
    if (pty) {
        if (!terminal.open(error)) {
            err << "vxm90-cli sim: cannot create a pseudo-terminal: " << error << '\n';
            return kExitFailure;
        }
        if (!writeAllBlocking(outFd, terminal.path() + "\n")) {
            err << "vxm90-cli sim: cannot write the terminal's path\n";
            return kExitFailure;
        }
        packetFd = terminal.masterFd();
    }

    PacketWriter writer(packetFd, pty, stop);
    MeterSimulator simulator(seed);
    std::uint64_t dropped = 0;
    int status = kExitOk;
    // As fast as possible into a pipe or file: hand over packets in batches, not one by one.
    // Paced output and the terminal take each packet as it is made.
    const bool batched = rate == 0.0 && !pty;
    constexpr std::size_t kBatchBytes = 16384;
    std::string bytes;
    bool open = true;
    auto send = [&]() {
        const PacketWriter::Result result = writer.write(bytes);
        bytes.clear();
        if (result == PacketWriter::Result::Dropped) ++dropped;
        if (result == PacketWriter::Result::Failed) {
            err << "vxm90-cli sim: write error: " << writer.error() << '\n';
            status = kExitFailure;
        }
        open = result == PacketWriter::Result::Written || result == PacketWriter::Result::Dropped;
    };
    const auto start = std::chrono::steady_clock::now();
    for (std::int64_t i = 0; open && (!count || i < *count); ++i) {
        if (rate > 0.0) {
            const auto due =
                start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(double(i) / rate));
            bool stopped = false;
            for (auto now = std::chrono::steady_clock::now(); now < due && !stopped;
                 now = std::chrono::steady_clock::now()) {
                stopped = stop.sleepFor(std::chrono::duration<double>(due - now).count());
            }
            if (stopped) break;
        } else if (i % 64 == 0 && stop.requested()) {
            break;
        }

        const SimPacket packet = simulator.next();
        if (hid) {
            bytes += simulator.hidReportLines(packet);
        } else {
            if (i == 0) bytes.push_back('\n');  // bytes is empty before the first packet
            bytes.append(packet.bytes.begin(), packet.bytes.end());
        }
        if (!batched || bytes.size() >= kBatchBytes) send();
    }
    if (open && !bytes.empty()) send();
    if (pty && dropped > 0) {
        err << "vxm90-cli sim: " << dropped << " packets dropped while nobody was reading\n";
    }
    return status;
}
