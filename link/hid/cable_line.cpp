#include "link/hid/cable_line.h"

#include <algorithm>
#include <cmath>
#include <vector>

CableLine::CableLine(std::uint64_t seed, double packetsPerSecond, int baud)
    : m_simulator(seed),
      m_period(static_cast<std::int64_t>(std::llround(1e9 / packetsPerSecond))),
      m_byteNs(1e9 * kBitsPerByte / baud) {}

void CableLine::startPacketsUpTo(std::chrono::nanoseconds time) {
    using std::chrono::nanoseconds;
    for (;;) {
        const nanoseconds start = std::max(m_nextPacket, m_lineFree);
        const nanoseconds firstByte{static_cast<std::int64_t>(std::llround(m_byteNs)) +
                                    start.count()};
        if (firstByte > time) return;
        const SimPacket packet = m_simulator.next();
        for (std::size_t j = 0; j < packet.bytes.size(); ++j) {
            const auto arrival =
                start + nanoseconds(std::llround(m_byteNs * static_cast<double>(j + 1)));
            m_arrived.emplace_back(arrival, packet.bytes[j]);
        }
        m_lineFree = m_arrived.back().first;
        m_nextPacket = m_period * static_cast<std::int64_t>(m_simulator.packetsMade());
    }
}

HidInputReport CableLine::next() {
    const std::chrono::nanoseconds due = nextDue();
    ++m_nextReport;
    startPacketsUpTo(due);
    while (!m_arrived.empty() && m_arrived.front().first <= m_lost)
        m_arrived.pop_front();
    std::vector<std::uint8_t> payload;
    while (!m_arrived.empty() && m_arrived.front().first <= due &&
           payload.size() < kHidMaxPayload) {
        payload.push_back(m_arrived.front().second);
        m_arrived.pop_front();
    }
    return hidInputReport(payload);
}

void CableLine::skipTo(std::chrono::nanoseconds time) {
    const std::int64_t first =
        (time.count() + kReportInterval.count() - 1) / kReportInterval.count();
    if (first <= m_nextReport) return;
    m_nextReport = first;
    m_lost = kReportInterval * (first - 1);
}
