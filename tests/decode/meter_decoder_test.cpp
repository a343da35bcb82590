#include "decode/meter_decoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "packets.h"

namespace {

using namespace testpkt;
using E = LcdElement;

class DecoderFixture {
public:
    explicit DecoderFixture(const std::string& separator = ".") { setSeparator(separator); }
    void setSeparator(const std::string& separator) {
        locale.userSeparator = separator;
        locale.numberFormat.decimalSeparator = separator[0];
    }
    bool decode(const Packet& p) { return decoder.LcdDisplayQM14(p.hex()); }

    FixedLocale locale;
    TModelProfile profile = buildModelProfile(kBuildModelFlags);
    LimitComparator limits{locale};
    RecordingSink sink;
    MeterDecoder decoder{profile, limits, sink};
};

// Always visible after a decoded packet: the digits, the activity picture, the lit link.
const std::vector<LcdElement> kAlwaysShown = {E::LcdDa, E::LcdDb,   E::LcdDc,
                                              E::LcdDd, E::LCDsend, E::CONok};

std::bitset<kLcdElementCount> visibleSet(const std::vector<LcdElement>& shown) {
    std::bitset<kLcdElementCount> set;
    for (LcdElement e : kAlwaysShown)
        set.set(static_cast<std::size_t>(e));
    for (LcdElement e : shown)
        set.set(static_cast<std::size_t>(e));
    return set;
}

std::string names(const std::bitset<kLcdElementCount>& set) {
    std::string s;
    for (std::size_t i = 0; i < kLcdElementCount; ++i) {
        if (set.test(i)) s.append(lcdElementName(static_cast<LcdElement>(i))).append(" ");
    }
    return s;
}

Packet make(std::initializer_list<int> flags, std::uint8_t point = '2',
            std::array<std::uint8_t, 4> digits = {'0', '5', '9', '9'}, std::uint8_t sign = '+') {
    Packet p;
    p.sign = sign;
    p.digits = digits;
    p.point = point;
    p.with(flags);
    return p;
}

struct DecodeCase {
    const char* name;
    Packet packet;
    const char* separator;
    const char* value;
    const char* function;
    const char* unit;
    const char* rangeMode;
    double rawCount;
    std::array<const char*, 4> digits;
    std::vector<LcdElement> shown;  // beyond the digits, LCDsend and CONok
};

void PrintTo(const DecodeCase& c, std::ostream* os) {
    *os << c.name;
}

class DecodePacket : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodePacket, ProducesReadingAndPanel) {
    const DecodeCase& c = GetParam();
    DecoderFixture f(c.separator);
    ASSERT_TRUE(f.decode(c.packet));
    const TMeterReading& r = f.decoder.reading();
    EXPECT_EQ(r.ValueText, c.value);
    EXPECT_EQ(r.FunctionText, c.function);
    EXPECT_EQ(r.UnitText, c.unit);
    EXPECT_EQ(r.RangeModeText, c.rangeMode);
    EXPECT_EQ(f.decoder.RawCount(), c.rawCount);
    const LcdPanelState& panel = f.decoder.panel();
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(panel.digits[i], c.digits[i]) << "digit " << i;
    EXPECT_EQ(names(panel.visible), names(visibleSet(c.shown)));
    EXPECT_EQ(panel.MaxTextU, c.unit);
    EXPECT_EQ(panel.MinTextU, c.unit);
    ASSERT_EQ(f.sink.decoded.size(), 1U);
    EXPECT_EQ(f.sink.decoded[0].reading.ValueText, c.value);
}

const std::array<const char*, 4> k0599 = {"0", "5", "9", "9"};
const std::array<const char*, 4> kOverload = {"", "0", "@", ""};
constexpr std::array<std::uint8_t, 4> kOverloadDigits = {0x3F, 0x30, 0x3A, 0x3F};

