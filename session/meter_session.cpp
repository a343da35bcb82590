#include "session/meter_session.h"

#include <limits>

MeterSession::MeterSession(ChartSurface& chart, const Clock& clock, const LocaleInfo& locale,
                           DecoderSink* display, const SessionSettings& settings)
    : m_display(display),
      m_logReadings(settings.logReadings),
      m_profile(buildModelProfile(settings.modelFlags)),
      m_Pager(chart, settings.pointsPerPage),
      m_limits(locale),
      m_log(m_cds1, m_Pager, clock, locale),
      m_decoder(m_profile, m_limits, *this),
      m_frames(&m_decoder) {}

MeterSession::~MeterSession() = default;

void MeterSession::receiveSerial(const std::uint8_t* data, std::size_t size) {
    // The handlers take a signed 32-bit count.
    constexpr std::size_t kMaxBatch = std::numeric_limits<std::int32_t>::max();
    while (size > 0) {
        const std::size_t n = size < kMaxBatch ? size : kMaxBatch;
        m_frames.receiveSerial(m_profile.SerialHandler, data, static_cast<std::int32_t>(n));
        data += n;
        size -= n;
    }
}

void MeterSession::receiveHidReport(std::uint8_t reportId, const std::uint8_t* data,
                                    std::uint16_t size) {
    m_frames.receiveHid(m_profile.UsbHandler, reportId, data, size);
}

bool MeterSession::ConTimerTick() {
    return m_decoder.ConTimerTick();
}

void MeterSession::Timer3Timer() {
    m_log.Timer3Timer();
}

void MeterSession::restartSeries() {
    if (m_display) m_display->restartSeries();
}

void MeterSession::setLeftAxisRange(double minimum, double maximum) {
    if (m_display) m_display->setLeftAxisRange(minimum, maximum);
}

void MeterSession::ReadingDecoded(const TMeterReading& reading, double leftAxisMaximum) {
    if (m_logReadings) m_log.ReadingDecoded(reading, leftAxisMaximum);
    if (m_display) m_display->ReadingDecoded(reading, leftAxisMaximum);
}
