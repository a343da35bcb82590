#include "journal/journal_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "journal/journal_format.h"
#include "journal/table_journal.h"
#include "tests/files/test_files_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kStart = 1'796'915'730'250;  // 2026-12-10 15:15:30.250 UTC

LogRecord reading(std::int32_t no) {
    LogRecord r;
    r.No = no;
    r.Time = "15:15:30";
    r.DcAc = "DC";
    r.Value = std::to_string(no);
    r.Unit = "V";
    r.Auto = "pass";
    r.dateTimeUtcMs = kStart + no;
    return r;
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class JournalFolder : public ScratchFolder {
protected:
    std::unique_ptr<JournalFile> create() {
        std::string reason;
        auto file = JournalFile::create(folder, kStart, reason);
        EXPECT_TRUE(file) << reason;
        return file;
    }
    std::size_t rowsOnDisk(const std::string& file) const {
        return summarizeJournal(readBytes(file)).rows;
    }

    const std::string folder = path("state/vxm90");
};

// Rows reach the file at a flush, not at each append; a clear starts it afresh; a clean end
// removes it.
TEST_F(JournalFolder, FollowsTheTableInBatches) {
    LogTable table;
    table.append(reading(1), RowOrigin::Reading);
    auto journal = std::make_unique<TableJournal>(table, create());
    const std::string file = journal->path();
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{fs::path(file).filename().string()}));
    EXPECT_TRUE(fs::path(file).filename().string().starts_with("run-20261210-151530-"));
    EXPECT_EQ(readBytes(file), std::string(kJournalHeader));

    table.append(reading(2), RowOrigin::Reading);
    EXPECT_EQ(rowsOnDisk(file), 0u) << "appends only gather";
    journal->flush();
    EXPECT_EQ(rowsOnDisk(file), 2u) << "rows present at the start come first";
    EXPECT_EQ(journal->pendingBytes(), 0u);

    table.append(reading(3), RowOrigin::Reading);
    table.clear();
    table.append(reading(4), RowOrigin::Reading);
    journal->flush();
    std::vector<LogRecord> back;
    readJournal(readBytes(file), [&](const LogRecord& r) { back.push_back(r); });
    EXPECT_EQ(back, (std::vector{reading(4)}));

    journal->finish();
    EXPECT_TRUE(namesIn(folder).empty());
    EXPECT_FALSE(journal->takeFailure());
}

// An XML open replaces the log at once; the journal holds the new content, not the old.
TEST_F(JournalFolder, FollowsAContentThatReplacesTheOld) {
    LogTable table;
    table.append(reading(1), RowOrigin::Reading);
    TableJournal journal(table, create());
    journal.flush();
    LogTable loaded;
    loaded.append(reading(5));
    loaded.append(reading(6));
    table.replaceContent(loaded);
    journal.flush();
    std::vector<LogRecord> back;
    readJournal(readBytes(journal.path()), [&](const LogRecord& r) { back.push_back(r); });
    EXPECT_EQ(back, (std::vector{reading(5), reading(6)}));
}

// Two windows at once each keep their own journal and never offer the other's; once a run is
// gone without a clean end, its journal is a leftover, offered to one window only.
TEST_F(JournalFolder, LeftoversAreTheJournalsOfRunsThatAreGone) {
    auto first = create();
    auto second = create();
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->path(), second->path());
    EXPECT_TRUE(LeftoverJournal::find(folder).empty()) << "both runs go on";

    const std::string gone = first->path();
    first.reset();  // the process ended without removing it
    std::vector<LeftoverJournal> found = LeftoverJournal::find(folder);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path(), gone);
    EXPECT_TRUE(LeftoverJournal::find(folder).empty()) << "held by the window dealing with it";

    found[0].remove();
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_TRUE(LeftoverJournal::find(path("nowhere")).empty());
}

// A declined journal is kept under its date, never over another file, and not offered again.
TEST_F(JournalFolder, KeptJournalsTakeAFreeNameAndAreNotOfferedAgain) {
    fs::create_directories(folder);
    writeBytes(folder + "/readings-2026-12-10_15-15-30.journal", "earlier");
    create().reset();
    std::vector<LeftoverJournal> found = LeftoverJournal::find(folder);
    ASSERT_EQ(found.size(), 1u);
    std::string reason;
    const auto kept = found[0].keep("2026-12-10_15-15-30", reason);
    ASSERT_TRUE(kept) << reason;
    EXPECT_EQ(*kept, folder + "/readings-2026-12-10_15-15-30-2.journal");
    EXPECT_EQ(readBytes(folder + "/readings-2026-12-10_15-15-30.journal"), "earlier");
    EXPECT_EQ(readBytes(*kept), std::string(kJournalHeader));
    found.clear();
    EXPECT_TRUE(LeftoverJournal::find(folder).empty());
}

TEST_F(JournalFolder, AFolderThatCannotBeMadeIsAReason) {
    writeBytes(path("state"), "a file where the folder should be");
    std::string reason;
    EXPECT_EQ(JournalFile::create(folder, kStart, reason), nullptr);
    EXPECT_EQ(reason, folder + ": Not a directory");
}

// Ignores SIGXFSZ and caps the size of files this process writes, for one test: a full disk.
class FileSizeCap {
public:
    explicit FileSizeCap(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit cap = m_old;
        cap.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &cap);
    }
    ~FileSizeCap() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeCap(const FileSizeCap&) = delete;
    FileSizeCap& operator=(const FileSizeCap&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};

// A journal that cannot be written is told once; the log goes on taking rows.
TEST_F(JournalFolder, AWriteFailureIsToldOnceAndTheLogGoesOn) {
    LogTable table;
    TableJournal journal(table, create());
    {
        const FileSizeCap full(4096);
        for (int i = 1; i <= 200; ++i)
            table.append(reading(i), RowOrigin::Reading);
        journal.flush();
    }
    const auto failure = journal.takeFailure();
    ASSERT_TRUE(failure);
    EXPECT_EQ(*failure, journal.path() + ": File too large");
    EXPECT_TRUE(journal.failed());
    table.append(reading(201), RowOrigin::Reading);
    journal.flush();
    EXPECT_FALSE(journal.takeFailure()) << "told once";
    EXPECT_EQ(table.rowCount(), 201u);
    EXPECT_EQ(journal.pendingBytes(), 0u) << "nothing gathers after the failure";
}

TEST(JournalFolderName, FollowsTheBaseDirectoryRules) {
    EXPECT_EQ(journalFolder("/state", "/home/u"), "/state/vxm90");
    EXPECT_EQ(journalFolder("", "/home/u"), "/home/u/.local/state/vxm90");
    EXPECT_EQ(journalFolder("relative", "/home/u"), "/home/u/.local/state/vxm90");
    EXPECT_EQ(journalFolder("", ""), std::nullopt);
}

}  // namespace