INSTANTIATE_TEST_SUITE_P(
    Packets, DecodePacket,
    testing::Values(DecodeCase{"DcVoltAuto",
                               make({Dc, Auto, Volt}),
                               ".",
                               "05.99",
                               "DC",
                               "V",
                               "AUTO",
                               599,
                               k0599,
                               {E::LcdP2, E::LcdDc1, E::LcdAuto, E::LcdV}},
                    DecodeCase{"MinusSign",
                               make({Dc, Auto, Volt}, '2', {'0', '5', '9', '9'}, '-'),
                               ".",
                               "-05.99",
                               "DC",
                               "V",
                               "AUTO",
                               -599,
                               k0599,
                               {E::LcdP2, E::LcdDc1, E::LcdAuto, E::LcdV, E::LcdFH}},
                    DecodeCase{"CommaLocale",
                               make({Dc, Auto, Volt}),
                               ",",
                               "05,99",
                               "DC",
                               "V",
                               "AUTO",
                               599,
                               k0599,
                               {E::LcdP2, E::LcdDc1, E::LcdAuto, E::LcdV}},
                    DecodeCase{"Overload",
                               make({Dc, Volt}, '2', kOverloadDigits),
                               ".",
                               "0.L",
                               "DC",
                               "V",
                               "MANU",
                               6001,
                               kOverload,
                               {E::LcdP2, E::LcdDc1, E::LcdV}},
                    DecodeCase{"OverloadMinusKeepsTheTextUnsigned",
                               make({Dc, Volt}, '2', kOverloadDigits, '-'),
                               ".",
                               "0.L",
                               "DC",
                               "V",
                               "MANU",
                               -6001,
                               kOverload,
                               {E::LcdP2, E::LcdDc1, E::LcdV, E::LcdFH}},
                    DecodeCase{"OhmKilo",
                               make({Ohm, Kilo}, '1', {'1', '2', '3', '4'}),
                               ".",
                               "1.234",
                               "OHM",
                               "k*",
                               "MANU",
                               1234,
                               {"1", "2", "3", "4"},
                               {E::LcdP1, E::LCDohm, E::LCDk}},
                    DecodeCase{"OhmMega",
                               make({Ohm, Mega}, '4'),
                               ".",
                               "059.9",
                               "OHM",
                               "M*",
                               "MANU",
                               599,
                               k0599,
                               {E::LcdP3, E::LCDohm, E::LCDM1}},
                    DecodeCase{"AcAndDcBothShownDcWins",
                               make({Ac, Dc, Volt}),
                               ".",
                               "05.99",
                               "DC",
                               "V",
                               "MANU",
                               599,
                               k0599,
                               {E::LcdP2, E::LcdAC, E::LcdDc1, E::LcdV}},
                    DecodeCase{"DiodeWithDc",
                               make({Diode, Dc}),
                               ".",
                               "05.99",
                               "DC",
                               "V",
                               "MANU",
                               599,
                               k0599,
                               {E::LcdP2, E::LCDDI, E::LcdV, E::LcdDc1}},
                    DecodeCase{"DiodeAlone",
                               make({Diode}),
                               ".",
                               "05.99",
                               "Diode",
                               "V",
                               "MANU",
                               599,
                               k0599,
                               {E::LcdP2, E::LCDDI, E::LcdV}},
                    DecodeCase{"ContinuityWithOhmEndsAsOhm",
                               make({Ctn, Ohm}),
                               ".",
                               "05.99",
                               "OHM",
                               "*",
                               "MANU",
                               599,
                               k0599,
                               {E::LcdP2, E::LCDFm, E::LCDohm}},
                    DecodeCase{"ContinuityAlone",
                               make({Ctn}),
                               ".",
                               "05.99",
                               "CTN",
                               "",
                               "MANU",
                               599,
                               k0599,
                               {E::LcdP2, E::LCDFm}},
                    DecodeCase{"Celsius",
                               make({Celsius}, '0', {'0', '0', '2', '3'}),
                               ".",
                               "0023",
                               "TMP",
                               "#",
                               "MANU",
                               23,
                               {"0", "0", "2", "3"},
                               {E::LCDCS}},
                    DecodeCase{"Fahrenheit",
                               make({Fahrenheit}, '0'),
                               ".",
                               "0599",
                               "TMP",
                               "?",
                               "MANU",
                               599,
                               k0599,
                               {E::LCDFS}},
                    DecodeCase{"PointCode3LightsNoPoint",
                               make({Dc, Volt}, '3'),
                               ".",
                               "0599",
                               "DC",
                               "V",
                               "MANU",
                               599,
                               k0599,
                               {E::LcdDc1, E::LcdV}},
                    DecodeCase{"MilliVolt",
                               make({Dc, Volt, Milli}, '4'),
                               ".",
                               "059.9",
                               "DC",
                               "mV",
                               "MANU",
                               599,
                               k0599,
                               {E::LcdP3, E::LcdDc1, E::LcdV, E::Lcdm}},
                    DecodeCase{"AcMicroAmpere",
                               make({Ac, Amp, Micro}, '4'),
                               ".",
                               "059.9",
                               "AC",
                               "uA",
                               "MANU",
                               599,
                               k0599,
                               {E::LcdP3, E::LcdAC, E::LCDA, E::LCDu}},
                    DecodeCase{"NanoFarad",
                               make({Farad, Nano}, '1'),
                               ".",
                               "0.599",
                               "CAP",
                               "nF",
                               "MANU",
                               599,
                               k0599,
                               {E::LcdP1, E::LCDF, E::LCDn}},
                    DecodeCase{"KiloHertz",
                               make({Hz, Kilo, Auto}, '2'),
                               ".",
                               "05.99",
                               "Freq",
                               "kHz",
                               "AUTO",
                               599,
                               k0599,
                               {E::LcdP2, E::LCDHz, E::LCDk, E::LcdAuto}},
                    DecodeCase{"DutyCycle",
                               make({Percent}, '4'),
                               ".",
                               "059.9",
                               "DutyCycle",
                               "%",
                               "MANU",
                               599,
                               k0599,
                               {E::LcdP3, E::LCDBF}},
                    DecodeCase{"StateAnnunciators",
                               make({Hold, Rel, Max, Min, Batt}, '0'),
                               ".",
                               "0599",
                               "",
                               "",
                               "MANU",
                               599,
                               k0599,
                               {E::LCDHold, E::LCDREL, E::Labmax, E::Labmin, E::LCDBATT}}),
    [](const testing::TestParamInfo<DecodeCase>& row) { return std::string(row.param.name); });

