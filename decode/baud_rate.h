#pragma once

#include <cstdint>

/// Serial bit rates the serial driver can be set to, in the driver's ordinal order.
enum class TComPortBaudRate : std::uint8_t {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
};

/// Bits per second for a baud-rate ordinal.
constexpr int baudRateValue(TComPortBaudRate rate) {
    constexpr int kValues[] = {110,   300,   600,   1200,  2400,  4800,  9600,
                               14400, 19200, 38400, 56000, 57600, 115200};
    return kValues[static_cast<int>(rate)];
}
