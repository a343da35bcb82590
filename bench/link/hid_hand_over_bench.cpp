// The HID reader's hand-over of input reports to the GUI thread: latency from a completed read
// to the data handler's entry, sustained reports per second with an empty handler, and the time
// StopReader takes; and the simulated cable's real-time report rate.
#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "link/hid/hid_device_controller.h"
#include "link/hid/linux_hid_platform.h"
#include "link/hid/simulated_cable.h"

namespace {

using Clock = std::chrono::steady_clock;

std::int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

void runEventLoopUntil(const std::function<bool()>& done, int timeoutMs = 30000) {
    const QDeadlineTimer deadline(timeoutMs);
    QTimer recheck;
    recheck.start(1);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

/// Notes when each read completed, so the handler can time the hand-over alone.
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
    std::optional<std::uint32_t> numInputBuffers() override { return std::nullopt; }
    bool setNumInputBuffers(std::uint32_t) override { return false; }

private:
    std::shared_ptr<HidReadHandle> m_inner;
    std::atomic<std::int64_t>& m_stamp;
};

/// A report is always there: the hand-over alone limits the rate.
class ReadyReadHandle final : public HidReadHandle {
public:
    HidReadResult read(std::span<std::uint8_t> buffer) override {
        if (m_interrupted.load()) return {};
        std::fill(buffer.begin(), buffer.end(), std::uint8_t{0});
        buffer[1] = 0xF0;
        return {HidReadResult::Kind::Report, buffer.size(), 0};
    }
    void interrupt() override { m_interrupted.store(true); }
    std::optional<std::uint32_t> numInputBuffers() override { return std::nullopt; }
    bool setNumInputBuffers(std::uint32_t) override { return false; }

private:
    std::atomic<bool> m_interrupted{false};
};

class BenchHandle final : public HidHandle {
public:
    std::optional<HidAttributes> attributes() override { return HidAttributes{1, 2, 3}; }
    bool productString(HidStringBuffer&) override { return false; }
    bool serialNumberString(HidStringBuffer&) override { return false; }
    HidLanguageTableQuery languageTable(HidStringBuffer&) override {
        return HidLanguageTableQuery::Withheld;
    }
    std::optional<std::vector<std::uint8_t>> reportDescriptor() override {
        return std::vector<std::uint8_t>{0x75, 0x08, 0x95, 0x08, 0x81, 0x02};  // 8 bytes, no IDs
    }
    bool setFeature(std::span<const std::uint8_t>) override { return true; }
    std::optional<std::uint32_t> numInputBuffers() override { return std::nullopt; }
    bool setNumInputBuffers(std::uint32_t) override { return false; }
};

/// One device whose read handles the benchmark makes.
class BenchPlatform final : public HidPlatform {
public:
    std::function<std::shared_ptr<HidReadHandle>()> makeReader;
    bool available() const override { return true; }
    std::vector<HidInterface> enumerate() override { return {{"bench", "bench"}}; }
    HidOpenResult<std::unique_ptr<HidHandle>> open(const std::string&, HidAccess) override {
        return {std::make_unique<BenchHandle>(), {}};
    }
    HidOpenResult<std::shared_ptr<HidReadHandle>> openForReading(const std::string&) override {
        return {makeReader(), {}};
    }
    QString errorText(std::uint32_t) const override { return {}; }
};

/// A socket pair standing in for a hidraw node, read through the Linux poll() handle.
struct SocketDevice {
    int fds[2] = {-1, -1};
    SocketDevice() { ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds); }
    ~SocketDevice() {
        if (fds[1] >= 0) ::close(fds[1]);
    }
    SocketDevice(const SocketDevice&) = delete;
    SocketDevice& operator=(const SocketDevice&) = delete;
    /// The read side, once: the handle owns it.
    std::shared_ptr<HidReadHandle> reader() {
        const int fd = fds[0];
        fds[0] = -1;
        return makePollReadHandle(fd, false);
    }
    void send() const {
        const std::uint8_t report[8] = {0xF0};
        [[maybe_unused]] const ssize_t n = ::write(fds[1], report, sizeof report);
    }
};

const THidDataEvent kEmptyHandler = [](THidDevice&, std::uint8_t, const std::uint8_t*,
                                       std::uint16_t) {};

