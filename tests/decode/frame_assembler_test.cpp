#include "decode/frame_assembler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "packets.h"

namespace {

using testpkt::Bytes;
using testpkt::concat;
using testpkt::Packet;
using testpkt::toHex;

class RecordingPackets : public PacketSink {
public:
    std::vector<std::string> frames;
    void packetAccepted(std::string_view FrameHex) override { frames.emplace_back(FrameHex); }
};

const Bytes kLf = {0x0A};

// ---------------------------------------------------------------------------------- serial

struct SerialCase {
    const char* name;
    std::vector<Bytes> batches;
    std::vector<std::string> expectedFrames;
    std::uint64_t failedCheck;
};

void PrintTo(const SerialCase& c, std::ostream* os) {
    *os << c.name;
}

class SerialFraming : public testing::TestWithParam<SerialCase> {};

TEST_P(SerialFraming, DeliversExactlyTheAlignedFrames) {
    const SerialCase& c = GetParam();
    RecordingPackets sink;
    FrameAssembler frames(&sink);
    for (const Bytes& batch : c.batches) {
        frames.RECEIVE_COM_Data(batch.data(), static_cast<std::int32_t>(batch.size()));
    }
    EXPECT_EQ(sink.frames, c.expectedFrames);
    EXPECT_EQ(frames.stats().accepted, c.expectedFrames.size());
    EXPECT_EQ(frames.stats().failedCheck, c.failedCheck);
}

Packet minusPacket() {
    Packet p;
    p.sign = '-';
    return p;
}

Bytes shortPacket() {  // twelve bytes from sign to carriage return
    Bytes b = Packet{}.bytes();
    b.erase(b.end() - 2);  // drop the unread byte before the carriage return
    return b;
}

Bytes withSign(std::uint8_t sign) {
    Packet p;
    p.sign = sign;
    return p.bytes();
}

Bytes withCrInside() {
    Packet p;
    p.status[0] = 0x0D;
    return p.bytes();
}

INSTANTIATE_TEST_SUITE_P(
    Batches, SerialFraming,
    testing::Values(
        SerialCase{"SteadyStatePacket",
                   {{0x0A, 0x2B, 0x30, 0x35, 0x39, 0x39, 0x20, 0x32, 0, 0, 0, 0, 0, 0x0D}},
                   {"2B30353939203200000000000D"},
                   0},
        SerialCase{"SignByteSpaceIsNotAFrame", {concat({kLf, withSign(0x20)})}, {}, 1},
        SerialCase{"TwelveBytePacketPassesTheSecondTest",
                   {concat({kLf, shortPacket()})},
                   {toHex(shortPacket())},
                   0},
        SerialCase{"TwoPacketsInOneBatchInOrder",
                   {concat({kLf, Packet{}.bytes(), kLf, minusPacket().bytes(), kLf})},
                   {Packet{}.hex(), minusPacket().hex()},
                   0},
        SerialCase{"PacketSplitOverBatches",
                   {{0x0A, 0x2B, 0x30, 0x35}, {0x39, 0x39, 0x20, 0x32, 0, 0, 0}, {0, 0, 0x0D}},
                   {"2B30353939203200000000000D"},
                   0},
        SerialCase{"FirstPacketWithoutLeadingLineFeedIsLost",
                   {concat({Packet{}.bytes(), kLf, Packet{}.bytes()})},
                   {Packet{}.hex()},
                   1},
        SerialCase{"CarriageReturnInsideDataSplitsIntoTwoBadFrames",
                   {concat({kLf, withCrInside(), kLf, Packet{}.bytes()})},
                   {Packet{}.hex()},
                   2},
        SerialCase{"LoneCarriageReturn", {{0x0D}}, {}, 1}),
    [](const testing::TestParamInfo<SerialCase>& row) { return std::string(row.param.name); });

TEST(SerialFramingBound, LongStreamWithoutCarriageReturnStaysBoundedAndRecovers) {
    RecordingPackets sink;
    FrameAssembler frames(&sink);
    const Bytes noise(10000, 0x30);
    for (int i = 0; i < 10; ++i) {
        frames.RECEIVE_COM_Data(noise.data(), static_cast<std::int32_t>(noise.size()));
        EXPECT_LE(frames.FrameAccumulator().size(), FrameAssembler::kMaxFrameAccumulator);
    }
    EXPECT_GT(frames.stats().overflowResets, 0U);
    EXPECT_TRUE(sink.frames.empty());

    // The first carriage return ends the garbage; the packet after it decodes.
    const Bytes next = concat({kLf, Packet{}.bytes(), kLf, minusPacket().bytes()});
    frames.RECEIVE_COM_Data(next.data(), static_cast<std::int32_t>(next.size()));
    EXPECT_THAT(sink.frames, testing::ElementsAre(minusPacket().hex()));
    EXPECT_EQ(frames.stats().failedCheck, 1U);
}

TEST(SerialFramingBound, LineFeedAtTheBoundStillLinesUpThePacket) {
    RecordingPackets sink;
    FrameAssembler frames(&sink);
    // Fill the accumulator exactly to its bound, the line feed last.
    Bytes stream(FrameAssembler::kMaxFrameAccumulator / 2 - 1, 0x30);
    stream = concat({stream, kLf, Packet{}.bytes()});
    frames.RECEIVE_COM_Data(stream.data(), static_cast<std::int32_t>(stream.size()));
    EXPECT_EQ(frames.stats().overflowResets, 1U);
    EXPECT_THAT(sink.frames, testing::ElementsAre(Packet{}.hex()));
}

TEST(SerialFramingBound, ValidTrafficNeverHitsTheBound) {
    RecordingPackets sink;
    FrameAssembler frames(&sink);
    Bytes stream = kLf;
    for (int i = 0; i < 50; ++i)
        stream = concat({stream, Packet{}.bytes(), kLf});
    frames.RECEIVE_COM_Data(stream.data(), static_cast<std::int32_t>(stream.size()));
    EXPECT_EQ(sink.frames.size(), 50U);
    EXPECT_EQ(frames.stats().overflowResets, 0U);
}

TEST(NibbleFraming, ByteWithHighNibbleECutsTheFrameWithoutDecoding) {
    RecordingPackets sink;
    FrameAssembler frames(&sink);
    const Bytes bytes = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                         0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xE0};
    frames.receiveSerial(SerialHandlerKind::RECEIVE_NIBBLE_Data, bytes.data(), 13);
    EXPECT_EQ(frames.FrameAccumulator(), "123456789ABCD");
    frames.receiveSerial(SerialHandlerKind::RECEIVE_NIBBLE_Data, bytes.data() + 13, 1);
    EXPECT_EQ(frames.FrameHex(), "123456789ABCD0");
    EXPECT_EQ(frames.FrameAccumulator(), "");
    EXPECT_TRUE(sink.frames.empty());
}