// The function and unit texts that the grid and the files must hold are these lists: every
// combination of the flags that choose them, with no prefix or one of the prefixes (a second
// prefix only overrides the first), gives a listed text, and every listed text occurs.
TEST(DecodeTexts, FunctionAndUnitTextsAreTheListedOnes) {
    const std::vector<int> flags = {Dc,  Ac,    Diode,   Ctn,        Ohm, Volt,
                                    Amp, Farad, Celsius, Fahrenheit, Hz,  Percent};
    std::set<std::string> functions, units;
    DecoderFixture f;
    for (std::uint32_t bits = 0; bits < (1U << flags.size()); ++bits) {
        for (const int prefix : {0, int{Nano}, int{Micro}, int{Milli}, int{Kilo}, int{Mega}}) {
            Packet p = make({});
            if (prefix != 0) p.with({prefix});
            for (std::size_t i = 0; i < flags.size(); ++i) {
                if ((bits >> i) & 1U) p.with({flags[i]});
            }
            ASSERT_TRUE(f.decode(p));
            functions.insert(f.decoder.reading().FunctionText);
            units.insert(f.decoder.reading().UnitText);
        }
    }
    std::set<std::string> listedFunctions = {""}, listedUnits = {""};
    listedFunctions.insert(kFunctionTexts.begin(), kFunctionTexts.end());
    listedUnits.insert(kUnitTexts.begin(), kUnitTexts.end());
    EXPECT_EQ(functions, listedFunctions);
    EXPECT_EQ(units, listedUnits);
}

// Every driven element is set from the packet alone: after any earlier packet the panel's
// visibility equals that of a fresh decoder fed only the last packet.
TEST(DecodePanel, VisibilityDependsOnlyOnTheLastPacket) {
    const std::vector<Packet> packets = {
        make({Dc, Auto, Volt}),
        make({Ohm, Kilo}, '1'),
        make({Ac, Amp, Micro}, '4'),
        make({Hold, Rel, Max, Min, Batt, Diode}, '0'),
        make({Celsius}, '0', kOverloadDigits, '-'),
        make({}, '3'),
    };
    for (const Packet& before : packets) {
        for (const Packet& last : packets) {
            DecoderFixture history;
            DecoderFixture fresh;
            history.decode(before);
            history.decode(last);
            fresh.decode(last);
            EXPECT_EQ(names(history.decoder.panel().visible), names(fresh.decoder.panel().visible))
                << "before " << before.hex() << " last " << last.hex();
            EXPECT_EQ(history.decoder.panel().digits, fresh.decoder.panel().digits);
        }
    }
}

