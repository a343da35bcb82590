#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "cli_process.h"
#include "sim/sim_scenario.h"

namespace {

/// Rows of a TAB text file after checking its header and CR LF line ends.
std::vector<std::vector<std::string>> textRows(const std::string& bytes) {
    std::vector<std::vector<std::string>> rows;
    std::size_t start = 0;
    bool header = true;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "line without CR LF";
        if (end == std::string::npos) break;
        const std::string line = bytes.substr(start, end - start);
        start = end + 2;
        if (header) {
            EXPECT_EQ(line, "No\tTime\tDC/AC\tValue\tUnit\tAUTO");
            header = false;
            continue;
        }
        std::vector<std::string> fields;
        std::size_t from = 0;
        for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1) {
            fields.push_back(line.substr(from, tab - from));
        }
        fields.push_back(line.substr(from));
        rows.push_back(fields);
    }
    EXPECT_FALSE(header) << "no header line";
    return rows;
}

struct LogCase {
    const char* name;
    std::string options;
    std::size_t packets;
    bool repeatFilter;
    std::size_t limit;
};
void PrintTo(const LogCase& c, std::ostream* os) {
    *os << c.name;
}

class LogCommand : public ::testing::TestWithParam<LogCase> {
protected:
    TempFolder m_folder;
};

TEST_P(LogCommand, LogsDecodedReadingsByTheLogRulesAndRoundTripsThroughConvert) {
    const LogCase& c = GetParam();
    const std::string logFile = m_folder.file("log.txt");
    const ProcessResult r = runShell(shellQuote(kCliPath) + " sim --rate 0 --seed 5 --count " +
                                     std::to_string(c.packets) + " | " + shellQuote(kCliPath) +
                                     " log " + c.options + " --out " + shellQuote(logFile));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Save table to specified file: " + logFile + " Scuss!\n");
    const std::string saved = readFile(logFile);
    const auto rows = textRows(saved);

    // What the log should hold, from what the simulator sent.
    MeterSimulator simulator(5);
    std::string lastKey;
    std::size_t expected = 0;
    const std::regex time("[0-2][0-9]:[0-5][0-9]:[0-5][0-9]");
    for (std::size_t no = 1; no <= c.packets; ++no) {
        const SimPacket packet = simulator.next();
        const SimExpectation want = expectationFor(packet);
        const bool autoRange = packet.display.flags.test(std::size_t(Annunciator::AutoRange));
        const std::string key = want.value + std::string(want.function) + std::string(want.unit) +
                                (autoRange ? "AUTO" : "MANU");
        if (expected == c.limit) break;
        if (c.repeatFilter && key == lastKey) continue;
        lastKey = key;
        ASSERT_LT(expected, rows.size());
        const std::vector<std::string>& row = rows[expected++];
        SCOPED_TRACE(packet.step->name);
        ASSERT_EQ(row.size(), 6U);
        EXPECT_EQ(row[0], std::to_string(no));
        EXPECT_TRUE(std::regex_match(row[1], time)) << row[1];
        EXPECT_EQ(row[2], want.function);
        EXPECT_EQ(row[3], want.value);
        EXPECT_EQ(row[4], want.unit);
        EXPECT_EQ(row[5], want.numericKind == NumericKind::Overload ? "Fail" : "pass");
    }
    EXPECT_EQ(rows.size(), expected);

    // TAB text -> XML -> XML -> TAB text gives the same bytes.
    const std::string xml = m_folder.file("log.xml"), xml2 = m_folder.file("again.xml"),
                      back = m_folder.file("back.txt");
    for (const auto& [in, out] : {std::pair{logFile, xml}, {xml, xml2}, {xml2, back}}) {
        const ProcessResult conv =
            runShell(shellQuote(kCliPath) + " convert " + shellQuote(in) + " " + shellQuote(out));
        ASSERT_EQ(conv.status, 0) << in << ": " << conv.err;
        EXPECT_EQ(conv.out, "Save table to specified file: " + out + " Scuss!\n");
    }
    EXPECT_EQ(readFile(xml).rfind("<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET", 0),
              0U);
    EXPECT_EQ(readFile(xml), readFile(xml2));
    EXPECT_EQ(readFile(back), saved);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, LogCommand,
    ::testing::Values(LogCase{"EveryReading", "", 60, false, 10000},
                      // hold, MAX and MIN steps repeat themselves; RecordNo still advances
                      LogCase{"NoRepeat", "--no-repeat", 120, true, 10000},
                      LogCase{"RecordLimit", "--limit 1000", 1003, false, 1000},
                      LogCase{"EmptyInput", "", 0, false, 10000}),
    [](const ::testing::TestParamInfo<LogCase>& param) { return param.param.name; });

TEST(LogCommandErrors, RefusesBadOptionsAndReportsAFailedSave) {
    TempFolder folder;
    const std::string cli = shellQuote(kCliPath);
    EXPECT_EQ(runShell(cli + " log", "").status, 2);                        // no --out
    EXPECT_EQ(runShell(cli + " log --limit 7 --out x.txt", "").status, 2);  // no choice
    EXPECT_EQ(runShell(cli + " log --high x --out " + folder.file("a.txt")).status, 2);
    EXPECT_EQ(runShell(cli + " log --out /nonexistent-folder/a.txt", "").status, 1);

    // A folder in the target's place cannot be replaced by the saved file.
    std::filesystem::create_directory(folder.file("taken.txt"));
    const ProcessResult r =
        runShell(cli + " log --out " + shellQuote(folder.file("taken.txt")), "");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Could not save table to specified file: " + folder.file("taken.txt")),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("taken.txt")));
}