void BM_HandOverLatency(benchmark::State& state) {
    constexpr int kReports = 2000;
    std::vector<double> latencyUs;
    for (auto _ : state) {
        SocketDevice socket;
        std::atomic<std::int64_t> readDone{0};
        BenchPlatform platform;
        platform.makeReader = [&] {
            return std::make_shared<StampingReadHandle>(socket.reader(), readDone);
        };
        FixedDeviceSetMonitor monitor;
        THidDeviceController controller(platform, monitor);
        auto device = controller.CheckOutAt(0);
        std::atomic<int> handled{0};
        latencyUs.clear();
        latencyUs.reserve(kReports);
        device->SetDataHandler([&](THidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) {
            latencyUs.push_back(static_cast<double>(nowNs() - readDone.load()) / 1000.0);
            handled.fetch_add(1);
        });
        // One report every 500 us, the GUI thread idle in between: each hand-over wakes it.
        std::jthread writer([&](const std::stop_token& token) {
            for (int i = 0; i < kReports && !token.stop_requested(); ++i) {
                socket.send();
                const int target = i + 1;
                while (handled.load() < target && !token.stop_requested())
                    std::this_thread::yield();
                std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
        });
        runEventLoopUntil([&] { return handled.load() >= kReports; });
        device->SetDataHandler({});
    }
    state.counters["median_us"] = percentile(latencyUs, 0.5);
    state.counters["p99_us"] = percentile(latencyUs, 0.99);
    state.counters["max_us"] = percentile(latencyUs, 1.0);
    state.counters["reports"] = static_cast<double>(latencyUs.size());
}
BENCHMARK(BM_HandOverLatency)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_SustainedReports(benchmark::State& state) {
    double perSecond = 0.0;
    for (auto _ : state) {
        BenchPlatform platform;
        platform.makeReader = [] { return std::make_shared<ReadyReadHandle>(); };
        FixedDeviceSetMonitor monitor;
        THidDeviceController controller(platform, monitor);
        auto device = controller.CheckOutAt(0);
        std::int64_t reports = 0;
        device->SetDataHandler(
            [&](THidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) { ++reports; });
        const auto start = Clock::now();
        runEventLoopUntil([&] { return Clock::now() - start >= std::chrono::seconds(2); });
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        device->SetDataHandler({});
        perSecond = static_cast<double>(reports) / seconds;
    }
    state.counters["reports_per_s"] = perSecond;
    state.counters["times_cable_rate"] = perSecond / 100.0;  // the cable sends about 100/s
}
BENCHMARK(BM_SustainedReports)->Iterations(1)->Unit(benchmark::kMillisecond);

/// stopWhileFlowing: reports keep coming (a hand-over may be pending at the stop); otherwise the
/// reader waits in poll() for a report that does not come.
void stopReaderTimes(benchmark::State& state, bool stopWhileFlowing) {
    constexpr int kStops = 300;
    std::vector<double> stopUs;
    for (auto _ : state) {
        std::unique_ptr<SocketDevice> socket;
        BenchPlatform platform;
        platform.makeReader = [&]() -> std::shared_ptr<HidReadHandle> {
            if (stopWhileFlowing) return std::make_shared<ReadyReadHandle>();
            socket = std::make_unique<SocketDevice>();
            return socket->reader();
        };
        FixedDeviceSetMonitor monitor;
        THidDeviceController controller(platform, monitor);
        auto device = controller.CheckOutAt(0);
        stopUs.clear();
        for (int i = 0; i < kStops; ++i) {
            device->SetDataHandler(kEmptyHandler);
            // Let it get going: waiting in poll(), or handing reports over.
            const auto settle = Clock::now();
            runEventLoopUntil(
                [&] { return Clock::now() - settle >= std::chrono::milliseconds(1); });
            const auto begin = Clock::now();
            device->SetDataHandler({});
            stopUs.push_back(
                std::chrono::duration<double, std::micro>(Clock::now() - begin).count());
        }
    }
    state.counters["median_us"] = percentile(stopUs, 0.5);
    state.counters["p99_us"] = percentile(stopUs, 0.99);
    state.counters["max_us"] = percentile(stopUs, 1.0);
}

void BM_StopReaderWaitingInPoll(benchmark::State& state) {
    stopReaderTimes(state, false);
}
BENCHMARK(BM_StopReaderWaitingInPoll)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_StopReaderWhileReportsFlow(benchmark::State& state) {
    stopReaderTimes(state, true);
}
BENCHMARK(BM_StopReaderWhileReportsFlow)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_SimulatedCableRealTime(benchmark::State& state) {
    double perSecond = 0.0;
    std::int64_t payloadReports = 0;
    for (auto _ : state) {
        SimulatedCablePlatform cable({1, 2.5}, makeRealTimeCablePacer());
        FixedDeviceSetMonitor monitor;
        THidDeviceController controller(cable, monitor);
        auto device = controller.CheckOutAt(0);
        const std::uint8_t speed[10] = {0x00, 0x60, 0x09, 0x00, 0x00, 0x03};
        device->SendFeatureReport(speed, 10);
        std::int64_t reports = 0;
        device->SetDataHandler(
            [&](THidDevice&, std::uint8_t, const std::uint8_t* data, std::uint16_t) {
                ++reports;
                if ((data[0] & 0x0F) != 0) ++payloadReports;
            });
        const auto start = Clock::now();
        runEventLoopUntil([&] { return Clock::now() - start >= std::chrono::seconds(2); });
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        device->SetDataHandler({});
        perSecond = static_cast<double>(reports) / seconds;
    }
    state.counters["reports_per_s"] = perSecond;
    state.counters["payload_reports"] = static_cast<double>(payloadReports);
}
BENCHMARK(BM_SimulatedCableRealTime)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
