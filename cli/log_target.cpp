#include "cli/log_target.h"

#include <algorithm>

#include "log/log_table.h"
#include "session/meter_session.h"

LogTarget::LogTarget(MeterSession& session, std::optional<std::size_t> count)
    : m_session(session), m_count(count) {}

bool LogTarget::full() const {
    return m_count && m_session.cds1().rowCount() >= *m_count;
}

bool LogTarget::receiveSerial(const std::uint8_t* data, std::size_t size) {
    if (full()) return false;
    if (!m_count) {
        m_session.receiveSerial(data, size);
        wake();
        return true;
    }
    // A row can be logged only at a carriage return: feed up to each one and look.
    const std::uint8_t* const end = data + size;
    while (data != end) {
        const std::uint8_t* cr = std::find(data, end, std::uint8_t{0x0D});
        const std::uint8_t* const next = cr == end ? end : cr + 1;
        m_session.receiveSerial(data, static_cast<std::size_t>(next - data));
        data = next;
        if (full()) break;
    }
    wake();
    return !full();
}

bool LogTarget::receiveHidReport(std::uint8_t reportId, const std::uint8_t* data,
                                 std::uint16_t size) {
    if (full()) return false;
    m_session.receiveHidReport(reportId, data, size);
    wake();
    return !full();
}
