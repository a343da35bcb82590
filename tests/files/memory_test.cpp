// Loads and saves under a ceiling on heap memory (see heap_limit.h): bounded work must not need
// memory in proportion to the file, and running out must end as a failed load or save.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "files/data_files.h"
#include "files/text_file.h"
#include "files/xml_packet.h"
#include "heap_limit.h"
#include "test_files_fixture.h"

namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;
const std::string kHeader = "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n";

// Distinct texts on every line, so that the table's text pool grows with the file.
std::string manyRecords(std::size_t count) {
    std::string text = kHeader;
    for (std::size_t i = 1; i <= count; ++i) {
        text += std::to_string(i) + "\tt" + std::to_string(i) + "\tDC\tv" + std::to_string(i) +
                "\tV\tpass\r\n";
    }
    return text;
}

TEST(BoundedLoad, LineWithTooManyFieldsFailsAtTheEighthWithoutBuildingTheRest) {
    for (const char* separator : {"\t", " "}) {
        std::string bytes = kHeader + "1\ta\r\n2";
        for (int i = 0; i < 5'000'000; ++i) {
            bytes += separator;
            bytes += 'x';
        }
        bytes += "\r\n3\tb\r\n";
        LogTable table;
        FileResult result;
        {
            const HeapLimit limit(4 * kMiB);
            result = loadTextTable(bytes, table, NumberFormat{});
        }
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.message, "Failed to Load File!");
        EXPECT_EQ(result.line, 3u);
        EXPECT_EQ(result.reason, "more than seven fields");
        EXPECT_EQ(recordsOf(table), (std::vector{makeRecord(1, "a", {}, {}, {}, {})}));
    }
}

using BoundedFileLoad = ScratchFolder;

TEST_F(BoundedFileLoad, LargeFilesLoadWithoutACopyInMemory) {
    const std::string padding(16 * kMiB, ' ');
    const std::string text = path("big.txt");
    writeBytes(text, kHeader + "1\ta\r\n" + padding + "\r\n2\tb\r\n");
    const std::string xml = path("big.xml");
    {
        LogTable table;
        table.append(makeRecord(7, "x", "DC", "1", "V", "pass"));
        OutputBuffer out;
        writeXmlPacket(table, out);
        std::string packet = out.bytes();
        packet.insert(packet.find("</ROWDATA>"), padding);
        writeBytes(xml, packet);
    }
    LogTable fromText;
    LogTable fromXml;
    FileResult textResult;
    FileResult xmlResult;
    {
        const HeapLimit limit(4 * kMiB);
        textResult = FileToTable(text, fromText, NumberFormat{});
        xmlResult = FileToTable(xml, fromXml, NumberFormat{});
    }
    ASSERT_TRUE(textResult.ok) << textResult.reason;
    EXPECT_EQ(recordsOf(fromText), (std::vector{makeRecord(1, "a", {}, {}, {}, {}),
                                                makeRecord(2, "b", {}, {}, {}, {})}));
    ASSERT_TRUE(xmlResult.ok) << xmlResult.reason;
    EXPECT_EQ(recordsOf(fromXml), (std::vector{makeRecord(7, "x", "DC", "1", "V", "pass")}));
}

using OutOfMemory = ScratchFolder;

