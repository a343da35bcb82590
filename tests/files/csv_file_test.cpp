#include "files/csv_file.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "files/data_files.h"
#include "files/si_value.h"
#include "log/memory_chart_surface.h"
#include "session/meter_session.h"
#include "test_files_fixture.h"
#include "tests/decode/packets.h"

namespace {

using testpkt::Packet;

std::string csvOf(const LogTable& table, const TimeZone& zone) {
    OutputBuffer out;
    CsvRowFormat format(zone);
    format.writeHeader(out);
    format.writeRows(table, 0, table.rowCount(), out);
    return out.bytes();
}

// The lines of a CSV text after its header, each checked to end in CR LF.
std::vector<std::string> csvLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "a line without CR LF";
        if (end == std::string::npos) break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_FALSE(lines.empty());
    if (!lines.empty()) {
        EXPECT_EQ(lines.front(), kCsvHeader);
        lines.erase(lines.begin());
    }
    return lines;
}

// A CSV line of unquoted fields split at its commas.
std::map<std::string, std::string> columns(const std::string& line) {
    static const std::vector<std::string> kNames = {"time",  "no",      "function",     "value",
                                                    "unit",  "display", "display_unit", "range",
                                                    "judge", "overload"};
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (std::size_t comma; (comma = line.find(',', from)) != std::string::npos; from = comma + 1)
        fields.push_back(line.substr(from, comma - from));
    fields.push_back(line.substr(from));
    EXPECT_EQ(fields.size(), kNames.size()) << line;
    std::map<std::string, std::string> named;
    for (std::size_t i = 0; i < fields.size() && i < kNames.size(); ++i)
        named[kNames[i]] = fields[i];
    return named;
}

// --- Every function and prefix the decoder produces, through the real decoder ---

struct DecodedCase {
    const char* name;
    Packet packet;
    const char* separator;  // the locale's decimal separator
    const char* function;
    const char* value;  // in the base unit, worked out by hand
    const char* unit;
    const char* display;
    const char* displayUnit;
    bool overload;
    bool autoRange = false;  // the meter's range mode: AUTO, else MANU
};
void PrintTo(const DecodedCase& c, std::ostream* os) {
    *os << c.name;
}

Packet packet(std::array<std::uint8_t, 4> digits, std::uint8_t point,
              std::initializer_list<int> flags, std::uint8_t sign = '+') {
    Packet p;
    p.sign = sign;
    p.digits = digits;
    p.point = point;
    return p.with(flags);
}

