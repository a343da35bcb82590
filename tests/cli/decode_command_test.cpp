#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "cli_process.h"
#include "json_line.h"
#include "sim/sim_scenario.h"

namespace {

using A = Annunciator;

const std::string& text(const JsonObject& o, const char* key) {
    return std::get<std::string>(o.at(key));
}
double number(const JsonObject& o, const char* key) {
    return std::get<double>(o.at(key));
}

/// The panel element that shows each annunciator.
const std::map<A, std::string>& elementOf() {
    static const std::map<A, std::string> kElements = {
        {A::AutoRange, "LcdAuto"}, {A::Dc, "LcdDc1"},        {A::Ac, "LcdAC"},
        {A::Relative, "LCDREL"},   {A::Hold, "LCDHold"},     {A::Max, "Labmax"},
        {A::Min, "Labmin"},        {A::Battery, "LCDBATT"},  {A::Nano, "LCDn"},
        {A::Micro, "LCDu"},        {A::Milli, "Lcdm"},       {A::Kilo, "LCDk"},
        {A::Mega, "LCDM1"},        {A::Continuity, "LCDFm"}, {A::Diode, "LCDDI"},
        {A::Percent, "LCDBF"},     {A::Volt, "LcdV"},        {A::Ampere, "LCDA"},
        {A::Ohm, "LCDohm"},        {A::Hertz, "LCDHz"},      {A::Farad, "LCDF"},
        {A::Celsius, "LCDCS"},     {A::Fahrenheit, "LCDFS"}};
    return kElements;
}

/// The sorted element names a packet of this display should light.
std::vector<std::string> expectedLit(const MeterDisplay& d) {
    std::set<std::string> lit = {"CONok", "LCDsend", "LcdDa", "LcdDb", "LcdDc", "LcdDd"};
    for (const auto& [flag, element] : elementOf()) {
        if (d.flags.test(static_cast<std::size_t>(flag))) lit.insert(element);
    }
    if (d.flags.test(static_cast<std::size_t>(A::Diode))) lit.insert("LcdV");
    if (d.negative) lit.insert("LcdFH");
    if (d.point > 0) lit.insert("LcdP" + std::to_string(d.point));
    return {lit.begin(), lit.end()};
}

enum class Form { Serial, Hid };
void PrintTo(Form form, std::ostream* os) {
    *os << (form == Form::Hid ? "Hid" : "Serial");
}

class SimThroughDecode : public ::testing::TestWithParam<Form> {};

TEST_P(SimThroughDecode, EveryScenarioStepDecodesToWhatTheMeterMeant) {
    const bool hid = GetParam() == Form::Hid;
    constexpr std::uint64_t kSeed = 7;
    const std::size_t packets = simScenario().size() * MeterSimulator::kPacketsPerStep;
    const std::string form = hid ? " --hid" : "";
    const ProcessResult r =
        runShell(shellQuote(kCliPath) + " sim --rate 0 --count " + std::to_string(packets) +
                 " --seed 7" + form + " | " + shellQuote(kCliPath) + " decode" + form);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), packets);

    MeterSimulator simulator(kSeed);
    for (const std::string& line : lines) {
        const SimPacket packet = simulator.next();
        const SimExpectation want = expectationFor(packet);
        SCOPED_TRACE(std::string(packet.step->name) + ": " + line);
        const auto got = parseJsonLine(line);
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(text(*got, "value"), want.value);
        EXPECT_EQ(text(*got, "function"), want.function);
        EXPECT_EQ(text(*got, "unit"), want.unit);
        EXPECT_EQ(text(*got, "range"),
                  packet.display.flags.test(std::size_t(A::AutoRange)) ? "AUTO" : "MANU");
        EXPECT_EQ(std::get<std::vector<std::string>>(got->at("lit")), expectedLit(packet.display));
        EXPECT_EQ(number(*got, "point"), packet.display.point);
        if (want.numericKind == NumericKind::Overload) {
            EXPECT_EQ(text(*got, "judge"), "Fail");
            EXPECT_GT(number(*got, "count"), 6000);
        } else {
            EXPECT_EQ(text(*got, "judge"), "pass");
            EXPECT_EQ(number(*got, "count"), want.count);
            EXPECT_NEAR(number(*got, "numeric"), want.numeric,
                        1e-9 * std::max(1.0, std::fabs(want.numeric)));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, SimThroughDecode, ::testing::Values(Form::Serial, Form::Hid),
                         [](const ::testing::TestParamInfo<Form>& param) {
                             return param.param == Form::Hid ? "Hid" : "Serial";
                         });

struct OptionCase {
    const char* name;
    std::string options;
    int status;
    std::string value;  // of the first packet, DC 5.123 V
    std::string judge;
};
void PrintTo(const OptionCase& c, std::ostream* os) {
    *os << c.name;
}

class DecodeOptions : public ::testing::TestWithParam<OptionCase> {};

TEST_P(DecodeOptions, LimitsAndSeparatorReachTheVerdict) {
    const OptionCase& c = GetParam();
    const ProcessResult r = runShell(shellQuote(kCliPath) + " sim --rate 0 --count 1 | " +
                                     shellQuote(kCliPath) + " decode " + c.options);
    ASSERT_EQ(r.status, c.status) << r.err;
    if (c.status != 0) {
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err, "");
        return;
    }
    const std::vector<std::string> lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 1U);
    const auto got = parseJsonLine(lines[0]);
    ASSERT_TRUE(got.has_value()) << lines[0];
    EXPECT_EQ(text(*got, "value"), c.value);
    EXPECT_EQ(text(*got, "judge"), c.judge);
}

