#include "journal/journal_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<LogRecord> recordsOf(const LogTable& table) {
    std::vector<LogRecord> records;
    for (std::size_t row = 0; row < table.rowCount(); ++row)
        records.push_back(table.record(row));
    return records;
}

std::string journalOf(const LogTable& table) {
    std::string bytes(kJournalHeader);
    for (std::size_t row = 0; row < table.rowCount(); ++row)
        appendJournalLine(table, row, bytes);
    return bytes;
}

std::vector<LogRecord> readBack(std::string_view bytes, JournalSummary* summary = nullptr) {
    std::vector<LogRecord> records;
    const JournalSummary read =
        readJournal(bytes, [&](const LogRecord& record) { records.push_back(record); });
    if (summary) *summary = read;
    return records;
}

LogRecord reading(std::int32_t no, std::int64_t time, std::string value) {
    LogRecord r;
    r.No = no;
    r.Time = "12:00:00";
    r.DcAc = "DC";
    r.Value = std::move(value);
    r.Unit = "V";
    r.Auto = "pass";
    r.dateTimeUtcMs = time;
    return r;
}

// Whatever a row holds comes back as it was: nulls beside empty texts, the bytes the format
// uses itself, code-page bytes, row states, NVal, date-times of any sign or none.
TEST(JournalFormat, RowsComeBackExactly) {
    LogTable table;
    LogRecord first = reading(1, 1'796'915'730'250, "5.99");
    first.rangeMode = "MANU";
    table.append(first, RowOrigin::Reading);
    LogRecord odd;
    odd.Time = "";
    odd.DcAc = std::string("a\tb\nc\rd\\e\0f", 12);
    odd.Value = "=x";
    odd.Unit = "\xB5\xEA";  // code-page bytes
    odd.NVal = -7;
    odd.RowState = 2;
    table.append(odd);
    LogRecord past = reading(INT32_MIN, -1, "\\t");
    past.Auto.reset();
    table.append(past);
    const std::string bytes = journalOf(table);

    JournalSummary summary;
    EXPECT_EQ(readBack(bytes, &summary), recordsOf(table));
    EXPECT_EQ(summary.rows, 3u);
    EXPECT_EQ(summary.firstTime, -1);
    EXPECT_EQ(summary.lastTime, 1'796'915'730'250);
    EXPECT_EQ(summary.damagedLine, 0u);
    EXPECT_EQ(bytes.find('\r'), std::string::npos) << "a row is one line";
}

struct DamageCase {
    const char* name;
    std::string bytes;
    std::size_t rows;
    std::size_t damagedLine;
};

void PrintTo(const DamageCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string kHeader(kJournalHeader);
const std::string kRow = "R\t1000\t4\t1\t=00:00:01\t=DC\t=1\t=V\t=pass\t\t=AUTO\n";

class JournalDamage : public testing::TestWithParam<DamageCase> {};

// A crash tears at most the last line; anything else unreadable stops the reading there, keeping
// the rows before it.
TEST_P(JournalDamage, ReadsTheRowsBeforeTheDamage) {
    JournalSummary summary;
    const std::vector<LogRecord> records = readBack(GetParam().bytes, &summary);
    EXPECT_EQ(records.size(), GetParam().rows);
    EXPECT_EQ(summary.rows, GetParam().rows);
    EXPECT_EQ(summary.damagedLine, GetParam().damagedLine);
    EXPECT_EQ(summarizeJournal(GetParam().bytes).rows, GetParam().rows);
}

const DamageCase kDamageCases[] = {
    {"Empty", "", 0, 0},
    {"TornHeader", kHeader.substr(0, 5), 0, 0},
    {"HeaderOnly", kHeader, 0, 0},
    {"TornLastLine", kHeader + kRow + kRow.substr(0, 12), 1, 0},
    {"NotAJournal", "No\tTime\tDC/AC\r\n" + kRow, 0, 1},
    {"TooFewFields", kHeader + kRow + "R\t1000\t4\t1\n" + kRow, 1, 3},
    {"TooManyFields", kHeader + kRow.substr(0, kRow.size() - 1) + "\t\n" + kRow, 0, 2},
    {"TextWithoutMark", kHeader + "R\t1000\t4\t1\t00:00:01\t\t\t\t\t\t\n", 0, 2},
    {"UnknownEscape", kHeader + "R\t1000\t4\t1\t=a\\x\t\t\t\t\t\t\n", 0, 2},
    {"NumberWithJunk", kHeader + kRow + "R\t1000x\t4\t1\t\t\t\t\t\t\t\n", 1, 3},
    {"StateOutOfRange", kHeader + "R\t1000\t256\t1\t\t\t\t\t\t\t\n", 0, 2},
    {"NoState", kHeader + "R\t1000\t\t1\t\t\t\t\t\t\t\n", 0, 2},
};
INSTANTIATE_TEST_SUITE_P(Journal, JournalDamage, testing::ValuesIn(kDamageCases),
                         [](const testing::TestParamInfo<DamageCase>& c) { return c.param.name; });

}  // namespace
