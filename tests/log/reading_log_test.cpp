#include "log/reading_log.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "log/memory_chart_surface.h"

namespace {

TMeterReading makeReading(std::string value, double numeric = 5.99, std::string function = "DC",
                          std::string unit = "V", std::string range = "AUTO",
                          std::string judge = "pass") {
    TMeterReading r;
    r.ValueText = std::move(value);
    r.FunctionText = std::move(function);
    r.UnitText = std::move(unit);
    r.RangeModeText = std::move(range);
    r.JudgeText = std::move(judge);
    r.NumericValue = numeric;
    return r;
}

// The window's start-up: two series with their placeholder point, pager of 100, empty log.
class ReadingLogTest : public testing::Test {
protected:
    ReadingLogTest() {
        for (int s = 0; s < chart.seriesCount(); ++s)
            chart.addPoint(s, 0.0);
        clock.now = {15, 15, 30};
        clock.utcMs = kTenDecember1515;
    }

    static constexpr std::int64_t kTenDecember1515 = 1'796'915'730'250;  // 2026-12-10 15:15:30.250

    void decode(const TMeterReading& r, double axisMax = 6000.0) { log.ReadingDecoded(r, axisMax); }

    std::vector<std::int32_t> numbers() const {
        std::vector<std::int32_t> result;
        for (std::size_t i = 0; i < table.rowCount(); ++i)
            result.push_back(*table.No(i));
        return result;
    }

