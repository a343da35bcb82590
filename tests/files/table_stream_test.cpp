#include "files/table_stream.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "files/csv_file.h"
#include "files/text_file.h"
#include "test_files_fixture.h"

namespace {

class TableStream : public ScratchFolder {
protected:
    static LogRecord reading(std::int32_t no) {
        return makeRecord(no, "10:15:3" + std::to_string(no % 10), "DC",
                          "1.23" + std::to_string(no % 10), "V", "pass");
    }
    static std::string savedText(const LogTable& table) {
        OutputBuffer out;
        writeTextTable(table, out);
        return out.bytes();
    }
};

TEST_F(TableStream, RowsReachTheFileAsTheyArriveAndEndAsASaveWouldWriteThem) {
    const std::string file = path("live.txt");
    LogTable table;
    TableFileStream stream(file, std::make_unique<TextRowFormat>());
    EXPECT_FALSE(std::filesystem::exists(file)) << "nothing is created before the first call";

    ASSERT_TRUE(stream.writeNewRows(table));
    EXPECT_EQ(readBytes(file), "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n") << "the header at once";
    table.append(reading(1));
    table.append(reading(2));
    ASSERT_TRUE(stream.writeNewRows(table));
    EXPECT_EQ(readBytes(file), savedText(table)) << "on disk before any sync or close";
    ASSERT_TRUE(stream.writeNewRows(table));
    EXPECT_EQ(readBytes(file), savedText(table)) << "no row twice";
    // A text the pool had not seen at the last call.
    table.append(makeRecord(3, "10:15:33", "AC", "\"q", "mV", "Fail"));
    ASSERT_TRUE(stream.sync());
    ASSERT_TRUE(stream.finish(table));
    EXPECT_EQ(readBytes(file), savedText(table));
    EXPECT_EQ(stream.rowsWritten(), 3u);
}

TEST_F(TableStream, CsvStreamedInPiecesEqualsTheWholeExport) {
    const FixedOffsetTimeZone zone(60);
    LogTable table;
    TableFileStream stream(path("live.csv"), std::make_unique<CsvRowFormat>(zone));
    for (std::int32_t no = 1; no <= 25; ++no) {
        LogRecord r = reading(no);
        r.Unit = no % 3 == 0 ? "k*" : "uF";
        r.dateTimeUtcMs = 1'796'919'876'250 + no * 250;
        table.append(r);
        if (no % 4 == 0) {
            ASSERT_TRUE(stream.writeNewRows(table));
        }
    }
    ASSERT_TRUE(stream.finish(table));
    OutputBuffer whole;
    CsvRowFormat format(zone);
    format.writeHeader(whole);
    format.writeRows(table, 0, table.rowCount(), whole);
    EXPECT_EQ(readBytes(path("live.csv")), whole.bytes());
}

TEST_F(TableStream, ReplacesAnEarlierFileButANewOneNeverTakesAnExistingName) {
    const std::string old = path("old.txt");
    writeBytes(old, std::string(5000, 'x'));
    LogTable table;
    table.append(reading(1));
    TableFileStream replacing(old, std::make_unique<TextRowFormat>());
    ASSERT_TRUE(replacing.finish(table));
    EXPECT_EQ(readBytes(old), savedText(table)) << "emptied first: nothing of the old file is left";

    const std::string journal = path("journal.txt");
    writeBytes(journal, "rows of an earlier run");
    TableFileStream fresh(journal, std::make_unique<TextRowFormat>(), TableFileStream::Create::New);
    EXPECT_FALSE(fresh.writeNewRows(table));
    EXPECT_EQ(fresh.failure(), "File exists");
    EXPECT_EQ(readBytes(journal), "rows of an earlier run");
}

TEST_F(TableStream, SpecialFilesAndMissingFoldersFailWithoutBlockingAndStayFailed) {
    LogTable table;
    table.append(reading(1));
    const std::string fifo = path("fifo.txt");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    TableFileStream toFifo(fifo, std::make_unique<TextRowFormat>());
    EXPECT_FALSE(toFifo.writeNewRows(table)) << "a FIFO without reader must not block";
    EXPECT_TRUE(toFifo.failure().has_value());

    TableFileStream toFolder(m_dir.string(), std::make_unique<TextRowFormat>());
    EXPECT_FALSE(toFolder.writeNewRows(table));

    TableFileStream missing(path("no/such/folder/x.txt"), std::make_unique<TextRowFormat>());
    EXPECT_FALSE(missing.writeNewRows(table));
    EXPECT_EQ(missing.failure(), "No such file or directory");
    EXPECT_FALSE(missing.finish(table)) << "a failure is never forgotten";
}

}  // namespace