TEST(SerialDispatch, NoHandlerDropsTheBytes) {
    RecordingPackets sink;
    FrameAssembler frames(&sink);
    const Bytes stream = concat({kLf, Packet{}.bytes()});
    frames.receiveSerial(SerialHandlerKind::None, stream.data(),
                         static_cast<std::int32_t>(stream.size()));
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_EQ(frames.FrameAccumulator(), "");
    frames.receiveSerial(SerialHandlerKind::RECEIVE_COM_Data, stream.data(),
                         static_cast<std::int32_t>(stream.size()));
    EXPECT_EQ(sink.frames.size(), 1U);
}

// ------------------------------------------------------------------------------------- HID

// A cable report: the first data byte counts the payload bytes that follow.
Bytes report(std::uint8_t countByte, const Bytes& payload = {}) {
    Bytes r{countByte};
    r.insert(r.end(), payload.begin(), payload.end());
    return r;
}

Bytes slice(const Bytes& b, std::size_t from, std::size_t n) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from),
                 b.begin() + static_cast<std::ptrdiff_t>(from + n));
}

const Bytes kUsbPacket = concat({Packet{}.bytes(), kLf});  // the line feed travels along
const Bytes kEmpty = report(0x00, {0, 0, 0, 0, 0, 0, 0});

