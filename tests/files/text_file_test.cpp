#include "files/text_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/data_files.h"
#include "test_files_fixture.h"

namespace {

std::string textOf(const LogTable& table) {
    OutputBuffer out;
    writeTextTable(table, out);
    return out.bytes();
}

TEST(TextFile, WritesHeaderTrimmedTextsAndNullMarkers) {
    LogTable table;
    EXPECT_EQ(textOf(table), "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n");
    table.append(makeRecord(12, "10:15:30", "DC", "1.234", "V", "pass"));
    table.append(makeRecord(-3, " 3:15:30 PM\t", "", std::nullopt, "k*", "\x01pass ", 5));
    table.append(makeRecord(std::nullopt, "x", "AC", "0.L", "#", "Fail"));
    EXPECT_EQ(textOf(table),
              "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n"
              "12\t10:15:30\tDC\t1.234\tV\tpass\r\n"
              "-3\t3:15:30 PM\tNULL\tNULL\tk*\tpass\r\n"
              "\tx\tAC\t0.L\t#\tFail\r\n");
}

TEST(TextFile, TextsThatWouldBreakTheLinesLoadBackAsTheSameRecords) {
    // Texts of an XML load may hold any byte. TAB, CR, LF and NUL would split or cut the line,
    // so each becomes a blank; a text that begins with a double quote is written quoted.
    LogTable table;
    table.append(makeRecord(1, "a\tb", "c\r\nd", std::string("e\0f", 3), "\"q\"", "\"", 7));
    table.append(makeRecord(2, "x", "\"a\"\"b", "y\"z", "\r", std::string(1, '\0')));
    const std::string text = textOf(table);
    EXPECT_EQ(text,
              "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n"
              "1\ta b\tc  d\te f\t\"\"\"q\"\"\"\t\"\"\"\"\r\n"
              "2\tx\t\"\"\"a\"\"\"\"b\"\ty\"z\tNULL\tNULL\r\n");
    LogTable loaded;
    const FileResult result = loadTextTable(text, loaded, NumberFormat{});
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(recordsOf(loaded),
              (std::vector<LogRecord>{makeRecord(1, "a b", "c  d", "e f", "\"q\"", "\""),
                                      makeRecord(2, "x", "\"a\"\"b", "y\"z", "NULL", "NULL")}));
    EXPECT_EQ(textOf(loaded), text);
}

struct LoadCase {
    const char* name;
    std::string bytes;
    bool ok;
    std::size_t failingLine;
    std::vector<LogRecord> records;  // what the table holds afterwards
};

void PrintTo(const LoadCase& c, std::ostream* os) {
    *os << c.name;
}

class TextLoad : public testing::TestWithParam<LoadCase> {};

TEST_P(TextLoad, LoadsTheExpectedRecords) {
    const LoadCase& c = GetParam();
    LogTable table;
    NumberFormat numbers;
    const FileResult result = loadTextTable(c.bytes, table, numbers);
    EXPECT_EQ(result.ok, c.ok);
    if (c.ok) {
        EXPECT_EQ(result.kind, FileMessageKind::None);
        EXPECT_TRUE(result.message.empty());
    } else {
        EXPECT_EQ(result.kind, FileMessageKind::Error);
        EXPECT_EQ(result.message, "Failed to Load File!");
        EXPECT_EQ(result.caption, "Error");
        EXPECT_EQ(result.line, c.failingLine);
    }
    EXPECT_EQ(recordsOf(table), c.records);
    for (std::size_t i = 0; i < table.rowCount(); ++i)
        EXPECT_EQ(table.rowState(i), 4);
}

const std::string kHeader = "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n";

const LoadCase kLoadCases[] = {
    {"EmptyFileFails", "", false, 0, {}},
    {"NulAtStartLeavesNoLine", std::string("\0abc\r\n1 a", 9), false, 0, {}},
    {"HeaderOnlyLoadsNothing", kHeader, true, 0, {}},
    {"HeaderWithoutLineEnd", "No Time", true, 0, {}},
    {"SavedLine",
     kHeader + "12\t10:15:30\tDC\t1.234\tV\tpass\r\n",
     true,
     0,
     {makeRecord(12, "10:15:30", "DC", "1.234", "V", "pass")}},
    {"TwelveHourTimeInTabLineStaysWhole",
     kHeader + "5\t3:15:30 PM\tDC\t1.2\tV\tpass\r\n",
     true,
     0,
     {makeRecord(5, "3:15:30 PM", "DC", "1.2", "V", "pass")}},
    {"EmptyTabPieceHasNoValue",
     kHeader + "\t10:15:30\t\t1\tV\tFail\t\t\t\r\n",
     true,
     0,
     {makeRecord(std::nullopt, "10:15:30", std::nullopt, "1", "V", "Fail")}},
    {"NullIsStoredAsText",
     kHeader + "1\tt\tNULL\tv\tu\ta\r\n",
     true,
     0,
     {makeRecord(1, "t", "NULL", "v", "u", "a")}},
    {"SeventhTokenGoesToNVal",
     kHeader + "1 t f v u a -9\r\n",
     true,
     0,
     {makeRecord(1, "t", "f", "v", "u", "a", -9)}},
    {"EighthTokenFailsKeepingEarlierLines",
     kHeader + "1 t f v u a\r\n2 t f v u a 7 8\r\n3 t f v u a\r\n",
     false,
     3,
     {makeRecord(1, "t", "f", "v", "u", "a")}},
    {"EighthTabPieceFails", kHeader + "1\tt\tf\tv\tu\ta\t7\t8\n", false, 2, {}},
    {"BlankSeparatedTokensMoveRight",
     kHeader + "1 3:15:30 PM DC 1.2 V\r\n",
     true,
     0,
     {makeRecord(1, "3:15:30", "PM", "DC", "1.2", "V")}},
    {"BlankSeparatedDayPeriodPushesTextIntoNVal",
     kHeader + "1 3:15:30 PM DC 1.2 V pass\r\n",
     false,
     2,
     {}},
    {"NoWordFailsTheLine", kHeader + "NULL\tt\tf\tv\tu\ta\r\n", false, 2, {}},
    {"FractionIsNoInteger", kHeader + "1.5 t\r\n", false, 2, {}},
    {"LongTokenIsCut",
     kHeader + "1 abcdefghijklmnopqrstuvwxyz\r\n",
     true,
     0,
     {makeRecord(1, "abcdefghijklmnopqrst", {}, {}, {}, {})}},
    {"QuotedTokens",
     kHeader + "1 \"a b\"\"c\"x \"\" \"open end\r\n",
     true,
     0,
     {makeRecord(1, "a b\"c", "x", "", "open en", {})}},
    {"QuotedTabPiece",
     kHeader + "1\t\"a\tb\r\n2\t \"q\"\"t\" \tz\r\n",
     true,
     0,
     {makeRecord(1, "", "b", {}, {}, {}), makeRecord(2, "q\"t", "z", {}, {}, {})}},
    {"BlankAndControlLinesAreSkipped",
     kHeader + "\r\n   \r\n\t\t\r\n\x01\x02\r\n1 a\r\n",
     true,
     0,
     {makeRecord(1, "a", {}, {}, {}, {})}},
    {"MixedLineEnds",
     "h\r1 a\n2 b\r\n\r3 c",
     true,
     0,
     {makeRecord(1, "a", {}, {}, {}, {}), makeRecord(2, "b", {}, {}, {}, {}),
      makeRecord(3, "c", {}, {}, {}, {})}},
    {"NulEndsTheText",
     std::string("h\r\n1 a\r\n2 b\0\r\n3 c\r\n", 19),
     true,
     0,
     {makeRecord(1, "a", {}, {}, {}, {}), makeRecord(2, "b", {}, {}, {}, {})}},
    {"XmlPacketReadAsTextIsOnlyAHeader",
     "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"></DATAPACKET>",
     true,
     0,
     {}},
    {"SignedAndGroupedNumbers",
     kHeader + "+5 a\r\n-2147483648 b\r\n1,234 c\r\n",
     true,
     0,
     {makeRecord(5, "a", {}, {}, {}, {}), makeRecord(-2147483648, "b", {}, {}, {}, {}),
      makeRecord(1234, "c", {}, {}, {}, {})}},
    {"OutOfRangeNumberFails", kHeader + "2147483648 a\r\n", false, 2, {}},
};

INSTANTIATE_TEST_SUITE_P(FileToTable, TextLoad, testing::ValuesIn(kLoadCases),
                         [](const testing::TestParamInfo<LoadCase>& p) { return p.param.name; });

TEST(TextFile, DiagnosticsQuoteOnlyTheStartOfAHugeToken) {
    LogTable table;
    const std::string huge = "x" + std::string(1 << 20, '\x1b') + "y";
    const FileResult result = loadTextTable(kHeader + huge + "\tt\r\n", table, NumberFormat{});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.line, 2u);
    EXPECT_EQ(result.reason,
              "'x" + std::string(kExcerptLength - 1, '?') + "...' is not a valid integer for No");
}

