#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "link/hid/hid_platform.h"

/// When the simulated cable's reports become due.
class CablePacer {
public:
    virtual ~CablePacer() = default;
    /// Time on the pacer's clock (any thread).
    virtual std::chrono::nanoseconds now() = 0;
    /// Reader thread, lock held: waits until now() reaches due or stopped() holds, woken
    /// through cv. Returns false when stopped.
    virtual bool waitUntil(std::chrono::nanoseconds due, std::unique_lock<std::mutex>& lock,
                           std::condition_variable& cv, const std::function<bool()>& stopped) = 0;
};

/// Paces reports in real time, as the cable sends them (steady clock).
std::unique_ptr<CablePacer> makeRealTimeCablePacer();

/// Lets time jump to each due report at once: the reports come as fast as they are read, in
/// exactly the order and with exactly the contents the real-time cable gives.
class InstantCablePacer final : public CablePacer {
public:
    std::chrono::nanoseconds now() override { return std::chrono::nanoseconds(m_now.load()); }
    bool waitUntil(std::chrono::nanoseconds due, std::unique_lock<std::mutex>&,
                   std::condition_variable&, const std::function<bool()>& stopped) override {
        if (stopped()) return false;
        if (due.count() > m_now.load()) m_now.store(due.count());
        return true;
    }

private:
    std::atomic<std::int64_t> m_now{0};
};

/// The simulated meter's scenario: the packets of `vxm90-cli sim` with the same seed and rate.
struct SimulatedCableOptions {
    /// The fastest pace at which every packet still reaches the program: a packet takes 58 ms
    /// on the 2400-baud line, and the next may start only once a 10 ms report between them
    /// has come empty (the report handler ends a packet there). Faster packets run together.
    static constexpr double kMaxFramedPacketsPerSecond = 12.0;

    std::uint64_t seed = 1;
    double packetsPerSecond = 2.5;  ///< > 0; see kMaxFramedPacketsPerSecond
};

/// A HID platform with one device: the meter's USB cable with the simulated meter behind it.
/// Product string "USB to Serial", no serial number, input reports of 8 data bytes (9 with the
/// report ID 0). It sends nothing until a speed feature report of 2400 baud arrives (10 bytes:
/// report ID 0, the rate as 32-bit little-endian, 0x03); from then on its reports carry the
/// meter's packets as a 2400-baud line delivers them, with an empty report every 10 ms when no
/// byte is pending. After a report of another speed the line goes on but only empty reports
/// come (the bytes cannot be framed), until 2400 is set again. A reader opened after a pause
/// picks up the line where it is now: what came meanwhile is lost, as on the real cable.
/// It can be pulled out and plugged in again (unplug(), plugIn()), as a test's hand would.
class SimulatedCablePlatform final : public HidPlatform {
public:
    static constexpr std::uint16_t kVendorId = 0x1209;  // the open test IDs
    static constexpr std::uint16_t kProductId = 0x0001;
    static constexpr int kMeterBaud = 2400;
    static constexpr const char* kIdentity = "simulated:usb-cable";
    static constexpr const char* kPath = "simulated:/dev/usb-cable";

    SimulatedCablePlatform(SimulatedCableOptions options, std::unique_ptr<CablePacer> pacer);
    ~SimulatedCablePlatform() override;
    SimulatedCablePlatform(const SimulatedCablePlatform&) = delete;
    SimulatedCablePlatform& operator=(const SimulatedCablePlatform&) = delete;

    bool available() const override { return true; }
    std::vector<HidInterface> enumerate() override;
    HidOpenResult<std::unique_ptr<HidHandle>> open(const std::string& path,
                                                   HidAccess access) override;
    HidOpenResult<std::shared_ptr<HidReadHandle>> openForReading(const std::string& path) override;
    QString errorText(std::uint32_t code) const override;

    /// The cable is pulled out: it is no longer listed, it cannot be opened (ENODEV), and a
    /// waiting read and every later read of a handle opened before fail with EIO, as hidraw's
    /// do. Any thread.
    void unplug();
    /// The cable is plugged in again: listed under a new identity, as a device the system has
    /// not seen before, and silent until its next speed report. Any thread.
    void plugIn();

    /// The baud rate of the last speed report; 0 before the first.
    int baud() const;
    /// Packets the simulated meter has started on the line.
    std::uint64_t packetsStarted() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};

/// A monitor for a fixed set of devices: nothing ever comes or goes.
class FixedDeviceSetMonitor final : public HidDeviceMonitor {
public:
    void start(std::function<void()>) override {}
    void stop() override {}
};