TEST_F(OutOfMemory, TextLoadFailsKeepingTheRecordsBeforeAndTheTableWorking) {
    const std::string file = path("many.txt");
    writeBytes(file, manyRecords(200'000));
    LogTable table;
    table.append(makeRecord(1, "earlier", {}, {}, {}, {}));
    FileResult result;
    {
        const HeapLimit limit(2 * kMiB);
        result = FileToTable(file, table, NumberFormat{});
    }
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "Failed to Load File!");
    EXPECT_EQ(result.caption, "Error");
    EXPECT_EQ(result.reason, "Out of memory");
    ASSERT_GT(result.line, 2u);
    // The earlier record and those of the lines before the failing one stay, whole.
    ASSERT_EQ(table.rowCount(), result.line - 1);
    EXPECT_EQ(table.record(0), makeRecord(1, "earlier", {}, {}, {}, {}));
    EXPECT_EQ(table.record(1), makeRecord(1, "t1", "DC", "v1", "V", "pass"));
    const std::size_t last = table.rowCount() - 1;
    EXPECT_EQ(table.record(last),
              makeRecord(static_cast<std::int32_t>(last), "t" + std::to_string(last), "DC",
                         "v" + std::to_string(last), "V", "pass"));
    table.append(makeRecord(9, "after", {}, {}, {}, {}));
    EXPECT_EQ(table.record(last + 1), makeRecord(9, "after", {}, {}, {}, {}));
}

TEST_F(OutOfMemory, XmlLoadFailsLeavingTheTableAsItWasAndWorking) {
    LogTable source;
    ASSERT_TRUE(loadTextTable(manyRecords(200'000), source, NumberFormat{}).ok);
    const std::string file = path("many.xml");
    ASSERT_TRUE(saveXmlPacket(source, file).ok);
    LogTable table;
    table.append(makeRecord(1, "earlier", {}, {}, {}, {}));
    FileResult result;
    {
        const HeapLimit limit(2 * kMiB);
        result = FileToTable(file, table, NumberFormat{});
    }
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "Failed to Load File!");
    EXPECT_EQ(result.reason, "Out of memory");
    EXPECT_GT(result.line, 0u);
    EXPECT_EQ(recordsOf(table), (std::vector{makeRecord(1, "earlier", {}, {}, {}, {})}));
    table.append(makeRecord(2, "after", {}, {}, {}, {}));
    EXPECT_EQ(table.change(1), (ChangeTriple{2, 0, 4}));
}

TEST(OutOfMemoryTable, FailedAppendLeavesTheTableConsistent) {
    // The first NVal value makes the table set up its NVal column for every earlier row.
    LogTable table;
    for (std::int32_t i = 0; i < 100'000; ++i)
        table.append(makeRecord(i, {}, {}, {}, {}, {}));
    bool threw = false;
    try {
        const HeapLimit limit(64 * 1024);
        table.append(makeRecord(-1, {}, {}, {}, {}, {}, 1));
    } catch (const std::bad_alloc&) {
        threw = true;
    }
    EXPECT_TRUE(threw);
    EXPECT_EQ(table.rowCount(), 100'000u);
    table.append(makeRecord(7, {}, {}, {}, {}, {}, 5));
    EXPECT_EQ(table.record(100'000), makeRecord(7, {}, {}, {}, {}, {}, 5));
    EXPECT_EQ(table.record(99'999), makeRecord(99'999, {}, {}, {}, {}, {}));
}

TEST_F(OutOfMemory, SavesFailKeepingTheEarlierFile) {
    LogTable table;
    for (std::int32_t i = 0; i < 1000; ++i)
        table.append(makeRecord(i, "t" + std::to_string(i), "DC", "1", "V", "pass"));
    const std::string text = path("log.txt");
    const std::string xml = path("log.xml");
    writeBytes(text, "earlier text");
    writeBytes(xml, "earlier xml");
    FileResult textResult;
    FileResult xmlResult;
    {
        const HeapLimit limit(64 * 1024);
        textResult = saveTableFile(table, text);
        xmlResult = saveTableFile(table, xml);
    }
    EXPECT_FALSE(textResult.ok);
    EXPECT_EQ(textResult.message, "Could not save table to specified file: " + text);
    EXPECT_EQ(textResult.reason, "Out of memory");
    EXPECT_FALSE(xmlResult.ok);
    EXPECT_EQ(xmlResult.kind, FileMessageKind::GeneralError);
    EXPECT_EQ(xmlResult.message, "Cannot create file \"" + xml + "\". Out of memory");
    EXPECT_EQ(readBytes(text), "earlier text");
    EXPECT_EQ(readBytes(xml), "earlier xml");
    EXPECT_EQ(entries(), 2u);
}

TEST_F(OutOfMemory, ConvertReportsTheFailedLoadAndLeavesItsTarget) {
    const std::string in = path("many.txt");
    writeBytes(in, manyRecords(200'000));
    const std::string out = path("out.xml");
    writeBytes(out, "earlier");
    std::ostringstream shown;
    std::ostringstream diagnostics;
    shown << std::string(64, ' ');  // the streams' buffers exist before the limit
    diagnostics << std::string(4096, ' ');
    shown.str("");
    diagnostics.str("");
    int status = 0;
    {
        const HeapLimit limit(2 * kMiB);
        status = runConvert({in, out}, shown, diagnostics);
    }
    EXPECT_EQ(status, kExitFailure);
    EXPECT_EQ(shown.str(), "");
    EXPECT_EQ(diagnostics.str().rfind("Failed to Load File!\n", 0), 0u) << diagnostics.str();
    EXPECT_NE(diagnostics.str().find("Out of memory"), std::string::npos) << diagnostics.str();
    EXPECT_EQ(readBytes(out), "earlier");
}

}  // namespace
