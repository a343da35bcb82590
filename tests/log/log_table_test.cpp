#include "log/log_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

LogRecord reading(std::int32_t no, std::string time, std::string value) {
    LogRecord r;
    r.No = no;
    r.Time = std::move(time);
    r.DcAc = "DC";
    r.Value = std::move(value);
    r.Unit = "V";
    r.Auto = "pass";
    return r;
}

LogRecord makeTextOnly(std::string time) {
    LogRecord r;
    r.Time = std::move(time);
    return r;
}

struct NameCase {
    const char* name;
    std::optional<LogField> field;
};

TEST(LogTable, FieldsAreFoundByNameWithoutRegardToCase) {
    const NameCase cases[] = {
        {"no", LogField::No},      {"TIME", LogField::Time},   {"dc/ac", LogField::DcAc},
        {"DC/AC", LogField::DcAc}, {"value", LogField::Value}, {"UNIT", LogField::Unit},
        {"AUTO", LogField::Auto},  {"nval", LogField::NVal},   {"DCAC", std::nullopt},
        {"No ", std::nullopt},     {"", std::nullopt},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(findLogField(c.name), c.field) << c.name;
    for (const LogField f : kLogFields)
        EXPECT_EQ(findLogField(logFieldName(f)), f);
}

TEST(LogTable, StoresNullsCutsLongTextsAndKeepsRowStates) {
    LogTable table;
    LogRecord full = reading(-7, "10:15:30", "05.99");
    full.NVal = 42;
    full.RowState = 0;
    LogRecord sparse;  // every field without value
    LogRecord emptyTexts;
    emptyTexts.Time = "";
    emptyTexts.Auto = std::string(25, 'x');
    table.append(reading(1, "10:15:29", "05.98"));
    table.append(full);
    table.append(sparse);
    table.append(emptyTexts);

    ASSERT_EQ(table.rowCount(), 4u);
    EXPECT_EQ(table.record(0), reading(1, "10:15:29", "05.98"));
    EXPECT_EQ(table.record(1), full);
    EXPECT_EQ(table.record(2), sparse);
    EXPECT_FALSE(table.integer(0, LogField::NVal));
    EXPECT_EQ(table.integer(1, LogField::NVal), 42);
    EXPECT_EQ(table.text(3, LogField::Time), std::optional<std::string_view>(""));
    EXPECT_EQ(table.text(3, LogField::Auto), std::string(20, 'x'));
    EXPECT_FALSE(table.text(3, LogField::Value));
    EXPECT_EQ(table.displayText(1, LogField::No), "-7");
    EXPECT_EQ(table.displayText(2, LogField::No), "");
    EXPECT_EQ(table.displayText(0, LogField::DcAc), "DC");
    EXPECT_EQ(table.rowState(1), 0);
    EXPECT_EQ(table.rowState(0), kRowStateInserted);
}

// Rows live in fixed-size chunks; the rows on either side of a chunk edge must stay apart.
TEST(LogTable, KeepsRowsAcrossChunkEdges) {
    LogTable table;
    constexpr int kRows = 70000;
    for (int i = 0; i < kRows; ++i) {
        LogRecord r = reading(i, "00:00:00", std::to_string(i % 1000));
        if (i == 65537) r.NVal = i;
        table.append(r);
    }
    ASSERT_EQ(table.rowCount(), static_cast<std::size_t>(kRows));
    for (const int row : {0, 65535, 65536, 65537, kRows - 1}) {
        EXPECT_EQ(table.No(row), row);
        EXPECT_EQ(table.text(row, LogField::Value), std::to_string(row % 1000));
        EXPECT_EQ(table.integer(row, LogField::NVal),
                  row == 65537 ? std::optional<std::int32_t>(row) : std::nullopt);
    }
    EXPECT_EQ(table.pooledTextCount(), 1000u + 4u);  // values, "00:00:00", "DC", "V", "pass"
}

// Date-times use all 64 bits (negative before 1970, far future) and stay apart from the nulls.
TEST(LogTable, KeepsEachRowsDateTimeOrItsAbsence) {
    LogTable table;
    const std::optional<std::int64_t> stamps[] = {
        std::nullopt, 0, -1, 1'796'915'730'250, std::int64_t{1} << 40, INT64_MIN, INT64_MAX};
    for (const auto& stamp : stamps) {
        LogRecord r = reading(1, "00:00:00", "1");
        r.NVal.reset();
        r.dateTimeUtcMs = stamp;
        table.append(r);
    }
    for (std::size_t row = 0; row < std::size(stamps); ++row) {
        EXPECT_EQ(table.dateTimeUtcMs(row), stamps[row]) << row;
        EXPECT_EQ(table.record(row).dateTimeUtcMs, stamps[row]) << row;
        EXPECT_EQ(table.integer(row, LogField::NVal), std::nullopt) << row;
        EXPECT_EQ(table.No(row), 1) << row;
    }
}

// The range mode rides in a row without making it larger; a flood of distinct texts (never from
// the meter, which has two) is not kept rather than slowing the appends.
TEST(LogTable, KeepsTheRangeModeOfEachRow) {
    LogTable table;
    for (int i = 0; i < 40; ++i) {
        LogRecord r = reading(i, "00:00:00", "1");
        if (i == 1) r.rangeMode.reset();
        if (i >= 2) r.rangeMode = i % 2 == 0 ? "AUTO" : "MANU";
        if (i >= 20) r.rangeMode = "mode " + std::to_string(i);
        table.append(r);
    }
    EXPECT_EQ(table.rangeMode(0), std::nullopt) << "a record without one";
    EXPECT_EQ(table.rangeMode(1), std::nullopt);
    EXPECT_EQ(table.rangeMode(2), "AUTO");
    EXPECT_EQ(table.rangeMode(3), "MANU");
    EXPECT_EQ(table.rangeModeId(4), table.rangeModeId(2)) << "equal texts share an id";
    EXPECT_EQ(table.record(3).rangeMode, "MANU");
    EXPECT_EQ(table.rangeMode(20), "mode 20");
    EXPECT_EQ(table.rangeMode(39), std::nullopt) << "past the distinct texts kept";
    table.clear();
    LogRecord r = reading(1, "00:00:00", "1");
    r.rangeMode = "MANU";
    table.append(r);
    EXPECT_EQ(table.rangeModeId(0), 1u) << "a clear starts the texts afresh";
}

// A load that succeeds whole moves its table's content in: the views see one reset and find the
// new rows, the change list comes along, and the table goes on taking rows.
TEST(LogTable, TakesOverTheContentOfAnotherTable) {
    LogTable table;
    table.append(reading(1, "old", "1"), RowOrigin::Reading);
    std::vector<std::string> events;
    table.addObserver({[&](std::size_t first, std::size_t count) {
                           events.push_back(std::to_string(first) + "+" + std::to_string(count));
                       },
                       [&] { events.push_back("reset " + std::to_string(table.rowCount())); }});
    LogTable loaded;
    LogRecord stamped = reading(7, "new", "5");
    stamped.dateTimeUtcMs = 1000;
    stamped.rangeMode = "AUTO";
    loaded.append(stamped);
    loaded.append(reading(8, "new", "6"));
    loaded.replaceChangeList({{1, 0, 2}});
    const std::uint64_t generation = table.generation();

    table.replaceContent(loaded);
    EXPECT_EQ(table.rowCount(), 2u);
    EXPECT_EQ(table.record(0), stamped);
    EXPECT_EQ(table.text(1, LogField::Value), "6");
    EXPECT_EQ(table.changeList(), (std::vector<ChangeTriple>{{1, 0, 2}}));
    EXPECT_EQ(table.unsavedReadings(), 0u) << "the rows come from a file";
    EXPECT_NE(table.generation(), generation);
    EXPECT_TRUE(loaded.empty());
    table.append(reading(9, "new", "5"));
    EXPECT_EQ(table.pooledTextCount(), 6u) << "equal texts still share the pool";
    EXPECT_EQ(events, (std::vector<std::string>{"reset 2", "2+1"}));
}

TEST(LogTable, ChangeListFollowsAppendsLoadsAndClear) {
    LogTable table;
    table.append(reading(1, "a", "1"));
    table.append(reading(2, "b", "2"));
    EXPECT_EQ(table.changeList(), (std::vector<ChangeTriple>{{1, 0, 4}, {2, 0, 4}}));

    table.clear();
    EXPECT_EQ(table.changeCount(), 0u);
    LogRecord loaded = reading(9, "c", "3");
    loaded.RowState = 0;
    table.append(loaded);
    table.replaceChangeList({{7, 1, 2}});  // as an XML file gave it
    table.append(reading(10, "d", "4"));
    EXPECT_EQ(table.changeList(), (std::vector<ChangeTriple>{{7, 1, 2}, {2, 0, 4}}));

    table.clear();
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(table.changeCount(), 0u);
    table.append(reading(1, "e", "5"));
    EXPECT_EQ(table.changeList(), (std::vector<ChangeTriple>{{1, 0, 4}}));
}

// What a load that replaces the content would lose: readings appended since the table was
// emptied or last saved; records read from a file are in that file already.
TEST(LogTable, CountsReadingsNotSavedSinceTheLastSaveOrClear) {
    LogTable table;
    EXPECT_EQ(table.unsavedReadings(), 0u);
    table.append(reading(1, "a", "1"), RowOrigin::Reading);
    table.append(reading(2, "b", "2"), RowOrigin::Reading);
    table.append(reading(3, "c", "3"));  // from a file
    EXPECT_EQ(table.unsavedReadings(), 2u);
    table.markSaved();
    EXPECT_EQ(table.unsavedReadings(), 0u);
    EXPECT_EQ(table.rowCount(), 3u) << "saving keeps the rows";
    table.append(reading(4, "d", "4"), RowOrigin::Reading);
    EXPECT_EQ(table.unsavedReadings(), 1u);
    table.clear();
    EXPECT_EQ(table.unsavedReadings(), 0u) << "nothing is left to lose";
}

TEST(LogTable, TellsItsObserverAboutAppendsBatchesAndResets) {
    LogTable table;
    std::vector<std::string> events;
    table.addObserver({[&](std::size_t first, std::size_t count) {
                           events.push_back("append " + std::to_string(first) + "+" +
                                            std::to_string(count));
                       },
                       [&] { events.push_back("reset"); }});
    table.append(reading(1, "a", "1"));
    {
        const LogTableUpdate outer(table);
        table.append(reading(2, "a", "1"));
        {
            const LogTableUpdate inner(table);
            table.append(reading(3, "a", "1"));
        }
        table.append(reading(4, "a", "1"));
    }
    { const LogTableUpdate idle(table); }
    table.clear();
    {
        const LogTableUpdate reload(table);
        table.append(reading(5, "a", "1"));
        table.append(reading(6, "a", "1"));
    }
    EXPECT_EQ(events,
              (std::vector<std::string>{"append 0+1", "append 1+3", "reset", "append 0+2"}));
}

// The grid and the recovery journal both watch the table; one leaving must not silence the other.
TEST(LogTable, TellsEveryObserverUntilItIsRemoved) {
    LogTable table;
    std::vector<std::string> events;
    const auto watch = [&](std::string name) {
        return table.addObserver({[&events, name](std::size_t first, std::size_t count) {
                                      events.push_back(name + " " + std::to_string(first) + "+" +
                                                       std::to_string(count));
                                  },
                                  [&events, name] { events.push_back(name + " reset"); }});
    };
    const LogTable::ObserverId grid = watch("grid");
    watch("journal");
    table.append(reading(1, "a", "1"));
    table.removeObserver(grid);
    table.append(reading(2, "a", "1"));
    table.clear();
    EXPECT_EQ(events, (std::vector<std::string>{"grid 0+1", "journal 0+1", "journal 1+1",
                                                "journal reset"}));
}

}  // namespace