INSTANTIATE_TEST_SUITE_P(
    Options, DecodeOptions,
    ::testing::Values(
        OptionCase{"Defaults", "", 0, "5.123", "pass"},
        OptionCase{"HighBelowReading", "--high 5", 0, "5.123", "Fail"},
        OptionCase{"ReadingOnTheHighLimit", "--high=5.123 --low 5.123", 0, "5.123", "pass"},
        OptionCase{"LowAboveReading", "--low 5.2", 0, "5.123", "Fail"},
        // A limit typed with the other separator is adapted to the locale's.
        OptionCase{"CommaLocale", "--decimal-separator , --high 5.2", 0, "5,123", "pass"},
        OptionCase{"CommaLocaleFail", "--decimal-separator , --high 5,1", 0, "5,123", "Fail"},
        OptionCase{"HighNotANumber", "--high abc", 2, "", ""},
        OptionCase{"LowFailureValue", "--low -999999", 2, "", ""},
        OptionCase{"SeparatorTooLong", "--decimal-separator ab", 2, "", ""},
        OptionCase{"SeparatorDigit", "--decimal-separator 5", 2, "", ""},
        OptionCase{"UnknownOption", "--fast", 2, "", ""},
        OptionCase{"StrayOperand", "file.bin", 2, "", ""}),
    [](const ::testing::TestParamInfo<OptionCase>& param) { return param.param.name; });

struct MalformedCase {
    const char* name;
    std::string line;
};
void PrintTo(const MalformedCase& c, std::ostream* os) {
    *os << c.name;
}

class MalformedHidLine : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedHidLine, IsReportedWithItsNumberAndSkipped) {
    // Two packets as the cable sends them, with the bad line among the empty reports after
    // the first packet.
    MeterSimulator simulator(3);
    const std::vector<std::string> first = splitLines(simulator.hidReportLines(simulator.next()));
    const std::vector<std::string> second = splitLines(simulator.hidReportLines(simulator.next()));
    std::string input;
    std::size_t badLine = 0;
    for (const std::string& line : first)
        input += line + "\n";
    input += GetParam().line + "\n";
    badLine = first.size() + 1;
    for (const std::string& line : second)
        input += line + "\n";

