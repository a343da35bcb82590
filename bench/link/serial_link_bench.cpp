// From meter bytes written into a pseudo-terminal to the row in the window's log: the
// latency per packet and the highest packet rate the window keeps up with.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "app/shell/main_window.h"
#include "bench/support/qt_bench_main.h"
#include "bench/support/silent_dialogs.h"
#include "link/serial/com_connection.h"
#include "link/serial/serial_platform.h"
#include "link/serial/serial_port_driver.h"
#include "log/clock.h"
#include "log/log_table.h"
#include "report/qt_report_dialogs.h"
#include "sim/sim_scenario.h"
#include "ui/dialogs.h"
#include "ui/qt_timers.h"

namespace {

using Clock = std::chrono::steady_clock;

struct LinkRun {
    int sent = 0;
    int logged = 0;
    double achievedRate = 0.0;  ///< packets per second the writer managed
    std::vector<double> latencyMs;
};

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1));
    return values[index];
}

void runEventLoopUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    check.start(5);
    if (!done()) loop.exec();
}

/// Streams `count` simulated packets at `rate` per second into a pseudo-terminal bound to
/// COM 1 of a real window, and times each packet from its write to its row.
LinkRun runLink(double rate, int count) {
    LinkRun run;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return run;
    const QString device = QString::fromLocal8Bit(::ptsname(master));

    MeterSimulator simulator(1);
    std::vector<MeterPacket> packets;
    packets.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        packets.push_back(simulator.next().bytes);

    SilentDialogs dialogs;
    QtReportDialogs reportDialogs;  // never opened here
    FixedLocale locale;
    FixedClock clock;
    QtTimers timers;
    TFCOMM window(
        WindowEnvironment{dialogs, reportDialogs, locale, clock, timers, makeQtSerialPlatform(),
                          [device](TComPortNumber) { return device; }, [] { return true; }});
    window.readingLog().selectRecordLimit(RecordLimitChoice::limitess);
    window.show();  // painted like a real window (the offscreen platform draws too)
    window.COMM2().setComPortPollingDelay(100);

    std::vector<Clock::time_point> rowTimes(static_cast<std::size_t>(count));
    std::size_t rowsSeen = 0;
    window.COMM2().setOnReceiveData(
        [&](TSerialPortDriver&, const std::uint8_t* bytes, std::int32_t size) {
            window.receiveSerialData(bytes, size);
            const auto now = Clock::now();
            const std::size_t rows = std::min(window.cds1().rowCount(), rowTimes.size());
            while (rowsSeen < rows)
                rowTimes[rowsSeen++] = now;
        });
    window.comConnection().COMCon()->click();
    if (!window.COMM2().IsOpen()) {
        ::close(master);
        return run;
    }

    std::vector<Clock::time_point> writeTimes(static_cast<std::size_t>(count));
    std::atomic<bool> writerDone = false;
    std::thread writer([&] {
        // A line feed first, as from a meter that was sending before: the first packet is then
        // complete for the reader.
        const char lineFeed = '\n';
        if (::write(master, &lineFeed, 1) != 1) return;
        const auto start = Clock::now();
        for (int i = 0; i < count; ++i) {
            const auto due = start + std::chrono::duration_cast<Clock::duration>(
                                         std::chrono::duration<double>(i / rate));
            std::this_thread::sleep_until(due);
            writeTimes[static_cast<std::size_t>(i)] = Clock::now();
            const MeterPacket& p = packets[static_cast<std::size_t>(i)];
            std::size_t done = 0;
            while (done < p.size()) {
                const ssize_t n = ::write(master, p.data() + done, p.size() - done);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                done += static_cast<std::size_t>(n);
            }
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        run.achievedRate = seconds > 0 ? count / seconds : 0.0;
        writerDone = true;
    });

    // Serve the window's event loop (poll ticks, the port's notifier) until every row is
    // there; a waiting loop, so the writer thread gets the other core.
    const auto deadline = Clock::now() + std::chrono::duration<double>(count / rate + 3.0);
    const auto done = [&] {
        return Clock::now() >= deadline ||
               (writerDone && rowsSeen >= static_cast<std::size_t>(count));
    };
    runEventLoopUntil(done);
    writer.join();
    // Let a backlog drain so that lost packets are told from late ones.
    const auto drain = Clock::now() + std::chrono::milliseconds(500);
    runEventLoopUntil(
        [&] { return Clock::now() >= drain || rowsSeen >= static_cast<std::size_t>(count); });

    run.sent = count;
    run.logged = static_cast<int>(rowsSeen);
    for (std::size_t i = 0; i < rowsSeen; ++i) {
        run.latencyMs.push_back(
            std::chrono::duration<double, std::milli>(rowTimes[i] - writeTimes[i]).count());
    }
    window.comConnection().COMCon()->click();
    ::close(master);
    qunsetenv("VXM90_COM1");
    return run;
}

void report(benchmark::State& state, const LinkRun& run, double rate) {
    state.counters["rate_target"] = rate;
    state.counters["rate_written"] = run.achievedRate;
    state.counters["sent"] = run.sent;
    state.counters["lost"] = run.sent - run.logged;
    state.counters["median_ms"] = percentile(run.latencyMs, 0.5);
    state.counters["p99_ms"] = percentile(run.latencyMs, 0.99);
    state.counters["max_ms"] = percentile(run.latencyMs, 1.0);
    // Kept up: every packet logged, the writer on schedule, no backlog beyond two polls.
    const bool keptUp = run.sent > 0 && run.logged == run.sent && run.achievedRate >= 0.95 * rate &&
                        percentile(run.latencyMs, 0.99) < 250;
    state.counters["kept_up"] = keptUp ? 1 : 0;
}

/// The meter's own pace: about 17 packets a second at 2400 baud.
void BM_PacketToRowLatency(benchmark::State& state) {
    const double rate = 17;
    LinkRun run;
    for (auto _ : state)
        run = runLink(rate, 85);
    report(state, run, rate);
}
BENCHMARK(BM_PacketToRowLatency)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

/// Rates from 50 times the meter's pace upwards, two seconds each.
void BM_SustainedPacketRate(benchmark::State& state) {
    const auto rate = static_cast<double>(state.range(0));
    LinkRun run;
    for (auto _ : state)
        run = runLink(rate, static_cast<int>(rate * 2));
    report(state, run, rate);
}
BENCHMARK(BM_SustainedPacketRate)
    ->Arg(850)
    ->Arg(1100)
    ->Arg(1400)
    ->Arg(1700)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return runQtBenchmarks(argc, argv);
}
