#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

/// Where hidraw's bytes go in the reader's buffer. hidraw leaves out the report ID of a device
/// that does not number its reports, so those are read one byte in and the 0 is put back in
/// front: every handler sees the report ID first, on every platform.
struct HidrawReadTarget {
    std::size_t offset = 0;  ///< where the read writes into the buffer
    std::size_t capacity = 0;
};

HidrawReadTarget hidrawReadTarget(std::size_t bufferSize, bool numbered);

/// Completes a report read into the target: puts the report ID 0 in front for an unnumbered
/// device and returns the report's length as handlers see it: the whole buffer, as the
/// system's HID drivers deliver a report shorter than the longest one padded with zeros (the
/// buffer was zeroed before the read). 0 when hidraw gave no byte.
std::size_t completeHidrawReport(std::span<std::uint8_t> buffer, std::size_t rawBytes,
                                 bool numbered);
