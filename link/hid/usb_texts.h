#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <span>

struct HidSystemInfo;
class THidDevice;

/// The product string by which the meter's cable is known.
inline constexpr auto kUsbCableProduct = "USB to Serial";

/// The two messages of the USB connection.
inline constexpr auto kCableNotConnectedText =
    "USB interface cable is not securely connected, please check and re-try.";
inline constexpr auto kMeterNotReadyText =
    "USB interface cable is securely connected, please check if the meter is ready.";

/// The udev rule that gives the logged-in user access to the cable's hidraw node, the name of
/// its file (numbered before udev's 73-seat-late.rules, which applies the uaccess tag), and a
/// command that installs it and applies it to the cables plugged in.
inline constexpr auto kUdevRule =
    R"(SUBSYSTEM=="hidraw", ATTRS{product}=="USB to Serial", TAG+="uaccess")";
inline constexpr auto kUdevRuleFile = "70-vxm90-usb-cable.rules";
QString udevRuleInstallCommand();

/// A device's list caption: its product string in the system code page (characters it lacks
/// become "?"), or "Device VID=%.4x PID=%.4x" with upper-case hexadecimal IDs when it has
/// none; then " (Serial=%s)" when it has a serial number.
QString DeviceCaption(const QString& product, const QString& serial, std::uint16_t vendorId,
                      std::uint16_t productId);
/// From the device's cached (or now queried) strings and IDs. GUI thread.
QString DeviceCaption(THidDevice& device);
/// From what the system tells of a device that could not be opened (no serial number).
QString DeviceCaption(const HidSystemInfo& system);

/// History lines.
QString arrivalLine(const QString& caption);
QString removalLine(const QString& caption);
/// "READ ERROR: %s (%x)": the system's text and the code in upper-case hexadecimal.
QString readErrorLine(const QString& systemText, std::uint32_t code);
/// Each byte as two upper-case hexadecimal digits and a blank.
QString hexPairsLine(std::span<const std::uint8_t> bytes);

/// The cable's speed feature report: report ID 0, the baud rate as 32-bit little-endian, 0x03,
/// zeros to the end.
std::array<std::uint8_t, 10> speedReport(std::uint32_t baud);

/// The "Error" shown when the cable at node cannot be used for lack of permission: the node,
/// the system's reason, the rule and the command that installs it. readOnly: it opened for
/// queries but not for reading and writing.
QString cablePermissionText(const QString& node, const QString& reason, bool readOnly);

/// Said once when the connected cable was pulled out.
QString cableRemovedText(const QString& caption);