    MemoryChartSurface chart{2};
    TChartControl pager{chart, 100};
    LogTable table;
    FixedClock clock;
    FixedLocale locale;
    ReadingLog log{table, pager, clock, locale};
};

TEST_F(ReadingLogTest, NormalModeAppendsRowWithAllFieldsAndChartPoint) {
    decode(makeReading("-05.99", -5.99, "DC", "V", "MANU", "Fail"));
    ASSERT_EQ(table.rowCount(), 1u);
    LogRecord expected;
    expected.No = 1;
    expected.Time = "15:15:30";
    expected.DcAc = "DC";
    expected.Value = "-05.99";
    expected.Unit = "V";
    expected.Auto = "Fail";
    expected.dateTimeUtcMs = kTenDecember1515;
    expected.rangeMode = "MANU";
    EXPECT_EQ(table.record(0), expected);
    EXPECT_EQ(log.RecordNo(), 2);
    EXPECT_EQ(log.LoggedCount(), 1);
    EXPECT_EQ(log.LastLoggedKey(), "-05.99DCVMANU");
    EXPECT_EQ(chart.pointCount(0), 2);
    EXPECT_EQ(chart.value(1, 1), -5.99);
    EXPECT_EQ(log.Bt10Caption(), "1");
    EXPECT_FALSE(log.Timer3Enabled());
}

TEST_F(ReadingLogTest, NormalModeTimeIsTwoDigitTwentyFourHourWithLocaleSeparator) {
    locale.twelveHourClock = true;  // ignored by the normal mode
    locale.timeSep = ".";
    clock.now = {7, 5, 9};
    decode(makeReading("1"));
    EXPECT_EQ(table.text(0, LogField::Time), "07.05.09");
}

// The Time text says only the time of day; the date-time beside it keeps the order of a run
// that crosses midnight, in both modes.
TEST_F(ReadingLogTest, RowsAcrossMidnightKeepTheirDateTimes) {
    const std::int64_t beforeMidnight = 1'796'947'199'900;  // 2026-12-10 23:59:59.900 UTC
    clock.now = {23, 59, 59};
    clock.utcMs = beforeMidnight;
    decode(makeReading("1"));
    clock.now = {0, 0, 0};
    clock.utcMs = beforeMidnight + 150;
    decode(makeReading("2"));
    log.setRecordSI(true);
    decode(makeReading("3"));
    clock.now = {0, 0, 1};
    clock.utcMs = beforeMidnight + 1100;
    log.Timer3Timer();

    ASSERT_EQ(table.rowCount(), 3u);
    EXPECT_EQ(table.text(0, LogField::Time), "23:59:59");
    EXPECT_EQ(table.text(1, LogField::Time), "00:00:00");
    EXPECT_EQ(table.text(2, LogField::Time), "0:00:01");
    EXPECT_EQ(table.dateTimeUtcMs(0), beforeMidnight);
    EXPECT_EQ(table.dateTimeUtcMs(1), beforeMidnight + 150);
    EXPECT_EQ(table.dateTimeUtcMs(2), beforeMidnight + 1100);
}

struct FilterCase {
    const char* name;
    bool repeatSet;
    std::vector<TMeterReading> readings;
    std::vector<std::int32_t> numbers;  // No of the appended rows
};

void PrintTo(const FilterCase& c, std::ostream* os) {
    *os << c.name;
}

class RepeatFilter : public ReadingLogTest, public testing::WithParamInterface<FilterCase> {};

TEST_P(RepeatFilter, AppendsTheExpectedReadings) {
    log.setRepeatSet(GetParam().repeatSet);
    for (const TMeterReading& r : GetParam().readings)
        decode(r);
    EXPECT_EQ(numbers(), GetParam().numbers);
    EXPECT_EQ(log.RecordNo(), static_cast<std::int32_t>(GetParam().readings.size()) + 1);
}

const FilterCase kFilterCases[] = {
    {"RepeatCheckedLogsEverything",
     true,
     {makeReading("1"), makeReading("1"), makeReading("1")},
     {1, 2, 3}},
    {"RepeatsLeaveGapsInNo",
     false,
     {makeReading("1"), makeReading("1"), makeReading("1"), makeReading("2"), makeReading("1")},
     {1, 4, 5}},
    {"VerdictAloneIsNotPartOfTheKey",
     false,
     {makeReading("1", 1, "DC", "V", "AUTO", "pass"),
      makeReading("1", 1, "DC", "V", "AUTO", "Fail")},
     {1}},
    {"RangeModeIsPartOfTheKey",
     false,
     {makeReading("1", 1, "DC", "V", "AUTO"), makeReading("1", 1, "DC", "V", "MANU")},
     {1, 2}},
    {"FunctionAndUnitArePartOfTheKey",
     false,
     {makeReading("1", 1, "DC", "V"), makeReading("1", 1, "AC", "V"),
      makeReading("1", 1, "AC", "mV")},
     {1, 2, 3}},
    {"KeyComparisonIsCaseSensitive",
     false,
     {makeReading("0.L", 1, "OHM", "k*"), makeReading("0.l", 1, "OHM", "k*")},
     {1, 2}},
};

INSTANTIATE_TEST_SUITE_P(ReadingLog, RepeatFilter, testing::ValuesIn(kFilterCases),
                         [](const testing::TestParamInfo<FilterCase>& p) { return p.param.name; });

TEST_F(ReadingLogTest, RecordLimitStopsLoggingAndFreezesRecordNo) {
    log.N10001Click();
    EXPECT_EQ(log.RecordLimit(), 1000);
    for (int i = 0; i < 1005; ++i)
        decode(makeReading(std::to_string(i), i));
    EXPECT_EQ(table.rowCount(), 1000u);
    EXPECT_EQ(table.No(999), 1000);
    EXPECT_EQ(log.RecordNo(), 1001);
    const int bar = log.PBar2Position();
    decode(makeReading("5000", 5000));
    EXPECT_EQ(log.PBar2Position(), bar);  // a full log leaves the bar alone

    log.setRecordSI(true);
    decode(makeReading("5001", 5001));
    log.Timer3Timer();
    EXPECT_EQ(log.RecordNo(), 1001);
    EXPECT_TRUE(log.ReadingFresh());  // a full log's tick leaves the flag

    log.N50001Click();  // a higher limit lets logging continue
    log.Timer3Timer();
    EXPECT_EQ(table.rowCount(), 1001u);
    EXPECT_EQ(table.No(1000), 1001);
}

TEST_F(ReadingLogTest, LoweringTheLimitKeepsRowsAndStopsLogging) {
    log.N500001Click();
    for (int i = 0; i < 4000; ++i)
        decode(makeReading(std::to_string(i), 1));
    log.N10001Click();
    decode(makeReading("x"));
    EXPECT_EQ(table.rowCount(), 4000u);
    EXPECT_EQ(log.RecordNo(), 4001);
    EXPECT_EQ(log.checkedLimit(), RecordLimitChoice::N10001);
    log.limitessClick();
    EXPECT_EQ(log.RecordLimit(), 10000000);
}

TEST_F(ReadingLogTest, ClearKeepsLastKeySoFirstRepeatIsDropped) {
    log.setRepeatSet(false);
    decode(makeReading("1"));
    decode(makeReading("2"));
    for (int i = 0; i < 150; ++i)
        decode(makeReading(std::to_string(100 + i)));
    decode(makeReading("7"));
    ASSERT_EQ(pager.CurrentPage(), 2);

    log.RecordNewClick();
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(table.changeCount(), 0u);
    EXPECT_EQ(chart.pointCount(0), 0);
    EXPECT_EQ(log.Bt10Caption(), "1");
    EXPECT_EQ(log.RecordNo(), 1);
    EXPECT_EQ(log.LoggedCount(), 0);

    decode(makeReading("7"));  // equals the last row before the clear
    decode(makeReading("8"));
    EXPECT_EQ(numbers(), (std::vector<std::int32_t>{2}));
    EXPECT_EQ(chart.pointCount(0), 1);  // X 0: no placeholder after a clear
}

TEST_F(ReadingLogTest, SamplingModeLogsOneRowPerTickFromTheLastReading) {
    log.setRecordSI(true);
    EXPECT_EQ(log.RecordSITimeChange("5"), "5");
    EXPECT_EQ(log.Timer3Interval(), 5000u);
    locale.twelveHourClock = true;
    // Two packets a second, a tick every five seconds.
    int value = 0;
    for (int tick = 0; tick < 3; ++tick) {
        for (int packet = 0; packet < 10; ++packet)
            decode(makeReading(std::to_string(++value)));
        EXPECT_TRUE(log.Timer3Enabled());
        EXPECT_TRUE(table.empty() || table.rowCount() == static_cast<std::size_t>(tick));
        log.Timer3Timer();
    }
    log.Timer3Timer();  // no packet since the last tick: no row, RecordNo stays
    EXPECT_EQ(numbers(), (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(log.RecordNo(), 4);
    EXPECT_EQ(table.text(2, LogField::Value), "30");
    EXPECT_EQ(table.text(0, LogField::Time), "3:15:30 PM");
    EXPECT_FALSE(log.ReadingFresh());
}

TEST_F(ReadingLogTest, ModeFollowsCheckBoxFromNextDecode) {
    log.setRecordSI(true);
    decode(makeReading("1"));
    EXPECT_TRUE(log.Timer3Enabled());
    EXPECT_TRUE(table.empty());

    log.setRecordSI(false);
    log.Timer3Timer();  // before the next decode the tick only clears the flag
    EXPECT_TRUE(table.empty());
    EXPECT_FALSE(log.ReadingFresh());
    EXPECT_TRUE(log.Timer3Enabled());

    decode(makeReading("2"));
    EXPECT_FALSE(log.Timer3Enabled());
    EXPECT_EQ(numbers(), (std::vector<std::int32_t>{1}));
    EXPECT_EQ(table.text(0, LogField::Value), "2");
}

TEST_F(ReadingLogTest, LevelBarFollowsAxisAndAppendedValues) {
    EXPECT_EQ(log.PBar2Max(), 60);
    EXPECT_EQ(log.PBar2Position(), 30);
    decode(makeReading("-59.9", -59.97, "DC", "V"), 600.9);
    EXPECT_EQ(log.PBar2Max(), 600);
    EXPECT_EQ(log.PBar2Position(), 59);
    EXPECT_EQ(log.LastLeftAxisMax(), 600.9);

    log.setRepeatSet(false);
    decode(makeReading("-59.9", -12.0, "DC", "V"), 600.9);  // dropped: the bar stays
    EXPECT_EQ(log.PBar2Position(), 59);

    decode(makeReading("9999", 9999), 600.9);  // beyond the bar's range
    EXPECT_EQ(log.PBar2Position(), 600);
    decode(makeReading("nan", std::nan("")), 6.0);  // a smaller range pulls the position in
    EXPECT_EQ(log.PBar2Max(), 6);
    EXPECT_EQ(log.PBar2Position(), 0);
    decode(makeReading("huge", 1e300), 1e300);
    EXPECT_EQ(log.PBar2Max(), std::numeric_limits<int>::max());
    EXPECT_EQ(log.PBar2Position(), std::numeric_limits<int>::max());
}

struct IntervalCase {
    const char* text;
    const char* shown;
    std::uint32_t intervalMs;
};

TEST_F(ReadingLogTest, SamplingIntervalEdit) {
    const IntervalCase cases[] = {
        {"3", "3", 3000},
        {"0", "1", 1000},
        {"", "", 1000},  // not an integer: the interval stays
        {"12a", "12a", 1000},
        {"-4", "-4", 1000},  // negative: ignored
        {"7", "7", 7000},
        {"2147483", "2147483", 2147483000u},
        {"2147484", "2147484", kMaxSamplingIntervalMs},  // beyond the timer: clamped
        {"2147483647", "2147483647", kMaxSamplingIntervalMs},
        {"2147483648", "2147483648", kMaxSamplingIntervalMs},  // not a 32-bit integer
        {"00", "1", 1000},
    };
    for (const IntervalCase& c : cases) {
        EXPECT_EQ(log.RecordSITimeChange(c.text), c.shown) << c.text;
        EXPECT_EQ(log.Timer3Interval(), c.intervalMs) << c.text;
    }
}

TEST(ReadingLog, KeyFilterPassesDigitsAndBackspaceOnly) {
    for (int key = -128; key < 128; ++key) {
        const char c = static_cast<char>(key);
        EXPECT_EQ(ReadingLog::RecordSITimeKeyPress(c), (c >= '0' && c <= '9') || c == '\b') << key;
    }
}

TEST_F(ReadingLogTest, LoadedRowsDoNotMoveCountersOrChart) {
    LogRecord loaded;
    loaded.No = 77;
    table.append(loaded);
    table.append(loaded);
    decode(makeReading("1"));
    EXPECT_EQ(numbers(), (std::vector<std::int32_t>{77, 77, 1}));
    EXPECT_EQ(log.LoggedCount(), 1);
    EXPECT_EQ(chart.pointCount(0), 2);
    EXPECT_EQ(table.unsavedReadings(), 1u) << "only the logged reading is unsaved";
    decode(makeReading("1"));
    log.setRepeatSet(false);
    decode(makeReading("1"));  // dropped as a repeat
    EXPECT_EQ(table.unsavedReadings(), 2u);
    log.RecordNewClick();
    EXPECT_EQ(table.unsavedReadings(), 0u);
}

}  // namespace