    const ProcessResult r = runShell(shellQuote(kCliPath) + " decode --hid", input);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(splitLines(r.out).size(), 2U) << r.out;
    EXPECT_EQ(splitLines(r.err).size(), 1U) << r.err;
    EXPECT_NE(r.err.find("line " + std::to_string(badLine) + ":"), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MalformedHidLine,
    ::testing::Values(MalformedCase{"NotHex", "00 F0 ZZ"},
                      MalformedCase{"ThreeDigits", "00 F0 100"},
                      MalformedCase{"HexPrefix", "00 0xF0"},
                      MalformedCase{"PrintedReportText", "R 00  F0"},
                      MalformedCase{"LongerThanAnyReport", std::string(300000, '0')}),
    [](const ::testing::TestParamInfo<MalformedCase>& param) { return param.param.name; });

TEST(HidLineEnds, CrLfAndCrAloneEndAReportLineAsLfDoes) {
    constexpr std::size_t kPackets = 6;
    for (const std::string lineEnd : {"\n", "\r\n", "\r"}) {
        MeterSimulator simulator(11);
        std::string input;
        for (std::size_t i = 0; i < kPackets; ++i) {
            for (const std::string& line : splitLines(simulator.hidReportLines(simulator.next())))
                input += line + lineEnd;
        }
        const ProcessResult r = runShell(shellQuote(kCliPath) + " decode --hid", input);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(splitLines(r.out).size(), kPackets) << "line end " << int(lineEnd.back());
    }
}

TEST(WriteErrors, AreReportedOnceAndEndTheCommand) {
    const std::string cli = shellQuote(kCliPath);
    const std::string full = "vxm90-cli decode: write error: No space left on device\n";
    const ProcessResult finite =
        runShell(cli + " sim --rate 0 --count 50 | " + cli + " decode > /dev/full");
    EXPECT_EQ(finite.status, 1);
    EXPECT_EQ(finite.err, full);
    // A live feed never ends by itself: decode must stop at the failed write, and the simulator
    // then ends because its reader is gone (timeout would give 124).
    const ProcessResult live = runShell("timeout 20 " + cli + " sim --rate 20 | timeout 20 " + cli +
                                        " decode > /dev/full");
    EXPECT_EQ(live.status, 1);
    EXPECT_EQ(live.err, full);

    TempFolder folder;
    const std::string in = folder.file("in.txt");
    writeFile(in, "header\r\n1\tt\r\n");
    const ProcessResult convert = runShell(cli + " convert " + shellQuote(in) + " " +
                                           shellQuote(folder.file("out.xml")) + " > /dev/full");
    EXPECT_EQ(convert.status, 1);
    EXPECT_EQ(convert.err, "vxm90-cli convert: write error: No space left on device\n");
    EXPECT_TRUE(fileExists(folder.file("out.xml")));
    const ProcessResult help = runShell(cli + " log --help > /dev/full");
    EXPECT_EQ(help.status, 1);
    EXPECT_EQ(help.err, "vxm90-cli log: write error: No space left on device\n");
}

TEST(SimUsage, RefusesOptionsItCannotHonour) {
    for (const std::string options :
         {"--rate -1", "--rate 1e-300", "--rate nan", "--count x", "--count -1", "--seed -3",
          "--hid --pty", "--hid=1", "extra"}) {
        const ProcessResult r = runShell(shellQuote(kCliPath) + " sim --count 1 " + options);
        EXPECT_EQ(r.status, 2) << options;
        EXPECT_EQ(r.out, "") << options;
        EXPECT_NE(r.err, "") << options;
    }
}

TEST(CliHelp, EveryCommandDescribesItself) {
    for (const std::string command : {"decode", "sim", "log", "convert", "usb"}) {
        const ProcessResult r = runShell(shellQuote(kCliPath) + " " + command + " --help");
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_EQ(r.out.rfind("Usage: vxm90-cli " + command, 0), 0U) << r.out;
    }
    const ProcessResult unknown = runShell(shellQuote(kCliPath) + " frobnicate");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown command"), std::string::npos);
}

}  // namespace