struct HidCase {
    const char* name;
    std::vector<Bytes> reports;
    std::vector<std::string> expectedFrames;
    std::int32_t emptyReports;
    bool packetOpen;
    std::size_t historyLines;
};

void PrintTo(const HidCase& c, std::ostream* os) {
    *os << c.name;
}

class HidFraming : public testing::TestWithParam<HidCase> {};

TEST_P(HidFraming, EndsPacketsAtTheFirstReportWithoutPayload) {
    const HidCase& c = GetParam();
    RecordingPackets sink;
    FrameAssembler frames(&sink);
    std::vector<std::string> history;
    frames.setHistorySink([&](std::string_view line) { history.emplace_back(line); });
    for (const Bytes& r : c.reports) {
        frames.receiveHid(UsbHandlerKind::HidDataQM14, 0, r.data(),
                          static_cast<std::uint16_t>(r.size()));
    }
    EXPECT_EQ(sink.frames, c.expectedFrames);
    EXPECT_EQ(frames.EmptyReportCount(), c.emptyReports);
    EXPECT_EQ(frames.PacketOpen(), c.packetOpen);
    EXPECT_EQ(history.size(), c.historyLines);
}

const std::string kUsbHex = toHex(kUsbPacket);

INSTANTIATE_TEST_SUITE_P(
    Reports, HidFraming,
    testing::Values(
        HidCase{"SplitSevenSevenThenEmpty",
                {report(7, slice(kUsbPacket, 0, 7)), report(7, slice(kUsbPacket, 7, 7)), kEmpty},
                {kUsbHex},
                1,
                false,
                2},
        HidCase{"ThreeEmptyReportsCountThree", {kEmpty, kEmpty, kEmpty}, {}, 3, false, 0},
        HidCase{"PayloadResetsTheEmptyCount",
                {kEmpty, kEmpty, kEmpty, report(7, slice(kUsbPacket, 0, 7))},
                {},
                0,
                true,
                1},
        HidCase{"CountBCountsAsEmptyAndEndsThePacket",
                {report(7, slice(kUsbPacket, 0, 7)), report(7, slice(kUsbPacket, 7, 7)),
                 report(0x0B, {1, 2, 3})},
                {kUsbHex},
                1,
                false,
                2},
        HidCase{"ReportWithoutDataEndsThePacketUncounted",
                {kEmpty, report(7, slice(kUsbPacket, 0, 7)), report(7, slice(kUsbPacket, 7, 7)),
                 Bytes{}},
                {kUsbHex},
                0,
                false,
                2},
        // The second packet is joined to the first; the check and decoder see the first.
        HidCase{"TwoPacketsWithoutEmptyReportBecomeOne",
                {report(7, slice(kUsbPacket, 0, 7)), report(7, slice(kUsbPacket, 7, 7)),
                 report(7, slice(kUsbPacket, 0, 7)), report(7, slice(kUsbPacket, 7, 7)), kEmpty},
                {kUsbHex + kUsbHex},
                1,
                false,
                4},
        // High nibble of the count byte is not part of the count; a count beyond the report's
        // end takes only the bytes that are there.
        HidCase{"CountBeyondTheReportTakesWhatIsThere",
                {report(0xF9, slice(kUsbPacket, 0, 7)), report(7, slice(kUsbPacket, 7, 7)), kEmpty},
                {kUsbHex},
                1,
                false,
                2},
        HidCase{"MisalignedPacketFailsTheCheck",
                {report(6, slice(kUsbPacket, 1, 6)), report(7, slice(kUsbPacket, 7, 7)), kEmpty},
                {},
                1,
                false,
                2}),
    [](const testing::TestParamInfo<HidCase>& row) { return std::string(row.param.name); });

