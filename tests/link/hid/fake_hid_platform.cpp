#include "fake_hid_platform.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>

std::vector<std::uint8_t> fakeReportDescriptor(std::uint16_t dataBytes,
                                               std::optional<std::uint8_t> reportId) {
    std::vector<std::uint8_t> d = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01};
    if (reportId) d.insert(d.end(), {0x85, *reportId});
    d.insert(d.end(), {0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08});
    d.insert(d.end(), {0x96, static_cast<std::uint8_t>(dataBytes & 0xFF),
                       static_cast<std::uint8_t>(dataBytes >> 8)});
    d.insert(d.end(), {0x09, 0x01, 0x81, 0x02, 0x95, 0x09, 0x09, 0x01, 0xB1, 0x02, 0xC0});
    return d;
}

namespace {

void copyText(const std::optional<std::u16string>& text, HidStringBuffer& buffer) {
    const std::size_t n = std::min(text->size(), buffer.size());
    std::copy_n(text->begin(), n, buffer.begin());
}

}  // namespace

class FakeHidHandle final : public HidHandle {
public:
    FakeHidHandle(FakeHidPlatform& platform, std::string path)
        : m_platform(platform), m_path(std::move(path)) {}
    ~FakeHidHandle() override {
        m_platform.with(m_path, [](FakeHidDevice& d) { --d.mainHandlesOpen; });
    }
    FakeHidHandle(const FakeHidHandle&) = delete;
    FakeHidHandle& operator=(const FakeHidHandle&) = delete;

    std::optional<HidAttributes> attributes() override {
        std::optional<HidAttributes> a;
        m_platform.with(m_path, [&](FakeHidDevice& d) { a = d.attributes; });
        return a;
    }
    bool productString(HidStringBuffer& buffer) override {
        bool ok = false;
        m_platform.with(m_path, [&](FakeHidDevice& d) {
            ++d.productQueries;
            ok = d.product.has_value();
            if (ok) copyText(d.product, buffer);
        });
        return ok;
    }
    bool serialNumberString(HidStringBuffer& buffer) override {
        bool ok = false;
        m_platform.with(m_path, [&](FakeHidDevice& d) {
            ok = d.serial.has_value();
            if (ok) copyText(d.serial, buffer);
        });
        return ok;
    }
    HidLanguageTableQuery languageTable(HidStringBuffer& buffer) override {
        HidLanguageTableQuery query{};
        m_platform.with(m_path, [&](FakeHidDevice& d) {
            query = d.languageQuery;
            std::copy_n(d.languageTable.begin(), std::min(d.languageTable.size(), buffer.size()),
                        buffer.begin());
        });
        return query;
    }
    std::optional<std::vector<std::uint8_t>> reportDescriptor() override {
        std::optional<std::vector<std::uint8_t>> descriptor;
        m_platform.with(m_path, [&](FakeHidDevice& d) { descriptor = d.descriptor; });
        return descriptor;
    }
    bool setFeature(std::span<const std::uint8_t> report) override {
        bool ok = false;
        m_platform.with(m_path, [&](FakeHidDevice& d) {
            ok = d.acceptFeatures && !d.unplugged;
            if (ok) d.features.emplace_back(report.begin(), report.end());
        });
        return ok;
    }
    std::optional<std::uint32_t> numInputBuffers() override { return 32; }
    bool setNumInputBuffers(std::uint32_t) override { return true; }

private:
    FakeHidPlatform& m_platform;
    std::string m_path;
};

class FakeHidReadHandle final : public HidReadHandle {
public:
    FakeHidReadHandle(FakeHidPlatform& platform, std::string path)
        : m_platform(platform), m_path(std::move(path)) {}
    ~FakeHidReadHandle() override {
        m_platform.with(m_path, [](FakeHidDevice& d) { --d.readHandlesAlive; });
    }
    FakeHidReadHandle(const FakeHidReadHandle&) = delete;
    FakeHidReadHandle& operator=(const FakeHidReadHandle&) = delete;

