#pragma once

#include <functional>
#include <utility>

#include "decode/decoder_sink.h"

/// A display that passes every decoded reading to a function and ignores the chart's calls:
/// for the command-line tool and tests, which have no chart to show.
class ReadingCallback : public DecoderSink {
public:
    using Handler = std::function<void(const TMeterReading& reading, double leftAxisMaximum)>;

    explicit ReadingCallback(Handler handler) : m_handler(std::move(handler)) {}

    void restartSeries() override {}
    void setLeftAxisRange(double, double) override {}
    void ReadingDecoded(const TMeterReading& reading, double leftAxisMaximum) override {
        if (m_handler) m_handler(reading, leftAxisMaximum);
    }

private:
    Handler m_handler;
};
