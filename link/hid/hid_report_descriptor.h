#pragma once

#include <cstdint>
#include <optional>
#include <span>

/// What the HID layer needs of a report descriptor.
struct HidReportLayout {
    /// The device puts a report ID in front of its reports (the descriptor has Report ID items).
    bool numbered = false;
    /// Bytes of the longest input report with its report ID byte, which is counted also for a
    /// device that does not number its reports (the ID is then 0); 0 when there is no input
    /// report.
    std::uint16_t inputReportLength = 0;
    std::uint16_t outputReportLength = 0;   ///< same rule
    std::uint16_t featureReportLength = 0;  ///< same rule
    bool operator==(const HidReportLayout&) const = default;
};

/// Reads the main and global items of a report descriptor. Each report (per ID and kind) is
/// as long as the sum of Report Size x Report Count of its main items, rounded up to whole
/// bytes. Returns nullopt for a descriptor that is cut inside an item, pops more than it
/// pushed, or gives a report longer than 65534 bytes.
std::optional<HidReportLayout> parseReportDescriptor(std::span<const std::uint8_t> descriptor);