TEST(ConvertTarget, RefusesSpecialFilesWithoutBlockingAndLeavesThem) {
    TempFolder folder;
    const std::string in = folder.file("in.txt");
    writeFile(in, "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n1\t10:00:00\tDC\t1.0\tV\tpass\r\n");
    const std::string fifo = folder.file("pipe.txt");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    std::vector<std::string> targets = {fifo};
    const std::string node = folder.file("device.xml");
    if (mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) targets.push_back(node);
    for (const std::string& target : targets) {
        // A save that waited on the FIFO would be ended by timeout (status 124).
        const ProcessResult r = runShell("timeout 20 " + shellQuote(kCliPath) + " convert " +
                                         shellQuote(in) + " " + shellQuote(target));
        EXPECT_EQ(r.status, 1) << target << ": " << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Not a regular file"), std::string::npos) << r.err;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    if (targets.size() > 1) {
        EXPECT_TRUE(std::filesystem::is_character_file(node));
    }
}

struct BadInputCase {
    const char* name;
    const char* file;
    std::optional<std::string> bytes;  // nullopt: the file does not exist
};
void PrintTo(const BadInputCase& c, std::ostream* os) {
    *os << c.name;
}

// A journal the window kept when its readings were not restored turns into any data file, with
// the date-times of its rows.
TEST(Convert, AKeptJournalBecomesADataFile) {
    TempFolder folder;
    const std::string in = folder.file("readings-2026-12-10_10-15-30.journal");
    writeFile(in,
              "VXM90 journal 1\n"
              "R\t1796897730125\t4\t1\t=10:15:30\t=DC\t=05.99\t=V\t=pass\t\t=AUTO\n"
              "R\t\t4\t2\t=10:15:31\t=DC\t=06.01\t=V\t=Fail\t\t\n");
    const std::string csv = folder.file("out.csv");
    const ProcessResult r = runShell("TZ=UTC0 " + shellQuote(kCliPath) + " convert " +
                                     shellQuote(in) + " " + shellQuote(csv));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(csv),
              "time,no,function,value,unit,display,display_unit,range,judge,overload\r\n"
              "2026-12-10T10:15:30.125+00:00,1,DC,5.99,V,05.99,V,AUTO,pass,0\r\n"
              "10:15:31,2,DC,6.01,V,06.01,V,,Fail,0\r\n");
    const std::string text = folder.file("out.txt");
    ASSERT_EQ(runShell(shellQuote(kCliPath) + " convert " + shellQuote(in) + " " + shellQuote(text))
                  .status,
              0);
    EXPECT_EQ(readFile(text),
              "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n1\t10:15:30\tDC\t05.99\tV\tpass\r\n"
              "2\t10:15:31\tDC\t06.01\tV\tFail\r\n");
}

class ConvertFailure : public ::testing::TestWithParam<BadInputCase> {};

TEST_P(ConvertFailure, PrintsTheLoadMessageAndLeavesOutUntouched) {
    const BadInputCase& c = GetParam();
    TempFolder folder;
    const std::string in = folder.file(c.file);
    if (c.bytes) writeFile(in, *c.bytes);
    for (const char* outName : {"earlier.txt", "earlier.xml", "new.txt"}) {
        const std::string out = folder.file(outName);
        const bool existed = std::string(outName).rfind("earlier", 0) == 0;
        if (existed) writeFile(out, "the user's earlier file\r\n");
        const ProcessResult r =
            runShell(shellQuote(kCliPath) + " convert " + shellQuote(in) + " " + shellQuote(out));
        EXPECT_EQ(r.status, 1) << outName;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("Failed to Load File!\n", 0), 0U) << r.err;
        if (existed) {
            EXPECT_EQ(readFile(out), "the user's earlier file\r\n");
        } else {
            EXPECT_FALSE(fileExists(out));
        }
    }
    // Nothing else appeared in the folder (no temporary files left behind).
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, (c.bytes ? 1U : 0U) + 2U);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ConvertFailure,
    ::testing::Values(
        BadInputCase{"MissingFile", "missing.txt", std::nullopt},
        BadInputCase{"DamagedJournal", "readings.journal", "VXM90 journal 1\nR\t1\t4\n"},
        BadInputCase{"EmptyTextFile", "empty.txt", ""},
        BadInputCase{
            "EightTokens", "eight.txt",
            "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n1\t10:00:00\tDC\t1.0\tV\tpass\t7\t8\r\n"},
        BadInputCase{"NoNotANumber", "letters.txt", "header\r\nabc\t10:00:00\tDC\r\n"},
        BadInputCase{"NotAPacket", "plain.xml", "<?xml version=\"1.0\"?><other/>"},
        BadInputCase{"MissingField", "fields.xml",
                     "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\">"
                     "<METADATA><FIELDS><FIELD attrname=\"No\" fieldtype=\"i4\"/></FIELDS>"
                     "<PARAMS/></METADATA><ROWDATA></ROWDATA></DATAPACKET>"}),
    [](const ::testing::TestParamInfo<BadInputCase>& param) { return param.param.name; });

}  // namespace

namespace {

TEST(LogCommandStop, SavesWhatWasLoggedWhenTerminated) {
    // A live feed never ends; SIGTERM must end the logger with its log saved.
    TempFolder folder;
    const std::string file = folder.file("live.txt");
    const ProcessResult r =
        runShell(shellQuote(kCliPath) + " sim --rate 20 | " + shellQuote(kCliPath) + " log --out " +
                 shellQuote(file) + " & pid=$!; sleep 1; kill -TERM $pid; wait $pid");
    EXPECT_EQ(r.status, 0) << r.err;
    const auto rows = textRows(readFile(file));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0][3], "5.123");
}

}  // namespace
