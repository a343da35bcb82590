#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decoder_sink.h"
#include "decode/frame_assembler.h"
#include "decode/limit_comparator.h"
#include "decode/locale_info.h"
#include "decode/meter_decoder.h"
#include "decode/model_profile.h"
#include "log/chart_pager.h"
#include "log/chart_surface.h"
#include "log/clock.h"
#include "log/log_table.h"
#include "log/reading_log.h"

/// How a session is set up.
struct SessionSettings {
    ModelFlags modelFlags = kBuildModelFlags;
    /// Points per chart page at the start.
    std::int32_t pointsPerPage = 100;
    /// False: decoded readings reach only the display, never the log (a plain decode).
    bool logReadings = true;
};

/// The decode chain of one meter, from received bytes to logged rows: the model profile, the
/// frame assembler bound to the profile's handlers, the decoder with the range table, the limit
/// comparator, the reading log with its table, and the chart pager. This is the one place that
/// wires them; the window, the command-line tool, tests and benchmarks feed it one input at a
/// time and read its parts.
///
/// Every decoded packet is logged first (under the log rules), then handed to the display,
/// which sees the same calls a DecoderSink sees from the decoder.
///
/// Not thread-safe: every call comes from one thread (the GUI thread in the program); HID
/// reports are handed over to that thread before they reach the session.
class MeterSession : private DecoderSink {
public:
    /// chart, clock and locale: not owned, must outlive the session. display: may be nullptr.
    MeterSession(ChartSurface& chart, const Clock& clock, const LocaleInfo& locale,
                 DecoderSink* display = nullptr, const SessionSettings& settings = {});
    MeterSession(const MeterSession&) = delete;
    MeterSession& operator=(const MeterSession&) = delete;
    ~MeterSession() override;

    /// Receives the decoder's effects once the session has applied them; nullptr for none.
    /// Not owned; must outlive the session or be replaced first.
    void setDisplay(DecoderSink* display) { m_display = display; }

    /// Bytes received over the serial link, in batches of any size: the profile's serial
    /// handler.
    void receiveSerial(const std::uint8_t* data, std::size_t size);
    /// One input report of the USB cable: the profile's HID handler. data: the bytes after the
    /// report ID; may be nullptr when size is 0.
    void receiveHidReport(std::uint8_t reportId, const std::uint8_t* data, std::uint16_t size);
    /// One tick of the link watchdog (every 100 ms). True when this tick turned the link
    /// indicator dark, the moment at which the USB watchdog examines the empty reports.
    bool ConTimerTick();
    /// One tick of the sampling timer.
    void Timer3Timer();

    TModelProfile& profile() { return m_profile; }
    const TModelProfile& profile() const { return m_profile; }
    FrameAssembler& frames() { return m_frames; }
    const FrameAssembler& frames() const { return m_frames; }
    MeterDecoder& decoder() { return m_decoder; }
    const MeterDecoder& decoder() const { return m_decoder; }
    LimitComparator& limits() { return m_limits; }
    const LimitComparator& limits() const { return m_limits; }
    LogTable& cds1() { return m_cds1; }
    const LogTable& cds1() const { return m_cds1; }
    ReadingLog& log() { return m_log; }
    const ReadingLog& log() const { return m_log; }
    TChartControl& Pager() { return m_Pager; }
    const TChartControl& Pager() const { return m_Pager; }

private:
    void restartSeries() override;
    void setLeftAxisRange(double minimum, double maximum) override;
    void ReadingDecoded(const TMeterReading& reading, double leftAxisMaximum) override;

    DecoderSink* m_display;
    bool m_logReadings;
    TModelProfile m_profile;
    TChartControl m_Pager;
    LimitComparator m_limits;
    LogTable m_cds1;
    ReadingLog m_log;
    MeterDecoder m_decoder;
    FrameAssembler m_frames;
};
