// The USB cable in the window: from an input report read on the cable's reader thread to the
// row in the window's log (median and 99th percentile), and the window's CPU use while
// connected at the cable's full rate (a report every 10 ms, packets as fast as the cable frames
// them). The simulated cable runs in real time through the real controller, reader thread and
// hand-over. Run with QT_QPA_PLATFORM=offscreen.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "app/grid/log_grid_model.h"
#include "app/shell/main_window.h"
#include "bench/support/qt_bench_main.h"
#include "bench/support/silent_dialogs.h"
#include "decode/frame_assembler.h"
#include "link/hid/simulated_cable.h"
#include "link/serial/serial_platform.h"
#include "log/clock.h"
#include "log/log_table.h"
#include "report/qt_report_dialogs.h"
#include "ui/dialogs.h"
#include "ui/qt_timers.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

std::int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               SteadyClock::now().time_since_epoch())
        .count();
}

double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

/// Notes when each read of the cable completed, on the reader thread.
class StampingReadHandle final : public HidReadHandle {
public:
    StampingReadHandle(std::shared_ptr<HidReadHandle> inner, std::atomic<std::int64_t>& stamp)
        : m_inner(std::move(inner)), m_stamp(stamp) {}
    HidReadResult read(std::span<std::uint8_t> buffer) override {
        const HidReadResult result = m_inner->read(buffer);
        m_stamp.store(nowNs());
        return result;
    }
    void interrupt() override { m_inner->interrupt(); }
    std::optional<std::uint32_t> numInputBuffers() override { return m_inner->numInputBuffers(); }
    bool setNumInputBuffers(std::uint32_t count) override {
        return m_inner->setNumInputBuffers(count);
    }

private:
    std::shared_ptr<HidReadHandle> m_inner;
    std::atomic<std::int64_t>& m_stamp;
};

/// The simulated cable in real time, its reads stamped.
class StampingCable final : public HidPlatform {
public:
    StampingCable(double packetsPerSecond, std::atomic<std::int64_t>& stamp)
        : m_cable(SimulatedCableOptions{1, packetsPerSecond}, makeRealTimeCablePacer()),
          m_stamp(stamp) {}
    bool available() const override { return true; }
    std::vector<HidInterface> enumerate() override { return m_cable.enumerate(); }
    HidOpenResult<std::unique_ptr<HidHandle>> open(const std::string& path,
                                                   HidAccess access) override {
        return m_cable.open(path, access);
    }
    HidOpenResult<std::shared_ptr<HidReadHandle>> openForReading(const std::string& path) override {
        auto opened = m_cable.openForReading(path);
        if (opened.handle) {
            opened.handle = std::make_shared<StampingReadHandle>(opened.handle, m_stamp);
        }
        return opened;
    }
    QString errorText(std::uint32_t code) const override { return m_cable.errorText(code); }

private:
    SimulatedCablePlatform m_cable;
    std::atomic<std::int64_t>& m_stamp;
};

struct UsbRun {
    std::vector<double> latencyMs;
    double wallSeconds = 0;
    double processCpu = 0;
    double guiThreadCpu = 0;
    std::uint64_t accepted = 0;
    std::uint64_t failedCheck = 0;
    int messages = 0;
};

/// Connects the simulated cable in a shown window and serves its event loop until `packets`
/// rows are logged.
UsbRun runUsb(double packetsPerSecond, int packets) {
    UsbRun run;
    std::atomic<std::int64_t> stamp{0};
    SilentDialogs dialogs;
    QtReportDialogs reportDialogs;  // never opened here
    FixedLocale locale;
    FixedClock clock;
    QtTimers timers;
    TFCOMM window(
        WindowEnvironment{.dialogs = dialogs,
                          .reportDialogs = reportDialogs,
                          .locale = locale,
                          .clock = clock,
                          .timers = timers,
                          .serialPlatform = makeQtSerialPlatform(),
                          .comPortDevice = {},
                          .is64BitOs = [] { return true; },
                          .hidPlatform = std::make_unique<StampingCable>(packetsPerSecond, stamp),
                          .hidMonitor = std::make_unique<FixedDeviceSetMonitor>()});
    window.readingLog().selectRecordLimit(RecordLimitChoice::limitess);
    window.show();  // painted like a real window (the offscreen platform draws too)

    QObject::connect(window.gridModel(), &QAbstractItemModel::rowsInserted, &window, [&] {
        // The reader waits while its report is handled: the stamp is this report's.
        run.latencyMs.push_back(static_cast<double>(nowNs() - stamp.load()) / 1e6);
    });
    const double cpuBefore = processCpuSeconds();
    const double guiBefore = threadCpuSeconds();
    const auto start = SteadyClock::now();
    window.USBCon()->click();

    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (static_cast<int>(window.cds1().rowCount()) >= packets) loop.quit();
    });
    check.start(20);
    QTimer giveUp;
    QObject::connect(&giveUp, &QTimer::timeout, &loop, [&] { loop.quit(); });
    giveUp.start(static_cast<int>(packets / packetsPerSecond * 1000 + 5000));
    loop.exec();

    run.wallSeconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
    run.processCpu = processCpuSeconds() - cpuBefore;
    run.guiThreadCpu = threadCpuSeconds() - guiBefore;
    run.accepted = window.frames().stats().accepted;
    run.failedCheck = window.frames().stats().failedCheck;
    run.messages = dialogs.messages;
    window.USBCon()->click();
    return run;
}

void report(benchmark::State& state, const UsbRun& run, int packets) {
    state.counters["packets"] = packets;
    state.counters["rows"] = static_cast<double>(run.latencyMs.size());
    state.counters["failed_check"] = static_cast<double>(run.failedCheck);
    state.counters["messages"] = run.messages;
    state.counters["median_ms"] = percentile(run.latencyMs, 0.5);
    state.counters["p99_ms"] = percentile(run.latencyMs, 0.99);
    state.counters["max_ms"] = percentile(run.latencyMs, 1.0);
    // CPU time per wall time, in percent of one core: the whole process (the GUI thread and the
    // cable's reader) and the GUI thread alone.
    state.counters["cpu_process_pct"] = 100.0 * run.processCpu / run.wallSeconds;
    state.counters["cpu_gui_pct"] = 100.0 * run.guiThreadCpu / run.wallSeconds;
}

/// The cable's full rate: 12 packets a second, a report every 10 ms, for ten seconds.
void BM_UsbReportToRowAtFullRate(benchmark::State& state) {
    constexpr double kRate = SimulatedCableOptions::kMaxFramedPacketsPerSecond;
    constexpr int kPackets = 120;
    UsbRun run;
    for (auto _ : state)
        run = runUsb(kRate, kPackets);
    report(state, run, kPackets);
}
BENCHMARK(BM_UsbReportToRowAtFullRate)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return runQtBenchmarks(argc, argv);
}