    HidReadResult read(std::span<std::uint8_t> buffer) override {
        std::unique_lock lock(m_platform.m_mutex);
        FakeHidDevice& d = *m_platform.find(m_path);
        ++d.readsStarted;
        ++d.readsWaiting;
        m_platform.m_changed.notify_all();
        m_platform.m_changed.wait(lock,
                                  [&] { return m_interrupted || d.unplugged || !d.reads.empty(); });
        --d.readsWaiting;
        ++d.readsReturned;
        HidReadResult result;
        if (m_interrupted) return result;
        if (d.unplugged) {
            result.kind = HidReadResult::Kind::Failed;
            result.error = EIO;
            return result;
        }
        const FakeHidDevice::Read next = std::move(d.reads.front());
        d.reads.pop_front();
        if (next.error != 0) {
            result.kind = HidReadResult::Kind::Failed;
            result.error = next.error;
            return result;
        }
        result.kind = HidReadResult::Kind::Report;
        result.bytes = std::min(next.report.size(), buffer.size());
        std::copy_n(next.report.begin(), result.bytes, buffer.begin());
        return result;
    }
    void interrupt() override {
        const std::lock_guard lock(m_platform.m_mutex);
        m_interrupted = true;
        ++m_platform.find(m_path)->interrupts;
        m_platform.m_changed.notify_all();
    }
    std::optional<std::uint32_t> numInputBuffers() override { return 64; }
    bool setNumInputBuffers(std::uint32_t) override { return false; }

private:
    FakeHidPlatform& m_platform;
    std::string m_path;
    bool m_interrupted = false;  // guarded by the platform's mutex
};

FakeHidPlatform::~FakeHidPlatform() = default;

FakeHidDevice& FakeHidPlatform::add(const std::string& identity, const std::string& path) {
    const std::lock_guard lock(m_mutex);
    auto device = std::make_unique<FakeHidDevice>();
    device->identity = identity;
    device->path = path;
    m_devices.push_back(std::move(device));
    return *m_devices.back();
}

FakeHidDevice* FakeHidPlatform::find(const std::string& path) {
    for (auto& d : m_devices) {
        if (d->path == path) return d.get();
    }
    return nullptr;
}

void FakeHidPlatform::with(const std::string& path, const std::function<void(FakeHidDevice&)>& f) {
    const std::lock_guard lock(m_mutex);
    f(*find(path));
    m_changed.notify_all();
}

void FakeHidPlatform::pushReport(const std::string& path, std::vector<std::uint8_t> report) {
    with(path, [&](FakeHidDevice& d) { d.reads.push_back({std::move(report), 0}); });
}

void FakeHidPlatform::pushError(const std::string& path, std::uint32_t error) {
    with(path, [&](FakeHidDevice& d) { d.reads.push_back({{}, error}); });
}

void FakeHidPlatform::unplug(const std::string& path) {
    with(path, [](FakeHidDevice& d) {
        d.present = false;
        d.unplugged = true;
    });
}

bool FakeHidPlatform::waitUntilReadWaits(const std::string& path) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(10),
                              [&] { return find(path)->readsWaiting > 0; });
}

std::vector<HidInterface> FakeHidPlatform::enumerate() {
    const std::lock_guard lock(m_mutex);
    std::vector<HidInterface> list;
    for (const auto& d : m_devices) {
        if (d->present) list.push_back({d->identity, d->path, d->system});
    }
    return list;
}

HidOpenResult<std::unique_ptr<HidHandle>> FakeHidPlatform::open(const std::string& path,
                                                                HidAccess access) {
    const std::lock_guard lock(m_mutex);
    FakeHidDevice* d = find(path);
    const auto fail = [](std::uint32_t code) {
        return HidOpenResult<std::unique_ptr<HidHandle>>{
            nullptr, {code, QString::fromStdString(std::generic_category().message(int(code)))}};
    };
    if (d == nullptr || d->unplugged) return fail(ENODEV);
    if (d->openError) return fail(*d->openError);
    if (access == HidAccess::ReadWrite && !d->readWrite) return fail(EACCES);
    ++d->mainOpens;
    ++d->mainHandlesOpen;
    return {std::make_unique<FakeHidHandle>(*this, path), {}};
}

HidOpenResult<std::shared_ptr<HidReadHandle>> FakeHidPlatform::openForReading(
    const std::string& path) {
    const std::lock_guard lock(m_mutex);
    FakeHidDevice* d = find(path);
    if (d == nullptr || d->unplugged) return {nullptr, {ENODEV, {}}};
    if (d->readOpenError) return {nullptr, {*d->readOpenError, {}}};
    ++d->readOpens;
    ++d->readHandlesAlive;
    return {std::make_shared<FakeHidReadHandle>(*this, path), {}};
}

QString FakeHidPlatform::errorText(std::uint32_t code) const {
    return QString::fromStdString(std::generic_category().message(static_cast<int>(code)));
}