TEST(DecodePanel, StartsAsTheModelSaysAndLightsTheLinkPerPacket) {
    DecoderFixture f;
    const LcdPanelState& panel = f.decoder.panel();
    EXPECT_TRUE(panel.isVisible(E::LcdFH));
    EXPECT_TRUE(panel.isVisible(E::CONokN));
    EXPECT_FALSE(panel.isVisible(E::CONok));
    EXPECT_FALSE(panel.isVisible(E::LCDsend));
    EXPECT_EQ(panel.MinText, "6001");
    EXPECT_EQ(panel.MaxText, "-6001");

    // Two ticks pass quietly; the third darkens the link picture.
    EXPECT_FALSE(f.decoder.ConTimerTick());
    ASSERT_TRUE(f.decode(make({Dc, Volt})));
    EXPECT_EQ(f.decoder.PacketTimeoutTicks(), 0);
    EXPECT_TRUE(panel.isVisible(E::CONok));
    EXPECT_FALSE(panel.isVisible(E::CONokN));
    EXPECT_FALSE(f.decoder.ConTimerTick());
    EXPECT_FALSE(f.decoder.ConTimerTick());
    EXPECT_TRUE(panel.isVisible(E::CONok));
    EXPECT_TRUE(f.decoder.ConTimerTick());
    EXPECT_FALSE(panel.isVisible(E::CONok));
    EXPECT_TRUE(panel.isVisible(E::CONokN));
    EXPECT_EQ(f.decoder.PacketTimeoutTicks(), 0);
    EXPECT_TRUE(panel.isVisible(E::LCDsend));  // never hidden again
}

// The overload count of a packet uses the full scale that the previous packet's unit left.
struct FullScaleCase {
    const char* name;
    Packet previous;
    double overloadCount;
};

void PrintTo(const FullScaleCase& c, std::ostream* os) {
    *os << c.name;
}

class FullScaleRule : public testing::TestWithParam<FullScaleCase> {};

TEST_P(FullScaleRule, NextOverloadCountFollowsThePreviousUnit) {
    DecoderFixture f;
    ASSERT_TRUE(f.decode(GetParam().previous));
    ASSERT_TRUE(f.decode(make({Dc, Volt}, '2', kOverloadDigits, '-')));
    EXPECT_EQ(f.decoder.RawCount(), -GetParam().overloadCount);
    EXPECT_EQ(f.profile.FullScale, 6000);
}

INSTANTIATE_TEST_SUITE_P(Units, FullScaleRule,
                         testing::Values(FullScaleCase{"Celsius", make({Celsius}), 1001},
                                         FullScaleCase{"Hertz", make({Hz}), 1001},
                                         FullScaleCase{"KiloHertz", make({Hz, Kilo}), 1001},
                                         FullScaleCase{"MegaHertz", make({Hz, Mega}), 1001},
                                         FullScaleCase{"Percent", make({Percent}), 101},
                                         FullScaleCase{"Fahrenheit", make({Fahrenheit}), 6001},
                                         FullScaleCase{"Volt", make({Dc, Volt}), 6001}),
                         [](const testing::TestParamInfo<FullScaleCase>& row) {
                             return std::string(row.param.name);
                         });

// ---------------------------------------------------------------------------- MAX/MIN tracking

struct TrackStep {
    Packet packet;
    const char* max;
    const char* min;
    int restarts;  // restartSeries calls made by this packet
};

struct TrackCase {
    const char* name;
    std::vector<TrackStep> steps;
};

void PrintTo(const TrackCase& c, std::ostream* os) {
    *os << c.name;
}

class Tracking : public testing::TestWithParam<TrackCase> {};

TEST_P(Tracking, MaxAndMinTextsFollowTheContext) {
    DecoderFixture f;
    int step = 0;
    for (const TrackStep& s : GetParam().steps) {
        const int before = f.sink.restarts;
        ASSERT_TRUE(f.decode(s.packet));
        EXPECT_EQ(f.decoder.panel().MaxText, s.max) << "step " << step;
        EXPECT_EQ(f.decoder.panel().MinText, s.min) << "step " << step;
        EXPECT_EQ(f.sink.restarts - before, s.restarts) << "step " << step;
        ++step;
    }
}

