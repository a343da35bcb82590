// Serial receive path of a session: frame assembly plus decoding, with a display that does
// nothing and no logging.
// Reports packets per second and heap allocations per packet once the path is warm.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "decode/locale_info.h"
#include "log/clock.h"
#include "log/memory_chart_surface.h"
#include "session/meter_session.h"

namespace {

std::atomic<std::uint64_t> g_allocations{0};

}  // namespace

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

class NullSink : public DecoderSink {
public:
    void restartSeries() override {}
    void setLeftAxisRange(double, double) override {}
    void ReadingDecoded(const TMeterReading& reading, double) override {
        benchmark::DoNotOptimize(&reading);
    }
};

// A mix of ranges, so that tracking restarts, the range table and the verdict all work:
// DC volts, AC millivolts, kilo-ohm, hertz, an overload and a minus reading.
std::vector<std::uint8_t> packetStream(int& packets) {
    const std::uint8_t status[][4] = {
        {0x30, 0x00, 0x00, 0x80},  // auto, DC, volt
        {0x08, 0x00, 0x10, 0x80},  // AC, milli, volt
        {0x20, 0x00, 0x08, 0x20},  // auto, kilo, ohm
        {0x20, 0x00, 0x00, 0x08},  // auto, hertz
    };
    const std::uint8_t digits[][4] = {
        {'0', '5', '9', '9'}, {'1', '2', '3', '4'}, {'?', '0', ':', '?'}, {'0', '0', '0', '7'}};
    const std::uint8_t points[] = {'1', '2', '4', '0'};
    std::vector<std::uint8_t> bytes;
    packets = 0;
    for (int i = 0; i < 64; ++i) {
        const auto& s = status[i % 4];
        const auto& d = digits[(i / 4) % 4];
        const std::uint8_t sign = (i / 16) % 2 == 0 ? '+' : '-';
        const std::uint8_t packet[] = {
            0x0A, sign, d[0], d[1], d[2], d[3], 0x20, points[(i / 8) % 4],
            s[0], s[1], s[2], s[3], 0x00, 0x0D};
        bytes.insert(bytes.end(), std::begin(packet), std::end(packet));
        ++packets;
    }
    return bytes;
}

void BM_SerialPacketDecode(benchmark::State& state) {
    const FixedLocale locale;
    const FixedClock clock;
    MemoryChartSurface chart;
    NullSink sink;
    SessionSettings settings;
    settings.logReadings = false;  // the decode path alone
    MeterSession session(chart, clock, locale, &sink, settings);
    const MeterDecoder& decoder = session.decoder();
    int packets = 0;
    const std::vector<std::uint8_t> stream = packetStream(packets);

    // The counter must see allocations at all, or a zero would mean nothing.
    const std::uint64_t probe = g_allocations.load();
    benchmark::DoNotOptimize(std::vector<int>(16).data());
    if (g_allocations.load() == probe) state.SkipWithError("allocation counter not installed");

    session.receiveSerial(stream.data(), stream.size());  // warm-up: texts reach their size
    const std::uint64_t decodedBefore = decoder.decodedCount();
    const std::uint64_t allocationsBefore = g_allocations.load();
    for (auto _ : state)
        session.receiveSerial(stream.data(), stream.size());
    const std::uint64_t allocations = g_allocations.load() - allocationsBefore;
    const std::uint64_t decoded = decoder.decodedCount() - decodedBefore;

    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * packets);
    state.counters["packets/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * packets, benchmark::Counter::kIsRate);
    state.counters["allocs/packet"] =
        decoded == 0 ? -1.0 : static_cast<double>(allocations) / static_cast<double>(decoded);
    if (decoded != static_cast<std::uint64_t>(state.iterations()) * packets) {
        state.SkipWithError("not every packet decoded");
    }
}
BENCHMARK(BM_SerialPacketDecode);

}  // namespace

BENCHMARK_MAIN();