using namespace testpkt;
const DecodedCase kDecodedCases[] = {
    {"DcVolts", packet({'0', '5', '9', '9'}, '2', {Dc, Volt}), ".", "DC", "5.99", "V", "05.99", "V",
     false},
    {"NegativeDcVolts", packet({'1', '2', '3', '4'}, '1', {Dc, Volt}, '-'), ".", "DC", "-1.234",
     "V", "-1.234", "V", false},
    {"DcMillivolts", packet({'0', '0', '1', '2'}, '1', {Dc, Volt, Milli}), ".", "DC", "0.000012",
     "V", "0.012", "mV", false},
    {"DcMicrovolts", packet({'0', '4', '0', '0'}, '4', {Dc, Volt, Micro}), ".", "DC", "0.00004",
     "V", "040.0", "\u00B5V", false},
    {"DcNanovolts", packet({'0', '0', '0', '7'}, '0', {Dc, Volt, Nano}), ".", "DC", "0.000000007",
     "V", "0007", "nV", false},
    {"AcVoltsNoPoint", packet({'0', '2', '3', '0'}, '0', {Ac, Volt}), ".", "AC", "230", "V", "0230",
     "V", false},
    {"AutoRange", packet({'0', '2', '3', '0'}, '0', {Ac, Volt, Auto}), ".", "AC", "230", "V",
     "0230", "V", false, true},
    {"Amperes", packet({'9', '9', '9', '9'}, '2', {Dc, Amp}), ".", "DC", "99.99", "A", "99.99", "A",
     false},
    {"Milliamperes", packet({'1', '2', '3', '4'}, '2', {Ac, Amp, Milli}), ".", "AC", "0.01234", "A",
     "12.34", "mA", false},
    {"Microamperes", packet({'5', '9', '9', '9'}, '4', {Dc, Amp, Micro}), ".", "DC", "0.0005999",
     "A", "599.9", "\u00B5A", false},
    {"Nanoamperes", packet({'0', '0', '1', '0'}, '2', {Dc, Amp, Nano}), ".", "DC", "0.0000000001",
     "A", "00.10", "nA", false},
    {"Ohms", packet({'1', '0', '0', '0'}, '4', {Ohm}), ".", "OHM", "100", "\u03A9", "100.0",
     "\u03A9", false},
    {"Kiloohms", packet({'4', '7', '0', '0'}, '1', {Ohm, Kilo}), ".", "OHM", "4700", "\u03A9",
     "4.700", "k\u03A9", false},
    {"Megaohms", packet({'1', '2', '3', '4'}, '2', {Ohm, Mega}), ".", "OHM", "12340000", "\u03A9",
     "12.34", "M\u03A9", false},
    {"Continuity", packet({'0', '1', '2', '3'}, '4', {Ctn, Ohm}), ".", "OHM", "12.3", "\u03A9",
     "012.3", "\u03A9", false},
    {"Diode", packet({'0', '5', '6', '7'}, '1', {Diode}), ".", "Diode", "0.567", "V", "0.567", "V",
     false},
    {"Farads", packet({'0', '0', '0', '1'}, '0', {Farad}), ".", "CAP", "1", "F", "0001", "F",
     false},
    {"Millifarads", packet({'0', '0', '1', '5'}, '2', {Farad, Milli}), ".", "CAP", "0.00015", "F",
     "00.15", "mF", false},
    {"Microfarads", packet({'4', '7', '0', '0'}, '2', {Farad, Micro}), ".", "CAP", "0.000047", "F",
     "47.00", "\u00B5F", false},
    {"Nanofarads", packet({'3', '3', '0', '0'}, '4', {Farad, Nano}), ".", "CAP", "0.00000033", "F",
     "330.0", "nF", false},
    {"Celsius", packet({'0', '0', '2', '5'}, '0', {Celsius}), ".", "TMP", "25", "\u00B0C", "0025",
     "\u00B0C", false},
    {"Fahrenheit", packet({'0', '0', '7', '7'}, '0', {Fahrenheit}, '-'), ".", "TMP", "-77",
     "\u00B0F", "-0077", "\u00B0F", false},
    {"Hertz", packet({'5', '0', '0', '0'}, '4', {Hz}), ".", "Freq", "500", "Hz", "500.0", "Hz",
     false},
    {"Kilohertz", packet({'1', '0', '0', '0'}, '1', {Hz, Kilo}), ".", "Freq", "1000", "Hz", "1.000",
     "kHz", false},
    {"Megahertz", packet({'4', '0', '0', '0'}, '1', {Hz, Mega}), ".", "Freq", "4000000", "Hz",
     "4.000", "MHz", false},
    {"DutyCycle", packet({'0', '5', '0', '0'}, '4', {Percent}), ".", "DutyCycle", "50", "%",
     "050.0", "%", false},
    {"OverloadWithPoint", packet({'?', '0', ':', '?'}, '2', {Dc, Volt}), ".", "DC", "", "V", "0.L",
     "V", true},
    {"OverloadWithoutPoint", packet({'?', '0', ':', '?'}, '0', {Ohm, Mega}), ".", "OHM", "",
     "\u03A9", "0L", "M\u03A9", true},
};

class CsvOfDecodedReadings : public testing::TestWithParam<DecodedCase> {};

TEST_P(CsvOfDecodedReadings, GiveTheReadingInBaseUnitsAndTheDisplayAsShown) {
    const DecodedCase& c = GetParam();
    FixedLocale locale;
    locale.userSeparator = c.separator;
    FixedClock clock;
    clock.utcMs = 1'796'919'876'250;  // 2026-12-10 16:24:36.250 UTC
    clock.now = TimeOfDay{16, 24, 36};
    MemoryChartSurface chart;
    MeterSession session(chart, clock, locale);
    const std::uint8_t lineFeed = 0x0A;
    session.receiveSerial(&lineFeed, 1);
    const testpkt::Bytes bytes = c.packet.bytes();
    session.receiveSerial(bytes.data(), bytes.size());
    ASSERT_EQ(session.cds1().rowCount(), 1u);

    const FixedOffsetTimeZone zone(60);
    const auto lines = csvLines(csvOf(session.cds1(), zone));
    ASSERT_EQ(lines.size(), 1u);
    const auto got = columns(lines[0]);
    EXPECT_EQ(got.at("time"), "2026-12-10T17:24:36.250+01:00");
    EXPECT_EQ(got.at("no"), "1");
    EXPECT_EQ(got.at("function"), c.function);
    EXPECT_EQ(got.at("value"), c.value);
    EXPECT_EQ(got.at("unit"), c.unit);
    EXPECT_EQ(got.at("display"), c.display);
    EXPECT_EQ(got.at("display_unit"), c.displayUnit);
    EXPECT_EQ(got.at("range"), c.autoRange ? "AUTO" : "MANU");
    EXPECT_EQ(got.at("judge"), *session.cds1().text(0, LogField::Auto)) << "the verdict as logged";
    EXPECT_EQ(got.at("overload"), c.overload ? "1" : "0");
}

