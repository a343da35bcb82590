#pragma once

#include "decode/meter_reading.h"

/// What a decoded packet does outside the decoder: the chart's series and left axis, and the
/// hand-over to the reading log. The window implements it; tests record the calls.
/// Called on the thread that feeds the frame assembler (the GUI thread in the program).
class DecoderSink {
public:
    virtual ~DecoderSink() = default;
    /// MAX/MIN tracking restarted: show the series that the fill choice selects
    /// (series 0 when "Fill" is checked, else series 1).
    virtual void restartSeries() = 0;
    /// A range-table row matched: the chart's left axis now runs from minimum to maximum.
    virtual void setLeftAxisRange(double minimum, double maximum) = 0;
    /// Last step of every decoded packet; reading and verdict are complete.
    /// leftAxisMaximum is the chart's left-axis maximum after this packet.
    virtual void ReadingDecoded(const TMeterReading& reading, double leftAxisMaximum) = 0;
};