Packet volts(std::array<std::uint8_t, 4> digits, std::uint8_t point = '2') {
    return make({Dc, Volt}, point, digits);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Tracking,
    testing::Values(
        TrackCase{"FirstPacketWithoutPointIsMaxAndMinAtOnce",
                  {{volts({'0', '5', '9', '9'}, '0'), "0599", "0599", 1}}},
        TrackCase{"FirstPacketWithPointWaitsOnePacket",
                  {{volts({'0', '5', '9', '9'}), "", "", 2},
                   {volts({'0', '6', '0', '0'}), "06.00", "06.00", 0}}},
        TrackCase{"WithinOneContextEveryReadingIsTracked",
                  {{volts({'0', '5', '9', '9'}), "", "", 2},
                   {volts({'0', '6', '0', '0'}), "06.00", "06.00", 0},
                   {volts({'0', '7', '0', '0'}), "07.00", "06.00", 0},
                   {volts({'0', '5', '0', '0'}), "07.00", "05.00", 0},
                   {make({Dc, Volt}, '2', {'0', '5', '0', '0'}, '-'), "07.00", "-05.00", 0}}},
        TrackCase{"PointChangeKeepsOldTextsForOnePacket",
                  {{volts({'0', '5', '9', '9'}), "", "", 2},
                   {volts({'0', '6', '0', '0'}), "06.00", "06.00", 0},
                   {volts({'0', '6', '0', '0'}, '4'), "06.00", "06.00", 2},
                   {volts({'0', '6', '1', '0'}, '4'), "061.0", "061.0", 0}}},
        // 32.77 Hz and 32.77 kHz share count and point but not their unit.
        TrackCase{"HertzToKiloHertzIsANewContext",
                  {{make({Hz}, '2', {'3', '2', '7', '7'}), "", "", 2},
                   {make({Hz}, '2', {'3', '2', '7', '7'}), "32.77", "32.77", 0},
                   {make({Hz, Kilo}, '2', {'3', '2', '7', '7'}), "32.77", "32.77", 1},
                   {make({Hz, Kilo}, '2', {'0', '1', '0', '0'}), "32.77", "01.00", 0}}},
        TrackCase{"UnitChangeWithSamePointRestartsOnce",
                  {{volts({'0', '5', '9', '9'}), "", "", 2},
                   {volts({'0', '6', '0', '0'}), "06.00", "06.00", 0},
                   {make({Dc, Volt, Milli}, '2'), "05.99", "05.99", 1}}},
        // After a duty-cycle packet the full scale is 100; a new context must still take its
        // first reading as both extremes instead of keeping the old unit's MIN.
        TrackCase{"NewContextAfterSmallFullScaleTakesBothExtremes",
                  {{make({Percent}, '4'), "", "", 2},
                   {make({Percent}, '4', {'0', '5', '0', '0'}), "050.0", "050.0", 0},
                   {make({Dc, Volt}, '4'), "059.9", "059.9", 1},
                   {make({Dc, Volt}, '4', {'0', '6', '0', '0'}), "060.0", "059.9", 0}}},
        // An overload counts one beyond full scale; as the first reading of a context it is
        // still both extremes, whichever its sign.
        TrackCase{"OverloadFirstInContextTakesBothExtremes",
                  {{make({Dc, Volt}, '0', kOverloadDigits), "0L", "0L", 1}}},
        TrackCase{"MinusOverloadFirstInContextTakesBothExtremes",
                  {{make({Dc, Volt}, '0', kOverloadDigits, '-'), "0L", "0L", 1}}}),
    [](const testing::TestParamInfo<TrackCase>& row) { return std::string(row.param.name); });

// ------------------------------------------------------------------- range, verdict, hand-over

TEST(DecodeHandOver, ScalesSetsTheAxisJudgesAndHandsOverLast) {
    DecoderFixture f;
    ASSERT_TRUE(f.decode(make({Dc, Auto, Volt})));
    EXPECT_THAT(f.sink.axisRanges, testing::ElementsAre(std::pair{-60.0, 60.0}));
    ASSERT_EQ(f.sink.decoded.size(), 1U);
    EXPECT_EQ(f.sink.decoded[0].reading.NumericValue, 5.99);
    EXPECT_EQ(f.sink.decoded[0].leftAxisMaximum, 60.0);
    EXPECT_EQ(f.sink.decoded[0].reading.JudgeText, "pass");

    // Frequency without a point matches no range: the axis keeps its limits.
    ASSERT_TRUE(f.decode(make({Hz}, '0')));
    EXPECT_EQ(f.sink.axisRanges.size(), 1U);
    EXPECT_EQ(f.sink.decoded[1].leftAxisMaximum, 60.0);
    EXPECT_EQ(f.sink.decoded[1].reading.NumericValue, 599.0);
    EXPECT_EQ(f.decoder.leftAxisMinimum(), -60.0);

    f.limits.highText = "5";
    f.limits.lowText = "-5";
    ASSERT_TRUE(f.decode(make({Dc, Volt})));
    EXPECT_EQ(f.sink.decoded[2].reading.JudgeText, "Fail");
    f.limits.highText = "-";  // not a number: the verdict stays
    ASSERT_TRUE(f.decode(make({Dc, Volt}, '2', {'0', '0', '0', '1'})));
    EXPECT_EQ(f.sink.decoded[3].reading.JudgeText, "Fail");
    EXPECT_EQ(f.limits.verdict(), Verdict::Fail);
}