INSTANTIATE_TEST_SUITE_P(EveryFunctionAndPrefix, CsvOfDecodedReadings,
                         testing::ValuesIn(kDecodedCases),
                         [](const testing::TestParamInfo<DecodedCase>& p) {
                             return std::string(p.param.name);
                         });

TEST(CsvOfDecodedReadings, ACommaLocaleKeepsItsDisplayQuotedAndThePointInTheValue) {
    FixedLocale locale;
    locale.userSeparator = ",";
    FixedClock clock;
    MemoryChartSurface chart;
    MeterSession session(chart, clock, locale);
    const std::uint8_t lineFeed = 0x0A;
    session.receiveSerial(&lineFeed, 1);
    for (const Packet& p : {packet({'4', '7', '0', '0'}, '1', {Ohm, Kilo}),
                            packet({'?', '0', ':', '?'}, '2', {Dc, Volt})}) {
        testpkt::Bytes bytes = p.bytes();
        bytes.push_back(0x0A);
        session.receiveSerial(bytes.data(), bytes.size());
    }
    ASSERT_EQ(session.cds1().rowCount(), 2u);
    const FixedOffsetTimeZone zone(0);
    const auto lines = csvLines(csvOf(session.cds1(), zone));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              "1970-01-01T00:00:00.000+00:00,1,OHM,4700,\u03A9,\"4,700\",k\u03A9,MANU,Fail,0");
    EXPECT_EQ(lines[1], "1970-01-01T00:00:00.000+00:00,2,DC,,V,\"0,L\",V,MANU,Fail,1");
}

// --- The decimal arithmetic on its own ---

struct ScaledCase {
    const char* text;
    int exponent;
    std::optional<std::string> expected;
};

TEST(ScaledDecimalText, ShiftsTheDigitsExactly) {
    const ScaledCase cases[] = {
        {"4.700", 3, "4700"},
        {"0.012", -3, "0.000012"},
        {"-05.99", 0, "-5.99"},
        {"05,99", 0, "5.99"},
        {"-0.000", 0, "0"},
        {"0000", 6, "0"},
        {"12.34", 6, "12340000"},
        {"0.001", -9, "0.000000000001"},
        {"+1.5", 0, "1.5"},
        {" 600.0\t", 0, "600"},
        {"1.", 0, "1"},
        {".5", 0, "0.5"},
        {"9999", -3, "9.999"},
        {"0.1", 1, "1"},
        {"", 0, std::nullopt},
        {"-", 0, std::nullopt},
        {".", 0, std::nullopt},
        {"1.2.3", 0, std::nullopt},
        {"1,2.3", 0, std::nullopt},
        {"0.L", 0, std::nullopt},
        {"1e3", 0, std::nullopt},
        {"--1", 0, std::nullopt},
        {"1 2", 0, std::nullopt},
        {"NULL", 0, std::nullopt},
    };
    for (const ScaledCase& c : cases) {
        EXPECT_EQ(scaledDecimalText(c.text, c.exponent), c.expected)
            << "'" << c.text << "' x 10^" << c.exponent;
    }
}

TEST(OverloadText, IsTheZeroAndLWithTheSeparatorWhereverThePointWas) {
    for (const char* overload : {"0.L", "0,L", ".0L", "0L.", "0L", " 0.L ", ",0L"})
        EXPECT_TRUE(isOverloadText(overload)) << overload;
    for (const char* reading : {"0.0", "L", "0", "00L", "0..L", "-0.L5", "OL", "", "0.L1"})
        EXPECT_FALSE(isOverloadText(reading)) << reading;
}

// --- The file's texts and times ---

TEST(CsvFile, QuotesTextsWithCommasQuotesAndLineBreaksAndConvertsTheCodePage) {
    LogTable table;
    table.append(makeRecord(7, "10:15:30", "a,b", "1.234", "V", "say \"hi\""));
    table.append(makeRecord(std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                            std::nullopt));
    // 0xB5 is the micro sign and 0x80 the euro sign in code page 1252.
    table.append(makeRecord(-2, "line\r\nbreak", "\x80", "2", "\xB5V?", "x"));
    const FixedOffsetTimeZone zone(0);
    const std::string text = csvOf(table, zone);
    EXPECT_EQ(text,
              "time,no,function,value,unit,display,display_unit,range,judge,overload\r\n"
              "10:15:30,7,\"a,b\",1.234,V,1.234,V,,\"say \"\"hi\"\"\",0\r\n"
              ",,,,,,,,,0\r\n"
              "\"line\r\nbreak\",-2,\u20AC,,,2,\u00B5V?,,x,0\r\n")
        << "a row from a file keeps its time text; a unit no reading has gives no value";
}