TEST(HidReportText, ShowsReportIdAndEveryDataByteInUpperCase) {
    FrameAssembler frames(nullptr);
    std::vector<std::string> history;
    frames.setHistorySink([&](std::string_view line) { history.emplace_back(line); });
    const Bytes r = {0x03, 0x2B, 0xab, 0x0D};
    frames.HidDataQM14(0x1F, r.data(), static_cast<std::uint16_t>(r.size()));
    EXPECT_EQ(frames.ReportText(), "R 1F  03 2B AB 0D ");
    EXPECT_THAT(history, testing::ElementsAre("R 1F  03 2B AB 0D "));
    EXPECT_EQ(frames.HidAccumulator(), "2BAB0D");

    frames.HidDataQM14(0, nullptr, 0);
    EXPECT_EQ(frames.ReportText(), "R 00  ");
    EXPECT_EQ(frames.HidAccumulator(), "");
    EXPECT_EQ(history.size(), 1U);
}

TEST(HidFramingBound, EndlessPayloadStaysBoundedAndKeepsTheFirstPacket) {
    RecordingPackets sink;
    FrameAssembler frames(&sink);
    const Bytes first = report(7, slice(kUsbPacket, 0, 7));
    const Bytes second = report(7, slice(kUsbPacket, 7, 7));
    for (int i = 0; i < 1000; ++i) {
        frames.HidDataQM14(0, first.data(), static_cast<std::uint16_t>(first.size()));
        frames.HidDataQM14(0, second.data(), static_cast<std::uint16_t>(second.size()));
        ASSERT_LE(frames.HidAccumulator().size(), FrameAssembler::kMaxHidAccumulator);
    }
    EXPECT_EQ(frames.stats().overflowResets, 1U);
    frames.HidDataQM14(0, kEmpty.data(), static_cast<std::uint16_t>(kEmpty.size()));
    ASSERT_EQ(sink.frames.size(), 1U);
    EXPECT_EQ(sink.frames[0].substr(0, 28), kUsbHex);

    // The next packet is framed normally.
    frames.HidDataQM14(0, first.data(), static_cast<std::uint16_t>(first.size()));
    frames.HidDataQM14(0, second.data(), static_cast<std::uint16_t>(second.size()));
    frames.HidDataQM14(0, kEmpty.data(), static_cast<std::uint16_t>(kEmpty.size()));
    EXPECT_THAT(sink.frames, testing::ElementsAre(testing::_, kUsbHex));
}

struct NibbleHidCase {
    const char* name;
    UsbHandlerKind handler;
    std::string expected;
};

void PrintTo(const NibbleHidCase& c, std::ostream* os) {
    *os << c.name;
}

class HidNibbleEndSteps : public testing::TestWithParam<NibbleHidCase> {};

TEST_P(HidNibbleEndSteps, TakeTheLowNibblesAndCallNoDecoder) {
    RecordingPackets sink;
    FrameAssembler frames(&sink);
    // Fourteen bytes whose high nibble is the position and whose low nibble is data.
    const Bytes bytes = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                         0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xE0};
    const Bytes a = report(7, slice(bytes, 0, 7));
    const Bytes b = report(7, slice(bytes, 7, 7));
    for (const Bytes* r : {&a, &b, &kEmpty}) {
        frames.receiveHid(GetParam().handler, 0, r->data(), static_cast<std::uint16_t>(r->size()));
    }
    EXPECT_EQ(frames.FrameHex(), GetParam().expected);
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_EQ(frames.HidAccumulator(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Models, HidNibbleEndSteps,
    testing::Values(NibbleHidCase{"QM28", UsbHandlerKind::HidDataQM28, "123456789ABCD0"},
                    NibbleHidCase{"QM32EleventhNibbleFirst", UsbHandlerKind::HidDataQM32,
                                  "B123456789A"}),
    [](const testing::TestParamInfo<NibbleHidCase>& row) { return std::string(row.param.name); });

TEST(HidDispatch, NoHandlerDropsTheReport) {
    FrameAssembler frames(nullptr);
    const Bytes r = report(7, slice(kUsbPacket, 0, 7));
    frames.receiveHid(UsbHandlerKind::None, 0, r.data(), static_cast<std::uint16_t>(r.size()));
    EXPECT_FALSE(frames.PacketOpen());
    EXPECT_EQ(frames.HidAccumulator(), "");
}

}  // namespace
