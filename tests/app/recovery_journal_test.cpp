// The window's recovery journal: kept while the window runs, offered back after a run that did
// not end cleanly, kept aside when declined.
#include "app/shell/recovery_journal.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "journal/journal_file.h"
#include "journal/journal_format.h"
#include "journal/table_journal.h"
#include "window_test_support.h"

namespace {

namespace fs = std::filesystem;

std::string readBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> journalsIn(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> found;
    if (!fs::is_directory(folder)) return found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(prefix)) found.push_back(entry.path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<LogRecord> recordsOf(const LogTable& table) {
    std::vector<LogRecord> records;
    for (std::size_t row = 0; row < table.rowCount(); ++row)
        records.push_back(table.record(row));
    return records;
}

std::vector<LogRecord> journalRecords(const std::string& file) {
    std::vector<LogRecord> records;
    readJournal(readBytes(file), [&](const LogRecord& r) { records.push_back(r); });
    return records;
}

class RecoveryJournalTest : public testing::Test {
protected:
    RecoveryJournalTest() {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_root = fs::temp_directory_path() / ("vxm_journal_" + std::string(info->name()));
        fs::remove_all(m_root);
        fs::create_directories(m_root);
        folder = (m_root / "state" / "vxm90").string();
    }
    ~RecoveryJournalTest() override {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

    // A journal as a run leaves it when it dies: rows flushed, the file never removed.
    void leaveJournalOf(int rows, std::int64_t firstUtcMs) {
        LogTable table;
        std::string reason;
        TableJournal journal(table, JournalFile::create(folder, firstUtcMs, reason));
        for (int i = 0; i < rows; ++i) {
            LogRecord r;
            r.No = i + 1;
            r.Time = "10:15:30";
            r.DcAc = "DC";
            r.Value = "05.99";
            r.Unit = "V";
            r.Auto = "pass";
            r.dateTimeUtcMs = firstUtcMs + i * 400;
            table.append(r, RowOrigin::Reading);
        }
        journal.flush();
    }

    std::string folder;

private:
    fs::path m_root;
};

constexpr std::int64_t kTenDecember = 1'796'897'730'000;  // 2026-12-10 10:15:30 UTC

// Rows reach the journal within a second, not at each packet; a clean end removes it.
TEST_F(RecoveryJournalTest, RowsAreOnDiskWithinASecondAndACleanEndRemovesThem) {
    WindowFixture f(true, folder);
    f.window->offerLeftoverJournals();
    const std::string file = f.window->recoveryJournal().path();
    ASSERT_FALSE(file.empty());
    f.feed(dcVolts("0599"));
    f.feed(dcVolts("0600"));
    ASSERT_EQ(f.window->cds1().rowCount(), 2u);
    EXPECT_TRUE(journalRecords(file).empty());
    f.timers.advance(RecoveryJournal::kFlushIntervalMs - 1);
    EXPECT_TRUE(journalRecords(file).empty());
    f.timers.advance(1);
    EXPECT_EQ(journalRecords(file), recordsOf(f.window->cds1()));

    f.window->RecordNewClick();  // asks, then clears
    f.timers.advance(RecoveryJournal::kFlushIntervalMs);
    EXPECT_EQ(journalRecords(file), recordsOf(f.window->cds1()));
    EXPECT_TRUE(f.dialogs.errors.empty());

    f.window->finishJournal();
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(RecoveryJournalTest, DeclinedReadingsAreKeptUnderTheirDateAndNotAskedAgain) {
    leaveJournalOf(3, kTenDecember);
    const std::string left = journalsIn(folder, "run-").at(0);
    const std::vector<LogRecord> rows = journalRecords(left);
    {
        WindowFixture f(true, folder);
        f.dialogs.confirmAnswer = false;
        f.window->offerLeftoverJournals();
        ASSERT_EQ(f.dialogs.questions.size(), 1u);
        EXPECT_EQ(f.dialogs.questions[0].text,
                  "The readings of an earlier run were not saved (3 readings, from 2026-12-10 "
                  "10:15:30 to 2026-12-10 10:15:30). Restore them into the log?");
        const std::string kept = folder + "/readings-2026-12-10_10-15-30.journal";
        EXPECT_EQ(f.dialogs.informations,
                  std::vector<QString>{QString::fromStdString(
                      "The readings are kept in " + kept +
                      " (\"vxm90-cli convert\" turns it into a data file).")});
        EXPECT_EQ(journalRecords(kept), rows);
        EXPECT_FALSE(fs::exists(left));
        EXPECT_TRUE(f.window->cds1().empty());
        f.window->finishJournal();
    }
    WindowFixture again(true, folder);
    again.window->offerLeftoverJournals();
    EXPECT_TRUE(again.dialogs.questions.empty());
}

// A journal folder that cannot be made: told once, and logging goes on without a journal.
TEST_F(RecoveryJournalTest, AFolderThatCannotBeWrittenIsToldOnceAndLoggingGoesOn) {
    fs::create_directories(fs::path(folder).parent_path().parent_path());
    std::ofstream(fs::path(folder).parent_path()) << "a file where the folder should be";
    WindowFixture f(true, folder);
    f.window->offerLeftoverJournals();
    ASSERT_EQ(f.dialogs.errors.size(), 1u);
    EXPECT_EQ(f.dialogs.errors[0],
              QString::fromStdString("The readings cannot be kept safe from a crash: " + folder +
                                     ": Not a directory. Logging goes on; save the log to keep "
                                     "them."));
    f.feed(dcVolts("0599"));
    f.timers.advance(10 * RecoveryJournal::kFlushIntervalMs);
    EXPECT_EQ(f.window->cds1().rowCount(), 1u);
    EXPECT_EQ(f.dialogs.errors.size(), 1u);
    f.window->finishJournal();
}

// The program itself (vxm90-dev, fed meter packets from a file, ten a second), headless, with its
// journal under `stateHome`. Killed with SIGKILL when it goes.
class RunningProgram {
public:
    RunningProgram(const std::string& stateHome, const std::string& feedFile) {
        const std::string program = std::string(VXM_BINARY_DIR) + "/app/vxm90-dev";
        std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "XDG_STATE_HOME=" + stateHome,
                                        "HOME=" + stateHome, "VXM90_FEED_FILE=" + feedFile};
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        if (posix_spawn(&m_pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
            m_pid = -1;
        }
    }
    ~RunningProgram() { kill(); }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return m_pid > 0; }
    /// True when SIGKILL ended it.
    bool kill() {
        if (m_pid <= 0) return false;
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

private:
    pid_t m_pid = -1;
};

class RunningProgramTest : public RecoveryJournalTest {
protected:
    RunningProgramTest() {
        fs::create_directories(fs::path(folder).parent_path());
        const std::string feed = fs::path(folder).parent_path().string() + "/feed.bin";
        std::ofstream out(feed, std::ios::binary);
        for (const Packet& p : {dcVolts("0599"), dcVolts("0600"), dcVolts("0601")})
            out.write(reinterpret_cast<const char*>(p.data()), p.size());
        out.close();
        program = std::make_unique<RunningProgram>(fs::path(folder).parent_path().string(), feed);
    }

    // Waits (bounded) until the program's journal holds `rows` rows on disk; its path or "".
    std::string journalWithRows(std::size_t rows) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            const auto files = journalsIn(folder, "run-");
            if (!files.empty() && summarizeJournal(readBytes(files[0])).rows >= rows) {
                return files[0];
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return {};
    }

    std::unique_ptr<RunningProgram> program;
};

// Two windows at once: each journals on its own, and a starting window never offers the
// readings of one that runs.
TEST_F(RunningProgramTest, ARunningWindowsJournalIsNeverOffered) {
    ASSERT_TRUE(program->started());
    const std::string running = journalWithRows(1);
    ASSERT_FALSE(running.empty()) << "the program did not journal its readings";
    WindowFixture f(true, folder);
    f.window->offerLeftoverJournals();
    EXPECT_TRUE(f.dialogs.questions.empty());
    EXPECT_NE(f.window->recoveryJournal().path(), running);
    EXPECT_TRUE(fs::exists(running));
    f.feed(dcVolts("0599"));
    f.timers.advance(RecoveryJournal::kFlushIntervalMs);
    EXPECT_EQ(journalRecords(f.window->recoveryJournal().path()), recordsOf(f.window->cds1()));
    f.window->finishJournal();
}

// Killed with SIGKILL while it logs, the program's next start offers every reading it had put
// on disk, and Yes brings them all back, as unsaved readings in this run's journal.
TEST_F(RunningProgramTest, AKilledWindowsReadingsComeBackAtTheNextStart) {
    ASSERT_TRUE(program->started());
    const std::string left = journalWithRows(12);
    ASSERT_TRUE(program->kill());
    ASSERT_FALSE(left.empty()) << "the program did not journal its readings";
    const std::vector<LogRecord> rows = journalRecords(left);
    ASSERT_GE(rows.size(), 12u);

    WindowFixture f(true, folder);
    f.window->offerLeftoverJournals();
    ASSERT_EQ(f.dialogs.questions.size(), 1u);
    const std::regex asked(
        "The readings of an earlier run were not saved \\(" + std::to_string(rows.size()) +
        " readings, from \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d to \\d{4}-\\d\\d-\\d\\d "
        "\\d\\d:\\d\\d:\\d\\d\\)\\. Restore them into the log\\?");
    EXPECT_TRUE(std::regex_match(f.dialogs.questions[0].text.toStdString(), asked))
        << f.dialogs.questions[0].text.toStdString();
    EXPECT_EQ(recordsOf(f.window->cds1()), rows);
    EXPECT_EQ(f.window->cds1().unsavedReadings(), rows.size());
    EXPECT_FALSE(fs::exists(left));
    EXPECT_EQ(journalRecords(f.window->recoveryJournal().path()), rows)
        << "the restored rows are journaled again at once";
    f.window->finishJournal();
}

}  // namespace