namespace {

TEST(LogTable, FirstTextMayBeEmptyAndClearStartsAfresh) {
    LogTable table;
    for (int round = 0; round < 2; ++round) {
        table.append(makeTextOnly(""));
        table.append(makeTextOnly(std::string(20, 'y')));
        EXPECT_EQ(table.text(0, LogField::Time), std::optional<std::string_view>(""));
        EXPECT_EQ(table.text(1, LogField::Time), std::string(20, 'y'));
        table.clear();
        EXPECT_EQ(table.pooledTextCount(), 0u);
    }
}

TEST(LogTable, GenerationMovesOnAtEveryClearAndOnlyThen) {
    LogTable table;
    const std::uint64_t start = table.generation();
    table.append(reading(1, "10:15:29", "05.98"));
    table.replaceChangeList({{1, 0, 4}});
    EXPECT_EQ(table.generation(), start) << "appends keep the rows already there";
    table.clear();
    const std::uint64_t afterFirstClear = table.generation();
    EXPECT_NE(afterFirstClear, start);
    table.append(reading(1, "10:15:29", "05.98"));
    table.clear();  // the same count of rows again, but not the same rows
    EXPECT_NE(table.generation(), afterFirstClear);
    const std::uint64_t emptied = table.generation();
    table.clear();
    EXPECT_NE(table.generation(), emptied) << "an empty table emptied again is still a clear";
}

}  // namespace
