#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "link/hid/hid_platform.h"

/// A report descriptor: one vendor collection with an input report of dataBytes bytes and a
/// feature report of 9 bytes, numbered with reportId when given.
std::vector<std::uint8_t> fakeReportDescriptor(std::uint16_t dataBytes,
                                               std::optional<std::uint8_t> reportId = {});

/// One scripted device. Change it through FakeHidPlatform::with() once readers run.
struct FakeHidDevice {
    std::string identity;
    std::string path;
    HidSystemInfo system;                    ///< what enumerate() tells without opening
    bool present = true;                     ///< listed by enumerate()
    bool unplugged = false;                  ///< reads fail with EIO, opens with ENODEV
    std::optional<std::uint32_t> openError;  ///< every open fails with this errno
    bool readWrite = true;  ///< false: only the query-only open works (EACCES otherwise)
    std::optional<HidAttributes> attributes = HidAttributes{0x1234, 0x5678, 0x0100};
    std::optional<std::u16string> product;
    std::optional<std::u16string> serial;
    HidLanguageTableQuery languageQuery = HidLanguageTableQuery::Queried;
    std::vector<char16_t> languageTable{0x0409, 0};  ///< what descriptor 0 writes
    std::optional<std::vector<std::uint8_t>> descriptor = fakeReportDescriptor(8);
    bool acceptFeatures = true;
    std::vector<std::vector<std::uint8_t>> features;  ///< sent feature reports

    struct Read {
        std::vector<std::uint8_t> report;  ///< delivered when error is 0
        std::uint32_t error = 0;
    };
    std::deque<Read> reads;  ///< what the next reads give, in order
    std::optional<std::uint32_t> readOpenError;

    int mainOpens = 0;
    int mainHandlesOpen = 0;
    int readOpens = 0;
    int readHandlesAlive = 0;
    int readsStarted = 0;
    int readsReturned = 0;
    int readsWaiting = 0;
    int interrupts = 0;
    int productQueries = 0;
};

/// Scripted HID devices for the tests; thread-safe as the seam asks.
class FakeHidPlatform final : public HidPlatform {
public:
    FakeHidPlatform() = default;
    ~FakeHidPlatform() override;

    /// Adds a device (before readers run) and returns it for scripting.
    FakeHidDevice& add(const std::string& identity, const std::string& path);
    /// Runs f on the device under the platform's lock and wakes waiting reads.
    void with(const std::string& path, const std::function<void(FakeHidDevice&)>& f);
    template <typename T>
    T get(const std::string& path, T FakeHidDevice::*field) {
        T value{};
        with(path, [&](FakeHidDevice& d) { value = d.*field; });
        return value;
    }
    void pushReport(const std::string& path, std::vector<std::uint8_t> report);
    void pushError(const std::string& path, std::uint32_t error);
    /// The device goes away: no longer listed, its reads fail with EIO.
    void unplug(const std::string& path);
    /// Waits (without events) until a read of the device waits for a report.
    bool waitUntilReadWaits(const std::string& path);

    bool isAvailable = true;

    bool available() const override { return isAvailable; }
    std::vector<HidInterface> enumerate() override;
    HidOpenResult<std::unique_ptr<HidHandle>> open(const std::string& path,
                                                   HidAccess access) override;
    HidOpenResult<std::shared_ptr<HidReadHandle>> openForReading(const std::string& path) override;
    QString errorText(std::uint32_t code) const override;

private:
    friend class FakeHidHandle;
    friend class FakeHidReadHandle;
    FakeHidDevice* find(const std::string& path);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::unique_ptr<FakeHidDevice>> m_devices;
};

/// A monitor the test fires by hand.
class FakeHidMonitor final : public HidDeviceMonitor {
public:
    void start(std::function<void()> onChange) override {
        m_onChange = std::move(onChange);
        ++starts;
    }
    void stop() override {
        m_onChange = {};
        ++stops;
    }
    void fire() {
        if (m_onChange) m_onChange();
    }
    bool watching() const { return static_cast<bool>(m_onChange); }
    int starts = 0;
    int stops = 0;

private:
    std::function<void()> m_onChange;
};
