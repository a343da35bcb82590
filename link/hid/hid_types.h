#pragma once

#include <QString>

#include <cstdint>
#include <stdexcept>

#include "link/hid/hid_handler.h"

class THidDevice;
class THidDeviceController;

/// A device arrived, went away or was unplugged. Called on the GUI thread.
using THidPlugEvent = HidHandler<void(THidDevice& HidDev)>;

/// One input report. Data points to the Size bytes after the report ID; it is valid only during
/// the call (the reader reuses its buffer once the handler has returned). Called on the GUI
/// thread while the device's reader waits.
using THidDataEvent = HidHandler<void(THidDevice& HidDev, std::uint8_t ReportID,
                                      const std::uint8_t* Data, std::uint16_t Size)>;

/// A read could not be done; Error is the platform's error code (errno on Linux). Called on the
/// GUI thread while the device's reader waits.
using THidDataErrorEvent = HidHandler<void(THidDevice& HidDev, std::uint32_t Error)>;

/// One device of the controller's list during EnumerateDevices; Idx is its list index. Returns
/// true to go on with the next device.
using THidEnumerateEvent = HidHandler<bool(THidDevice& HidDev, std::int32_t Idx)>;

/// The set of devices may have changed (sender: the controller).
using THidNotifyEvent = HidHandler<void(THidDeviceController& Sender)>;

/// Construction faults of the HID layer. what() is the fixed text ("device cannot be opened",
/// "device cannot be identified", "Only one THidDeviceController allowed per program"); a
/// device fault also carries the platform's error code and its wording, for messages.
class EControllerError : public std::runtime_error {
public:
    explicit EControllerError(const char* text, std::uint32_t platformError = 0,
                              QString reason = {})
        : std::runtime_error(text), m_platformError(platformError), m_reason(std::move(reason)) {}

    std::uint32_t platformError() const { return m_platformError; }
    const QString& reason() const { return m_reason; }

private:
    std::uint32_t m_platformError;
    QString m_reason;
};

inline constexpr const char* kDeviceCannotBeOpened = "device cannot be opened";
inline constexpr const char* kDeviceCannotBeIdentified = "device cannot be identified";
inline constexpr const char* kOnlyOneController =
    "Only one THidDeviceController allowed per program";
