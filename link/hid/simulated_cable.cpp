#include "link/hid/simulated_cable.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <system_error>

#include "link/hid/cable_line.h"

namespace {

using std::chrono::nanoseconds;

class RealTimeCablePacer final : public CablePacer {
public:
    nanoseconds now() override { return std::chrono::steady_clock::now() - m_origin; }
    bool waitUntil(nanoseconds due, std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                   const std::function<bool()>& stopped) override {
        const auto deadline =
            m_origin + std::chrono::duration_cast<std::chrono::steady_clock::duration>(due);
        return !cv.wait_until(lock, deadline, stopped);
    }

private:
    const std::chrono::steady_clock::time_point m_origin = std::chrono::steady_clock::now();
};

// Vendor page, 8 input bytes, 9 feature bytes (the speed report), no report IDs.
const std::vector<std::uint8_t> kCableDescriptor = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
    0x95, 0x08, 0x09, 0x01, 0x81, 0x02, 0x95, 0x09, 0x09, 0x01, 0xB1, 0x02, 0xC0};

constexpr char16_t kProduct[] = u"USB to Serial";

QString reasonFor(std::uint32_t code) {
    return QString::fromStdString(std::generic_category().message(static_cast<int>(code)));
}

}  // namespace

/// The cable's line and speed, shared by its handles.
struct SimulatedCablePlatform::State {
    SimulatedCableOptions options;
    std::unique_ptr<CablePacer> pacer;
    std::mutex mutex;
    std::condition_variable changed;
    int baud = 0;                   // guarded
    std::optional<CableLine> line;  // guarded; runs from the first 2400-baud report
    nanoseconds lineStart{0};       // guarded

    bool setFeature(std::span<const std::uint8_t> report) {
        if (report.size() < 6 || report[0] != 0) return false;
        const int rate = report[1] | report[2] << 8 | report[3] << 16 | report[4] << 24;
        const std::lock_guard lock(mutex);
        baud = rate;
        if (rate == kMeterBaud && !line) {
            line.emplace(options.seed, options.packetsPerSecond, kMeterBaud);
            lineStart = pacer->now();
        }
        changed.notify_all();
        return true;
    }
};

namespace {

class CableHandle final : public HidHandle {
public:
    explicit CableHandle(std::shared_ptr<SimulatedCablePlatform::State> state)
        : m_state(std::move(state)) {}

    std::optional<HidAttributes> attributes() override {
        return HidAttributes{SimulatedCablePlatform::kVendorId, SimulatedCablePlatform::kProductId,
                             0x0100};
    }
    bool productString(HidStringBuffer& buffer) override {
        std::copy(std::begin(kProduct), std::end(kProduct) - 1, buffer.begin());
        return true;
    }
    bool serialNumberString(HidStringBuffer&) override { return false; }
    HidLanguageTableQuery languageTable(HidStringBuffer& buffer) override {
        buffer[0] = 0x0409;
        buffer[1] = 0;
        return HidLanguageTableQuery::Queried;
    }
    std::optional<std::vector<std::uint8_t>> reportDescriptor() override {
        return kCableDescriptor;
    }
    bool setFeature(std::span<const std::uint8_t> report) override {
        return m_state->setFeature(report);
    }
    std::optional<std::uint32_t> numInputBuffers() override { return 32; }
    bool setNumInputBuffers(std::uint32_t) override { return true; }

private:
    std::shared_ptr<SimulatedCablePlatform::State> m_state;
};

class CableReadHandle final : public HidReadHandle {
public:
    explicit CableReadHandle(std::shared_ptr<SimulatedCablePlatform::State> state)
        : m_state(std::move(state)) {}

    HidReadResult read(std::span<std::uint8_t> buffer) override {
        SimulatedCablePlatform::State& s = *m_state;
        std::unique_lock lock(s.mutex);
        const auto interrupted = [this] { return m_interrupted; };
        s.changed.wait(lock, [&] { return m_interrupted || s.line.has_value(); });
        HidReadResult result;
        if (m_interrupted) return result;
        if (!m_caughtUp) {
            s.line->skipTo(s.pacer->now() - s.lineStart);
            m_caughtUp = true;
        }
        if (!s.pacer->waitUntil(s.lineStart + s.line->nextDue(), lock, s.changed, interrupted)) {
            return result;
        }
        HidInputReport report = s.line->next();
        if (s.baud != SimulatedCablePlatform::kMeterBaud) report = hidInputReport({});
        result.kind = HidReadResult::Kind::Report;
        result.bytes = std::min(buffer.size(), report.size());
        std::copy_n(report.begin(), result.bytes, buffer.begin());
        return result;
    }

    void interrupt() override {
        const std::lock_guard lock(m_state->mutex);
        m_interrupted = true;
        m_state->changed.notify_all();
    }

    std::optional<std::uint32_t> numInputBuffers() override { return 32; }
    bool setNumInputBuffers(std::uint32_t) override { return true; }

private:
    std::shared_ptr<SimulatedCablePlatform::State> m_state;
    bool m_interrupted = false;  // guarded by the state's mutex
    bool m_caughtUp = false;     // reader thread only
};

}  // namespace

std::unique_ptr<CablePacer> makeRealTimeCablePacer() {
    return std::make_unique<RealTimeCablePacer>();
}

SimulatedCablePlatform::SimulatedCablePlatform(SimulatedCableOptions options,
                                               std::unique_ptr<CablePacer> pacer)
    : m_state(std::make_shared<State>()) {
    m_state->options = options;
    m_state->pacer = std::move(pacer);
}

SimulatedCablePlatform::~SimulatedCablePlatform() = default;

std::vector<HidInterface> SimulatedCablePlatform::enumerate() {
    return {{kIdentity, kPath}};
}

HidOpenResult<std::unique_ptr<HidHandle>> SimulatedCablePlatform::open(const std::string& path,
                                                                       HidAccess) {
    if (path != kPath) return {nullptr, {ENOENT, reasonFor(ENOENT)}};
    return {std::make_unique<CableHandle>(m_state), {}};
}

HidOpenResult<std::shared_ptr<HidReadHandle>> SimulatedCablePlatform::openForReading(
    const std::string& path) {
    if (path != kPath) return {nullptr, {ENOENT, reasonFor(ENOENT)}};
    return {std::make_shared<CableReadHandle>(m_state), {}};
}

QString SimulatedCablePlatform::errorText(std::uint32_t code) const {
    return reasonFor(code);
}

int SimulatedCablePlatform::baud() const {
    const std::lock_guard lock(m_state->mutex);
    return m_state->baud;
}

std::uint64_t SimulatedCablePlatform::packetsStarted() const {
    const std::lock_guard lock(m_state->mutex);
    return m_state->line ? m_state->line->packetsStarted() : 0;
}