// A frequency reading keeps the prefix its range shows, so that NumericValue is in the unit of
// UnitText; the range rows still tell the ranges apart by the kilo and mega flags.
struct FrequencyCase {
    const char* name;
    Packet packet;
    const char* unit;
    const char* value;
    double numeric;
    double axis;
};

void PrintTo(const FrequencyCase& c, std::ostream* os) {
    *os << c.name;
}

class FrequencyRange : public testing::TestWithParam<FrequencyCase> {};

TEST_P(FrequencyRange, UnitValueNumberAndAxisAgree) {
    const FrequencyCase& c = GetParam();
    DecoderFixture f;
    ASSERT_TRUE(f.decode(c.packet));
    const TMeterReading& r = f.decoder.reading();
    EXPECT_EQ(r.FunctionText, "Freq");
    EXPECT_EQ(r.UnitText, c.unit);
    EXPECT_EQ(r.ValueText, c.value);
    EXPECT_DOUBLE_EQ(r.NumericValue, c.numeric);
    EXPECT_THAT(f.sink.axisRanges, testing::ElementsAre(std::pair{-c.axis, c.axis}));
    EXPECT_EQ(f.decoder.panel().MaxTextU, c.unit);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, FrequencyRange,
    testing::Values(
        FrequencyCase{"Hertz10", make({Hz}, '1', {'5', '0', '0', '0'}), "Hz", "5.000", 5.0, 10},
        FrequencyCase{"Hertz100", make({Hz}, '2', {'3', '2', '7', '7'}), "Hz", "32.77", 32.77, 100},
        FrequencyCase{"Hertz1000", make({Hz}, '4', {'4', '4', '0', '0'}), "Hz", "440.0", 440.0,
                      1000},
        FrequencyCase{"KiloHertz10", make({Hz, Kilo}, '1', {'1', '2', '3', '4'}), "kHz", "1.234",
                      1.234, 10},
        FrequencyCase{"KiloHertz100", make({Hz, Kilo, Auto}, '2', {'3', '2', '7', '7'}), "kHz",
                      "32.77", 32.77, 100},
        FrequencyCase{"KiloHertz1000", make({Hz, Kilo}, '4', {'5', '0', '0', '0'}), "kHz", "500.0",
                      500.0, 1000},
        FrequencyCase{"MegaHertz10", make({Hz, Mega}, '1', {'1', '2', '3', '4'}), "MHz", "1.234",
                      1.234, 10}),
    [](const testing::TestParamInfo<FrequencyCase>& row) { return std::string(row.param.name); });

TEST(DecodeHandOver, AdaptsTheLimitTextsToTheLocaleFirst) {
    DecoderFixture f(",");
    f.limits.highText = "1.5";
    ASSERT_TRUE(f.decode(make({Dc, Volt}, '1', {'1', '4', '0', '0'})));
    EXPECT_EQ(f.limits.highText, "1,5");
    EXPECT_EQ(f.decoder.reading().ValueText, "1,400");
    EXPECT_EQ(f.decoder.reading().JudgeText, "pass");
}

// ------------------------------------------------------------------------- rejected packets

struct RejectCase {
    const char* name;
    std::string frameHex;
};

void PrintTo(const RejectCase& c, std::ostream* os) {
    *os << c.name;
}

class RejectPacket : public testing::TestWithParam<RejectCase> {};

