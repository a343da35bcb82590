#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "sim/sim_packet.h"
#include "sim/sim_scenario.h"

namespace {

using A = Annunciator;

std::vector<int> bytesOf(const MeterPacket& p) {
    return {p.begin(), p.end()};
}

struct EncodeCase {
    const char* name;
    MeterDisplay display;
    std::vector<int> bytes;
    std::string text;
};
void PrintTo(const EncodeCase& c, std::ostream* os) {
    *os << c.name;
}

class SimPacketEncode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(SimPacketEncode, GivesTheMeterBytesAndDisplayText) {
    const EncodeCase& c = GetParam();
    EXPECT_EQ(bytesOf(encodePacket(c.display)), c.bytes);
    EXPECT_EQ(displayValueText(c.display, '.'), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Displays, SimPacketEncode,
    ::testing::Values(
        EncodeCase{
            "DcAutoVoltPoint2",
            {false, false, 599, 2, annunciators({A::AutoRange, A::Dc, A::Volt})},
            {0x2B, 0x30, 0x35, 0x39, 0x39, 0x20, 0x32, 0x30, 0x00, 0x00, 0x80, 0x00, 0x0D, 0x0A},
            "05.99"},
        EncodeCase{
            "NegativePoint3",
            {true, false, 1234, 3, annunciators({A::Hold, A::Relative})},
            {0x2D, 0x31, 0x32, 0x33, 0x34, 0x20, 0x34, 0x06, 0x00, 0x00, 0x00, 0x00, 0x0D, 0x0A},
            "-123.4"},
        EncodeCase{
            "OverloadPoint1",
            {false, true, 0, 1, annunciators({A::Ohm, A::Mega})},
            {0x2B, 0x3F, 0x30, 0x3A, 0x3F, 0x20, 0x31, 0x00, 0x00, 0x10, 0x20, 0x00, 0x0D, 0x0A},
            ".0L"},
        // Every status bit of bytes 9 to 11 the meter uses, and none of the others.
        EncodeCase{
            "AllOtherFlags",
            {false, false, 0, 0,
             annunciators({A::Max, A::Min, A::Battery, A::Nano, A::Micro, A::Milli, A::Kilo,
                           A::Mega, A::Continuity, A::Diode, A::Percent, A::Volt, A::Ampere, A::Ohm,
                           A::Hertz, A::Farad, A::Celsius, A::Fahrenheit})},
            {0x2B, 0x30, 0x30, 0x30, 0x30, 0x20, 0x30, 0x00, 0x36, 0xFE, 0xEF, 0x00, 0x0D, 0x0A},
            "0000"},
        EncodeCase{
            "CountAboveFourDigitsIsClamped",
            {false, false, 123456, 0, {}},
            {0x2B, 0x39, 0x39, 0x39, 0x39, 0x20, 0x30, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0D, 0x0A},
            "9999"}),
    [](const ::testing::TestParamInfo<EncodeCase>& param) { return param.param.name; });

TEST(SimPacketHid, CutsThePacketIntoCountedReportsAndEndsItWithEmptyOnes) {
    const MeterPacket packet =
        encodePacket({false, false, 599, 2, annunciators({A::AutoRange, A::Dc, A::Volt})});
    const int sizes[] = {2, 0, 9};  // 0 and 9 are clamped to 1 and 7; then 7 until done
    std::string lines;
    appendHidReportLines(packet, sizes, 2, lines);
    EXPECT_EQ(lines,
              "00 F2 2B 30 00 00 00 00 00\n"
              "00 F1 35 00 00 00 00 00 00\n"
              "00 F7 39 39 20 32 30 00 00\n"
              "00 F4 80 00 0D 0A 00 00 00\n"
              "00 F0 00 00 00 00 00 00 00\n"
              "00 F0 00 00 00 00 00 00 00\n");
}

TEST(SimScenario, WalksEveryFunctionRangeKindAndAnnunciator) {
    AnnunciatorSet used;
    std::set<std::string_view> functions, units;
    std::set<int> points;
    bool overload = false, negative = false;
    for (const SimStep& step : simScenario()) {
        used |= step.flags;
        functions.insert(step.function);
        units.insert(step.unit);
        points.insert(step.point);
        overload = overload || step.overload;
        negative = negative || step.value < 0;
    }
    EXPECT_TRUE(used.all()) << used;
    EXPECT_EQ(functions, (std::set<std::string_view>{"DC", "AC", "Diode", "OHM", "CAP", "TMP",
                                                     "Freq", "DutyCycle"}));
    EXPECT_EQ(units, (std::set<std::string_view>{"V", "mV", "A", "mA", "uA", "*", "k*", "M*", "nF",
                                                 "uF", "Hz", "kHz", "MHz", "%", "#", "?"}));
    EXPECT_EQ(points, (std::set<int>{0, 1, 2, 3}));
    EXPECT_TRUE(overload);
    EXPECT_TRUE(negative);
}

TEST(SimScenario, SameSeedSamePacketsAndSplitsOtherSeedOtherWander) {
    MeterSimulator a(42), b(42), c(43);
    bool differs = false;
    for (int i = 0; i < 40; ++i) {
        const SimPacket pa = a.next(), pb = b.next(), pc = c.next();
        ASSERT_EQ(pa.bytes, pb.bytes) << i;
        ASSERT_EQ(a.hidReportLines(pa), b.hidReportLines(pb)) << i;
        EXPECT_EQ(pa.step, pc.step) << i;  // the walk itself does not depend on the seed
        differs = differs || pa.bytes != pc.bytes;
    }
    EXPECT_TRUE(differs);
}

}  // namespace