// A zone whose offset moves from +01:00 to +02:00 half a minute into a minute, as no real zone
// does today but old ones did: every row must still get its own local time.
class OffsetChangeZone : public TimeZone {
public:
    explicit OffsetChangeZone(std::int64_t changeAt) : m_changeAt(changeAt) {}
    LocalDateTime local(std::int64_t utcMs) const override {
        return FixedOffsetTimeZone(utcMs < m_changeAt ? 60 : 120).local(utcMs);
    }

private:
    std::int64_t m_changeAt;
};

TEST(CsvFile, TimesAreLocalWithMillisecondsAndTheOffsetAtEachMoment) {
    constexpr std::int64_t kMidnight = 1'796'947'200'000;  // 2026-12-11 00:00:00 UTC
    const std::int64_t stamps[] = {kMidnight - 1,
                                   kMidnight,
                                   kMidnight + 59'999,
                                   kMidnight + 60'000 + 29'999,
                                   kMidnight + 60'000 + 30'000,
                                   -1};
    LogTable table;
    for (const std::int64_t stamp : stamps) {
        LogRecord r = makeRecord(1, "t", "DC", "1", "V", "pass");
        r.dateTimeUtcMs = stamp;
        table.append(r);
    }
    const auto timesIn = [&table](const TimeZone& zone) {
        std::vector<std::string> times;
        for (const std::string& line : csvLines(csvOf(table, zone)))
            times.push_back(line.substr(0, line.find(',')));
        return times;
    };
    EXPECT_EQ(timesIn(FixedOffsetTimeZone(0)),
              (std::vector<std::string>{
                  "2026-12-10T23:59:59.999+00:00", "2026-12-11T00:00:00.000+00:00",
                  "2026-12-11T00:00:59.999+00:00", "2026-12-11T00:01:29.999+00:00",
                  "2026-12-11T00:01:30.000+00:00", "1969-12-31T23:59:59.999+00:00"}));
    EXPECT_EQ(timesIn(FixedOffsetTimeZone(-210)),
              (std::vector<std::string>{
                  "2026-12-10T20:29:59.999-03:30", "2026-12-10T20:30:00.000-03:30",
                  "2026-12-10T20:30:59.999-03:30", "2026-12-10T20:31:29.999-03:30",
                  "2026-12-10T20:31:30.000-03:30", "1969-12-31T20:29:59.999-03:30"}));
    EXPECT_EQ(timesIn(OffsetChangeZone(kMidnight + 90'000)),
              (std::vector<std::string>{
                  "2026-12-11T00:59:59.999+01:00", "2026-12-11T01:00:00.000+01:00",
                  "2026-12-11T01:00:59.999+01:00", "2026-12-11T01:01:29.999+01:00",
                  "2026-12-11T02:01:30.000+02:00", "1970-01-01T00:59:59.999+01:00"}));
}

// --- Saving and loading by name ---

class CsvOnDisk : public ScratchFolder {};

TEST_F(CsvOnDisk, SaveChoosesCsvByExtensionAndALoadRefusesIt) {
    LogTable table;
    table.append(makeRecord(1, "10:15:30", "DC", "1.234", "V", "pass"));
    const FixedOffsetTimeZone zone(0);
    const std::string file = path("log.csv");
    const FileResult saved = saveTableFile(table, file, zone);
    ASSERT_TRUE(saved.ok) << saved.reason;
    EXPECT_EQ(saved.message, "Save table to specified file: " + file + " Scuss!");
    EXPECT_EQ(readBytes(file), csvOf(table, zone));
    EXPECT_EQ(readBytes(file).substr(0, 4), "time") << "no byte-order mark";

    const FileResult upper = saveTableFile(table, path("log.CSV"), zone);
    ASSERT_TRUE(upper.ok);
    EXPECT_EQ(readBytes(path("log.CSV")).substr(0, 2), "No") << "only \".csv\" exactly is CSV";

    LogTable loaded;
    loaded.append(makeRecord(9, "x", "y", "z", "u", "v"));
    const FileResult load = FileToTable(file, loaded, NumberFormat{});
    EXPECT_FALSE(load.ok);
    EXPECT_EQ(load.message, "Failed to Load File!");
    EXPECT_EQ(load.reason, kCsvNotLoaded);
    EXPECT_EQ(loaded.rowCount(), 1u) << "the log is left as it was";

    const FileResult failed = saveTableFile(table, path("no/such/folder/log.csv"), zone);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.message,
              "Could not save table to specified file: " + path("no/such/folder/log.csv"));
}

}  // namespace