TEST_P(RejectPacket, LeavesEverythingAsItWasAndTheNextPacketDecodes) {
    DecoderFixture f(",");
    ASSERT_TRUE(f.decode(make({Dc, Auto, Volt})));
    f.decoder.ConTimerTick();
    f.decoder.ConTimerTick();
    f.decoder.ConTimerTick();  // link dark
    f.decoder.ConTimerTick();
    f.limits.highText = "7.5";
    const LcdPanelState panel = f.decoder.panel();
    const TMeterReading reading = f.decoder.reading();
    const std::size_t calls = f.sink.calls();

    EXPECT_FALSE(f.decoder.LcdDisplayQM14(GetParam().frameHex));
    EXPECT_EQ(f.decoder.rejectedCount(), 1U);
    EXPECT_EQ(f.decoder.decodedCount(), 1U);
    EXPECT_TRUE(f.decoder.panel() == panel);
    EXPECT_EQ(f.decoder.reading().ValueText, reading.ValueText);
    EXPECT_EQ(f.decoder.reading().NumericValue, reading.NumericValue);
    EXPECT_EQ(f.sink.calls(), calls);
    EXPECT_EQ(f.limits.highText, "7.5");
    EXPECT_EQ(f.decoder.PacketTimeoutTicks(), 1);
    EXPECT_FALSE(f.decoder.panel().isVisible(E::CONok));

    ASSERT_TRUE(f.decode(make({Dc, Auto, Volt}, '2', {'0', '7', '0', '0'})));
    EXPECT_EQ(f.decoder.reading().ValueText, "07,00");
    EXPECT_EQ(f.decoder.panel().MaxText, "07,00");
    EXPECT_TRUE(f.decoder.panel().isVisible(E::CONok));
}

std::string replaced(std::string hex, std::size_t position, char c) {
    hex[position - 1] = c;
    return hex;
}

const std::string kGood = make({Dc, Auto, Volt}).hex();

INSTANTIATE_TEST_SUITE_P(
    Undecodable, RejectPacket,
    testing::Values(RejectCase{"LetterDigit", make({Dc}, '2', {'0', ':', '9', '9'}).hex()},
                    RejectCase{"LetterLastDigit", make({Dc}, '2', {'0', '5', '9', '?'}).hex()},
                    RejectCase{"PointCodeLetter", make({Dc}, 'J').hex()},
                    RejectCase{"NoSign", make({Dc}, '2', {'0', '5', '9', '9'}, ' ').hex()},
                    RejectCase{"TooShort", kGood.substr(0, 21)},
                    RejectCase{"NotHexInStatus", replaced(kGood, 20, 'G')},
                    RejectCase{"LowerCaseHex", replaced(kGood, 16, 'a')}),
    [](const testing::TestParamInfo<RejectCase>& row) { return std::string(row.param.name); });

TEST(RejectPacket, FromTheSerialStreamDoesNotDisturbTheNextFrame) {
    DecoderFixture f;
    FrameAssembler frames(&f.decoder);
    const Bytes stream = concat({{0x0A},
                                 make({Dc}, '2', {'0', ':', '9', '9'}).bytes(),
                                 {0x0A},
                                 make({Dc, Volt}).bytes(),
                                 {0x0A}});
    frames.RECEIVE_COM_Data(stream.data(), static_cast<std::int32_t>(stream.size()));
    EXPECT_EQ(frames.stats().accepted, 2U);
    EXPECT_EQ(f.decoder.rejectedCount(), 1U);
    ASSERT_EQ(f.sink.decoded.size(), 1U);
    EXPECT_EQ(f.sink.decoded[0].reading.ValueText, "05.99");
}

TEST(DecodeFromUsb, FourteenBytePacketWithLineFeedDecodes) {
    DecoderFixture f;
    FrameAssembler frames(&f.decoder);
    const Bytes packet = concat({make({Ac, Volt}, '0', {'0', '2', '3', '0'}).bytes(), {0x0A}});
    const Bytes a = concat({{0x07}, Bytes(packet.begin(), packet.begin() + 7)});
    const Bytes b = concat({{0x07}, Bytes(packet.begin() + 7, packet.end())});
    const Bytes empty = {0x00};
    for (const Bytes* r : {&a, &b, &empty}) {
        frames.receiveHid(f.profile.UsbHandler, 0, r->data(),
                          static_cast<std::uint16_t>(r->size()));
    }
    ASSERT_EQ(f.sink.decoded.size(), 1U);
    EXPECT_EQ(f.sink.decoded[0].reading.FunctionText, "AC");
    EXPECT_EQ(f.sink.decoded[0].reading.NumericValue, 230.0);
    EXPECT_EQ(f.sink.decoded[0].leftAxisMaximum, 750.0);
}

}  // namespace