TEST(TextFile, IntegerConversion) {
    NumberFormat comma;  // "," groups
    NumberFormat dot;
    dot.decimalSeparator = ',';
    dot.thousandSeparator = '.';
    const struct {
        const char* text;
        const NumberFormat& format;
        std::optional<std::int32_t> value;
    } cases[] = {
        {"0", comma, 0},
        {"-0", comma, 0},
        {"007", comma, 7},
        {"2147483647", comma, 2147483647},
        {"-2147483649", comma, std::nullopt},
        {"12,345,678", comma, 12345678},
        {"1.234", dot, 1234},
        {"1.234", comma, std::nullopt},
        {"12,34", comma, std::nullopt},
        {",123", comma, std::nullopt},
        {"1234,567", comma, std::nullopt},
        {"1,234,", comma, std::nullopt},
        {"", comma, std::nullopt},
        {"-", comma, std::nullopt},
        {"NULL", comma, std::nullopt},
        {" 1", comma, std::nullopt},
        {"1e3", comma, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseTableInteger(c.text, c.format), c.value) << c.text;
}

using TextFileOnDisk = ScratchFolder;

TEST_F(TextFileOnDisk, SaveThenLoadGivesTheSameRecords) {
    LogTable table;
    table.append(makeRecord(1, "10:15:30", "DC", "1.234", "V", "pass"));
    table.append(makeRecord(2, "3:15:31 PM", "AC", "-0.5", "mV", "Fail"));  // sampled, 12-hour
    table.append(makeRecord(-40, "10:15:32", "TMP", "0.L", "#", "pass"));
    const std::string file = path("log.xls");
    const FileResult saved = TableToTextFile(table, file);
    ASSERT_TRUE(saved.ok) << saved.reason;
    EXPECT_EQ(saved.kind, FileMessageKind::Information);
    EXPECT_EQ(saved.caption, "Information");
    EXPECT_EQ(saved.message, "Save table to specified file: " + file + " Scuss!");

    LogTable loaded;
    const FileResult first = FileToTable(file, loaded, NumberFormat{});
    ASSERT_TRUE(first.ok) << first.reason;
    EXPECT_EQ(recordsOf(loaded), recordsOf(table));
    // A second load appends the same records again, numbers and all.
    ASSERT_TRUE(FileToTable(file, loaded, NumberFormat{}).ok);
    EXPECT_EQ(loaded.rowCount(), 6u);
    EXPECT_EQ(loaded.record(5), table.record(2));
    EXPECT_EQ(loaded.changeCount(), 6u);
}

TEST_F(TextFileOnDisk, UppercaseXmlExtensionIsSavedAsText) {
    LogTable table;
    table.append(makeRecord(1, "t", "DC", "1", "V", "pass"));
    const std::string file = path("log.XML");
    ASSERT_TRUE(saveTableFile(table, file).ok);
    EXPECT_EQ(readBytes(file), "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n1\tt\tDC\t1\tV\tpass\r\n");
}

TEST_F(TextFileOnDisk, FailedSaveReportsAndKeepsTheEarlierFile) {
    LogTable table;
    table.append(makeRecord(1, "t", "DC", "1", "V", "pass"));
    const std::string missing = path("no/such/folder/log.txt");
    const FileResult result = TableToTextFile(table, missing);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.kind, FileMessageKind::Error);
    EXPECT_EQ(result.caption, "Error");
    EXPECT_EQ(result.message, "Could not save table to specified file: " + missing);

    // A write that fails halfway leaves the old file and no temporary behind.
    const std::string file = path("old.txt");
    writeBytes(file, "earlier content");
    const auto failure = writeFileReplacing(file, [](OutputBuffer& out) {
        out.append(std::string(3 << 20, 'x'));  // several chunks already on disk
        return false;
    });
    EXPECT_TRUE(failure.has_value());
    EXPECT_EQ(readBytes(file), "earlier content");
    EXPECT_EQ(entries(), 1u);

    // A folder in the target's place is not destroyed either.
    const std::string folder = path("folder.txt");
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(TableToTextFile(table, folder).ok);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(entries(), 2u);
}

