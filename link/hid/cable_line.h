#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <utility>

#include "sim/sim_packet.h"
#include "sim/sim_scenario.h"

/// The simulated meter's serial line as the USB cable reports it. The meter starts a packet
/// every 1/packetsPerSecond seconds (or as soon as the line is free); its bytes arrive one by
/// one at the line's speed (10 bits per byte). Every 10 ms the cable sends one input report
/// with the bytes that arrived since the last one (at most 7; the rest wait for the next), or
/// an empty report when none did. Times count from the start of the line. Pure and
/// deterministic: the same seed and rate give the same reports.
class CableLine {
public:
    static constexpr std::chrono::nanoseconds kReportInterval{10'000'000};
    static constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit

    /// packetsPerSecond > 0; baud > 0.
    CableLine(std::uint64_t seed, double packetsPerSecond, int baud);

    /// When the next report is due.
    std::chrono::nanoseconds nextDue() const { return kReportInterval * m_nextReport; }
    /// The next report (report ID included).
    HidInputReport next();
    /// Drops the reports due before time, and the bytes they would have carried: nobody read
    /// the cable meanwhile.
    void skipTo(std::chrono::nanoseconds time);

    std::uint64_t packetsStarted() const { return m_simulator.packetsMade(); }

private:
    void startPacketsUpTo(std::chrono::nanoseconds time);

    MeterSimulator m_simulator;
    std::chrono::nanoseconds m_period;
    double m_byteNs;
    std::chrono::nanoseconds m_nextPacket{0};
    std::chrono::nanoseconds m_lineFree{0};
    std::int64_t m_nextReport = 1;
    std::chrono::nanoseconds m_lost{-1};  // bytes that arrived up to here are dropped
    std::deque<std::pair<std::chrono::nanoseconds, std::uint8_t>> m_arrived;
};
