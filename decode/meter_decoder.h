#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "decode/decoder_sink.h"
#include "decode/frame_assembler.h"
#include "decode/lcd_panel.h"
#include "decode/limit_comparator.h"
#include "decode/meter_reading.h"
#include "decode/model_profile.h"

/// Decodes accepted meter packets into the current reading and the LCD panel, tracks MAX and MIN,
/// scales the value by the range table, judges it and hands it on.
///
/// Undecodable packets: a packet whose first byte is not a sign, whose characters 1 to 22 are
/// not all upper-case hexadecimal digits, whose digit characters (4, 6, 8, 10) do not form a
/// decimal integer outside the overload pattern (character 4 "F"), or whose point code
/// (character 14) is not a decimal digit is rejected before any step runs: the locale and limit
/// texts, the link pictures, PacketTimeoutTicks, the panel, the reading, the tracking state and
/// the sink are all left as they were; rejectedCount() grows by one. The link indicator therefore
/// lights only for packets that yield a reading.
///
/// MAX/MIN tracking runs twice per packet over the context (UnitText, point position,
/// FunctionText); a changed context restarts it (DecoderSink::restartSeries). A restart empties
/// both extremes, so the next tracked reading becomes both MAX and MIN whatever its count, also
/// one beyond the full scale that the previous unit left (after Hz, % or degrees Celsius).
///
/// Sink calls per decoded packet, in order: restartSeries for each restart, setLeftAxisRange once
/// when a range row matched (the last matching row), ReadingDecoded last.
///
/// Not thread-safe: all calls come from one thread (the GUI thread in the program).
class MeterDecoder : public PacketSink {
public:
    /// profile: FullScale is read and rewritten per packet. All three are not owned and must
    /// outlive the decoder.
    MeterDecoder(TModelProfile& profile, LimitComparator& limits, DecoderSink& sink);

    /// Decodes one packet (hexadecimal digit pairs, sign byte first; characters 1 to 22 are
    /// used). Returns false when the packet is undecodable and was rejected.
    bool LcdDisplayQM14(std::string_view FrameHex);
    void packetAccepted(std::string_view FrameHex) override;

    const TMeterReading& reading() const { return m_reading; }
    const LcdPanelState& panel() const { return m_panel; }

    /// Link watchdog: true shows CONok and hides CONokN, false the reverse.
    void setLinkLit(bool lit);
    std::int32_t PacketTimeoutTicks() const { return m_packetTimeoutTicks; }
    /// One ConTimer tick (100 ms): if PacketTimeoutTicks != 2, +1 and return false; else hide
    /// CONok, show CONokN, PacketTimeoutTicks := 0 and return true (the USB side then checks
    /// EmptyReportCount).
    bool ConTimerTick();

    /// The chart's left axis as the range table left it (start-up: -FullScale to FullScale).
    double leftAxisMinimum() const { return m_leftAxisMinimum; }
    double leftAxisMaximum() const { return m_leftAxisMaximum; }
    /// Decimal point of the last decoded packet: 0 none, else 1, 2 or 3.
    int pointPosition() const { return m_lastPointPosition; }
    /// Signed display count of the last decoded packet, without decimal point.
    double RawCount() const { return m_rawCount; }
    std::uint64_t decodedCount() const { return m_decodedCount; }
    std::uint64_t rejectedCount() const { return m_rejectedCount; }

private:
    void track(int pointPosition);
    void restartTracking();

    TModelProfile& m_profile;
    LimitComparator& m_limits;
    DecoderSink& m_sink;

    TMeterReading m_reading;
    LcdPanelState m_panel;

    double m_rawCount = 0.0;
    float m_maxSoFar;
    float m_minSoFar;
    std::string m_maxValueText;
    std::string m_minValueText;
    std::string m_lastUnitText = "113";
    std::string m_lastFunctionText;
    int m_lastPointPosition = 0;

    std::int32_t m_packetTimeoutTicks = 0;
    double m_leftAxisMinimum;
    double m_leftAxisMaximum;
    std::uint64_t m_decodedCount = 0;
    std::uint64_t m_rejectedCount = 0;
};