TEST_F(TextFileOnDisk, SaveReplacesAnExistingFileAndKeepsItsPermissions) {
    const std::string file = path("log.txt");
    writeBytes(file, std::string(100000, 'z'));
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    LogTable table;
    ASSERT_TRUE(TableToTextFile(table, file).ok);
    EXPECT_EQ(readBytes(file), "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n");
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
    EXPECT_EQ(entries(), 1u);
}

TEST_F(TextFileOnDisk, MissingFileFailsToLoad) {
    LogTable table;
    table.append(makeRecord(1, "t", {}, {}, {}, {}));
    const FileResult result = FileToTable(path("absent.txt"), table, NumberFormat{});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "Failed to Load File!");
    EXPECT_EQ(table.rowCount(), 1u);  // a text load never removes records
}

struct ExtensionCase {
    const char* name;
    bool xml;
};

TEST(DataFiles, XmlExtensionRule) {
    const ExtensionCase cases[] = {
        {"log.xml", true},
        {"/home/u/log.xml", true},
        {"C:\\data\\log.xml", true},
        {"c:log.xml", true},
        {".xml", true},
        {"log.XML", false},
        {"log.Xml", false},
        {"log.xml.txt", false},
        {"log.xmlx", false},
        {"log", false},
        {"log.", false},
        {"dir.xml/log", false},
        {"dir.xml\\log", false},
        {"a.xml:stream", false},
        {"", false},
    };
    for (const ExtensionCase& c : cases)
        EXPECT_EQ(hasXmlExtension(c.name), c.xml) << c.name;
}

}  // namespace
