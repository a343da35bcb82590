#include "link/hid/simulated_cable.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
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
    bool present = true;            // guarded
    std::uint64_t plugging = 0;     // guarded; counts plug-ins, so handles tell a new cable

    /// Lock held: whether a handle opened during plugging `at` is cut off.
    bool gone(std::uint64_t at) const { return !present || plugging != at; }

    bool setFeature(std::uint64_t at, std::span<const std::uint8_t> report) {
        if (report.size() < 6 || report[0] != 0) return false;
        const int rate = report[1] | report[2] << 8 | report[3] << 16 | report[4] << 24;
        const std::lock_guard lock(mutex);
        if (gone(at)) return false;
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
    CableHandle(std::shared_ptr<SimulatedCablePlatform::State> state, std::uint64_t plugging)
        : m_state(std::move(state)), m_plugging(plugging) {}

    std::optional<HidAttributes> attributes() override {
        if (gone()) return std::nullopt;
        return HidAttributes{SimulatedCablePlatform::kVendorId, SimulatedCablePlatform::kProductId,
                             0x0100};
    }
    bool productString(HidStringBuffer& buffer) override {
        if (gone()) return false;
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
        return m_state->setFeature(m_plugging, report);
    }
    std::optional<std::uint32_t> numInputBuffers() override { return 32; }
    bool setNumInputBuffers(std::uint32_t) override { return true; }

private:
    bool gone() const {
        const std::lock_guard lock(m_state->mutex);
        return m_state->gone(m_plugging);
    }

    std::shared_ptr<SimulatedCablePlatform::State> m_state;
    std::uint64_t m_plugging;
};

class CableReadHandle final : public HidReadHandle {
public:
    CableReadHandle(std::shared_ptr<SimulatedCablePlatform::State> state, std::uint64_t plugging)
        : m_state(std::move(state)), m_plugging(plugging) {}

    HidReadResult read(std::span<std::uint8_t> buffer) override {
        SimulatedCablePlatform::State& s = *m_state;
        std::unique_lock lock(s.mutex);
        const auto stopped = [&] { return m_interrupted || s.gone(m_plugging); };
        s.changed.wait(lock, [&] { return stopped() || s.line.has_value(); });
        HidReadResult result;
        if (m_interrupted) return result;
        if (s.gone(m_plugging)) return pulledOut();
        if (!m_caughtUp) {
            s.line->skipTo(s.pacer->now() - s.lineStart);
            m_caughtUp = true;
        }
        if (!s.pacer->waitUntil(s.lineStart + s.line->nextDue(), lock, s.changed, stopped)) {
            return m_interrupted ? result : pulledOut();
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
    static HidReadResult pulledOut() {
        HidReadResult result;
        result.kind = HidReadResult::Kind::Failed;
        result.error = EIO;
        return result;
    }

    std::shared_ptr<SimulatedCablePlatform::State> m_state;
    std::uint64_t m_plugging;
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
    const std::lock_guard lock(m_state->mutex);
    if (!m_state->present) return {};
    std::string identity = kIdentity;
    if (m_state->plugging > 0)
        identity.append(1, '#').append(std::to_string(m_state->plugging + 1));
    return {{identity, kPath, {"USB to Serial", kVendorId, kProductId}}};
}

HidOpenResult<std::unique_ptr<HidHandle>> SimulatedCablePlatform::open(const std::string& path,
                                                                       HidAccess) {
    if (path != kPath) return {nullptr, {ENOENT, reasonFor(ENOENT)}};
    const std::lock_guard lock(m_state->mutex);
    if (!m_state->present) return {nullptr, {ENODEV, reasonFor(ENODEV)}};
    return {std::make_unique<CableHandle>(m_state, m_state->plugging), {}};
}

HidOpenResult<std::shared_ptr<HidReadHandle>> SimulatedCablePlatform::openForReading(
    const std::string& path) {
    if (path != kPath) return {nullptr, {ENOENT, reasonFor(ENOENT)}};
    const std::lock_guard lock(m_state->mutex);
    if (!m_state->present) return {nullptr, {ENODEV, reasonFor(ENODEV)}};
    return {std::make_shared<CableReadHandle>(m_state, m_state->plugging), {}};
}

void SimulatedCablePlatform::unplug() {
    const std::lock_guard lock(m_state->mutex);
    m_state->present = false;
    m_state->changed.notify_all();
}

void SimulatedCablePlatform::plugIn() {
    const std::lock_guard lock(m_state->mutex);
    if (m_state->present) return;
    m_state->present = true;
    ++m_state->plugging;
    // A cable that lost power forgets its speed: silent until the next speed report.
    m_state->baud = 0;
    m_state->line.reset();
    m_state->changed.notify_all();
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
