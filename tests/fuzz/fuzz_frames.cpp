// Frame assembly and decoding of arbitrary bytes. Property: every frame the assembler accepts
// reaches the decoder and is counted once, decoded or rejected; the accumulators stay bounded.
//
// Input: the first byte chooses the path. Even: the rest is the serial stream, handed over in
// batches of (first byte / 2 + 1) bytes. Odd: the rest is a series of cable reports, each a
// length byte (taken modulo 9) followed by that many data bytes.
#include <cstddef>
#include <cstdint>

#include "decode/decoder_sink.h"
#include "decode/frame_assembler.h"
#include "decode/limit_comparator.h"
#include "decode/locale_info.h"
#include "decode/meter_decoder.h"
#include "decode/model_profile.h"
#include "fuzz_check.h"

namespace {

class CountingSink : public DecoderSink {
public:
    void restartSeries() override {}
    void setLeftAxisRange(double, double) override {}
    void ReadingDecoded(const TMeterReading&, double) override { ++readings; }
    std::uint64_t readings = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const FixedLocale locale;
    TModelProfile profile = buildModelProfile(kBuildModelFlags);
    LimitComparator limits(locale);
    CountingSink sink;
    MeterDecoder decoder(profile, limits, sink);
    FrameAssembler frames(&decoder);

    const std::uint8_t mode = data[0];
    std::size_t at = 1;
    if ((mode & 1) == 0) {
        const std::size_t batch = mode / 2 + 1;
        while (at < size) {
            const std::size_t n = size - at < batch ? size - at : batch;
            frames.receiveSerial(profile.SerialHandler, data + at, static_cast<std::int32_t>(n));
            at += n;
        }
    } else {
        while (at < size) {
            std::size_t n = data[at++] % 9;
            if (n > size - at) n = size - at;
            frames.receiveHid(profile.UsbHandler, 0, n == 0 ? nullptr : data + at,
                              static_cast<std::uint16_t>(n));
            at += n;
        }
    }
    FUZZ_CHECK(decoder.decodedCount() + decoder.rejectedCount() == frames.stats().accepted);
    FUZZ_CHECK(sink.readings == decoder.decodedCount());
    FUZZ_CHECK(frames.FrameAccumulator().size() <= FrameAssembler::kMaxFrameAccumulator);
    FUZZ_CHECK(frames.HidAccumulator().size() <= FrameAssembler::kMaxHidAccumulator);
    return 0;
}
