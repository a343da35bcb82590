#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "cli/hid_line.h"
#include "decode/decoder_sink.h"
#include "decode/frame_assembler.h"
#include "decode/limit_comparator.h"
#include "decode/locale_info.h"
#include "decode/meter_decoder.h"
#include "decode/model_profile.h"

/// Limits and number format of a command-line decode.
struct PipelineOptions {
    std::string high = "6000";
    std::string low = "-6000";
    char decimalSeparator = '.';
};

/// The program's decoding chain for one input: the build's model profile, the limit comparator,
/// the decoder and the frame assembler with the profile's handlers, wired as the window wires
/// them. Every decoded reading goes to the handler, which may read the decoder's state.
class DecodePipeline : private DecoderSink {
public:
    using ReadingHandler = std::function<void(
        const MeterDecoder& decoder, const TMeterReading& reading, double leftAxisMaximum)>;

    DecodePipeline(const PipelineOptions& options, ReadingHandler onReading);
    DecodePipeline(const DecodePipeline&) = delete;
    DecodePipeline& operator=(const DecodePipeline&) = delete;

    /// Why the limits cannot be used (a limit that is not a number in the chosen format), or
    /// std::nullopt when both parse.
    std::optional<std::string> limitError() const;

    /// Raw serial bytes, in any batches.
    void feedSerial(const std::uint8_t* data, std::size_t size);
    /// One input report of the USB cable.
    void feedHidReport(const HidReportLine& report);

    const MeterDecoder& decoder() const { return m_decoder; }
    const FrameAssembler& frames() const { return m_frames; }

private:
    void restartSeries() override {}
    void setLeftAxisRange(double, double) override {}
    void ReadingDecoded(const TMeterReading& reading, double leftAxisMaximum) override;

    FixedLocale m_locale;
    TModelProfile m_profile;
    LimitComparator m_limits;
    MeterDecoder m_decoder;
    FrameAssembler m_frames;
    ReadingHandler m_onReading;
};
