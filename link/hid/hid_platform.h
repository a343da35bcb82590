#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

/// What the system tells of an interface without opening it, so that a device the user may
/// not open can still be named (Linux: sysfs). Empty or 0 where the system does not tell.
struct HidSystemInfo {
    std::string product;  ///< UTF-8; the USB device's product string
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    bool operator==(const HidSystemInfo&) const = default;
};

/// One HID interface the system lists.
struct HidInterface {
    /// Stable for as long as the device stays plugged in; a device plugged in again gets a new
    /// one (Linux: the HID device's sysfs path).
    std::string identity;
    /// What the interface is opened by (Linux: the /dev/hidrawN node).
    std::string path;
    HidSystemInfo system{};
};

/// Vendor, product and version number of a device.
struct HidAttributes {
    std::uint16_t VendorID = 0;
    std::uint16_t ProductID = 0;
    std::uint16_t VersionNumber = 0;
    bool operator==(const HidAttributes&) const = default;
};

/// Wide characters of a device string buffer: 508 bytes.
inline constexpr std::size_t kHidStringChars = 254;
using HidStringBuffer = std::array<char16_t, kHidStringChars>;

/// What a query of string descriptor 0 (the device's table of language IDs) did.
enum class HidLanguageTableQuery : std::uint8_t {
    Queried,   ///< the buffer holds what the device returned, if anything
    Withheld,  ///< the system never serves descriptor 0 as a string (Linux): see SerialString
};

/// A failed platform call: the system's error code (errno on Linux) and its wording.
struct HidError {
    std::uint32_t code = 0;
    QString reason;
};

/// What one wait for an input report gave.
struct HidReadResult {
    enum class Kind : std::uint8_t {
        Report,       ///< bytes of the report are in the buffer (0 counts as no report)
        Interrupted,  ///< interrupt() was called: no report
        Failed,       ///< the read failed; error says why
    };
    Kind kind = Kind::Interrupted;
    std::size_t bytes = 0;  ///< Report: bytes in the buffer, report ID byte included
    std::uint32_t error = 0;
};

/// An open device for queries and feature reports. Used on the GUI thread only.
class HidHandle {
public:
    virtual ~HidHandle() = default;
    virtual std::optional<HidAttributes> attributes() = 0;
    /// Fill the (zeroed) buffer with the text; false when the device has none or the query
    /// failed. A text longer than the buffer is cut.
    virtual bool productString(HidStringBuffer& buffer) = 0;
    virtual bool serialNumberString(HidStringBuffer& buffer) = 0;
    /// Writes string descriptor 0 into the buffer (prefilled with 0xFFFF by the caller).
    virtual HidLanguageTableQuery languageTable(HidStringBuffer& buffer) = 0;
    /// The device's report descriptor, from which input report length and report numbering
    /// follow; nullopt when it cannot be read.
    virtual std::optional<std::vector<std::uint8_t>> reportDescriptor() = 0;
    /// report[0] is the report ID (0 for a device that does not number its reports).
    virtual bool setFeature(std::span<const std::uint8_t> report) = 0;
    /// Size of the driver's queue of input reports; nullopt when the platform cannot tell.
    virtual std::optional<std::uint32_t> numInputBuffers() = 0;
    /// False when the platform's queue has a fixed size.
    virtual bool setNumInputBuffers(std::uint32_t count) = 0;
};

/// An open device for the input reports of one reader.
///
/// read() is called on the reader thread only and waits until a report arrives, the read
/// fails or interrupt() is called. interrupt() may be called from any thread, also while
/// read() waits; it makes the waiting read and every later one return Interrupted at once.
/// The object may be destroyed on any thread once no read is running.
class HidReadHandle {
public:
    virtual ~HidReadHandle() = default;
    /// buffer is the reader's report buffer, InputReportLength bytes, zeroed. A report is
    /// delivered with its report ID first, 0 for a device that does not number its reports.
    virtual HidReadResult read(std::span<std::uint8_t> buffer) = 0;
    virtual void interrupt() = 0;
    virtual std::optional<std::uint32_t> numInputBuffers() = 0;
    virtual bool setNumInputBuffers(std::uint32_t count) = 0;
};

/// How a device is opened for queries.
enum class HidAccess : std::uint8_t {
    ReadWrite,  ///< queries, feature reports and reading
    QueryOnly,  ///< what the system allows without read and write access
};

template <typename Handle>
struct HidOpenResult {
    Handle handle;  ///< null on failure
    HidError error;
};

/// The HID layer's only access to the system's HID devices.
///
/// enumerate(), open() and errorText() are called on the GUI thread; openForReading() is
/// called on reader threads and must be safe alongside the others. The platform must outlive
/// every controller and device made over it.
class HidPlatform {
public:
    virtual ~HidPlatform() = default;
    /// False when the system's HID services cannot be used; the controller then keeps an
    /// empty list and watches no device changes.
    virtual bool available() const = 0;
    /// The HID interfaces present, in the system's order.
    virtual std::vector<HidInterface> enumerate() = 0;
    virtual HidOpenResult<std::unique_ptr<HidHandle>> open(const std::string& path,
                                                           HidAccess access) = 0;
    /// Opens the device read-only for one reader.
    virtual HidOpenResult<std::shared_ptr<HidReadHandle>> openForReading(
        const std::string& path) = 0;
    /// The system's message text for an error code a read reported.
    virtual QString errorText(std::uint32_t code) const = 0;
};

/// Tells the controller that the set of HID devices may have changed.
class HidDeviceMonitor {
public:
    virtual ~HidDeviceMonitor() = default;
    /// Starts watching; onChange is called on the GUI thread, once per burst of changes.
    virtual void start(std::function<void()> onChange) = 0;
    /// Stops watching; onChange is not called again.
    virtual void stop() = 0;
};
