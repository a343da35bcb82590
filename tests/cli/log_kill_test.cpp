#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "cli_process.h"

extern char** environ;

namespace {

constexpr std::size_t kPackets = 30;

// A running `vxm90-cli log --out FILE` fed through a pipe this test holds open, so that the
// input never ends: only what the logger writes while it runs can reach the disk.
class RunningLogger {
public:
    explicit RunningLogger(const std::string& out) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
        const std::vector<std::string> words = {kCliPath, "log", "--out", out};
        std::vector<char*> argv;
        for (const std::string& w : words)
            argv.push_back(const_cast<char*>(w.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, kCliPath.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[0]);
        m_input = fds[1];
    }
    ~RunningLogger() {
        if (m_pid > 0) killNow();
        if (m_input >= 0) close(m_input);
    }
    bool started() const { return m_pid > 0 && m_input >= 0; }
    bool feed(const std::string& bytes) const {
        return write(m_input, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    /// SIGKILL: no handler runs, nothing is saved at an end.
    int killNow() {
        kill(m_pid, SIGKILL);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return status;
    }

private:
    pid_t m_pid = -1;
    int m_input = -1;
};

std::size_t lineCount(const std::string& file) {
    std::size_t lines = 0;
    for (const char c : readFile(file))
        lines += c == '\n' ? 1 : 0;
    return lines;
}

// Waits for the effect, the rows on disk, within a bound; false when they never come.
bool waitForLines(const std::string& file, std::size_t lines) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
        if (fileExists(file) && lineCount(file) >= lines) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

struct KillCase {
    const char* name;
    const char* target;
    const char* rowsIn;  // the file that must hold the rows after the kill
};

class LogCommandKilled : public testing::TestWithParam<KillCase> {};

TEST_P(LogCommandKilled, KeepsEveryRowLoggedBeforeTheKill) {
    const ProcessResult sim =
        runShell(shellQuote(kCliPath) + " sim --rate 0 --count " + std::to_string(kPackets));
    ASSERT_EQ(sim.status, 0) << sim.err;
    TempFolder folder;
    const std::string target = folder.file(GetParam().target);
    const std::string rowsIn = folder.file(GetParam().rowsIn);
    writeFile(target, "an earlier file\r\n");

    RunningLogger logger(target);
    ASSERT_TRUE(logger.started());
    ASSERT_TRUE(logger.feed(sim.out));
    ASSERT_TRUE(waitForLines(rowsIn, 1 + kPackets)) << "the rows never reached " << rowsIn;
    const int status = logger.killNow();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

    // The window's Open command and convert load the rows back.
    const std::string loaded = folder.file("loaded.txt");
    const ProcessResult convert = runShell(shellQuote(kCliPath) + " convert " + shellQuote(rowsIn) +
                                           " " + shellQuote(loaded));
    ASSERT_EQ(convert.status, 0) << convert.err;
    const std::vector<std::string> lines = splitLines(readFile(loaded));
    ASSERT_EQ(lines.size(), 1 + kPackets);
    EXPECT_EQ(lines[1].substr(0, 2), "1\t");
    EXPECT_EQ(lines.back().substr(0, 3), std::to_string(kPackets) + "\t");
    if (rowsIn != target) {
        EXPECT_EQ(readFile(target), "an earlier file\r\n")
            << "an XML file is only replaced by a complete packet";
    }
}

INSTANTIATE_TEST_SUITE_P(Outputs, LogCommandKilled,
                         testing::Values(KillCase{"TabText", "live.txt", "live.txt"},
                                         KillCase{"Xml", "live.xml", "live.xml.partial.txt"}),
                         [](const testing::TestParamInfo<KillCase>& p) {
                             return std::string(p.param.name);
                         });

TEST(LogCommandJournal, IsRemovedOnceTheXmlSaveSucceedsAndAnEarlierOneIsKept) {
    TempFolder folder;
    const std::string target = folder.file("run.xml");
    const std::string earlier = target + ".partial.txt";
    writeFile(earlier, "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n1\t10:00:00\tDC\t1.000\tV\tpass\r\n");
    const ProcessResult r = runShell(shellQuote(kCliPath) + " sim --rate 0 --count 5 | " +
                                     shellQuote(kCliPath) + " log --out " + shellQuote(target));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(readFile(target).find("<ROWDATA><ROW"), std::string::npos);
    EXPECT_EQ(lineCount(earlier), 2u) << "the journal of a killed run is never overwritten";
    EXPECT_FALSE(fileExists(target + ".partial-2.txt")) << "this run's journal is removed";
}

TEST(LogCommandCsv, WritesTheExportWithBaseUnitValues) {
    TempFolder folder;
    const std::string target = folder.file("run.csv");
    const ProcessResult r = runShell(shellQuote(kCliPath) + " sim --rate 0 --count 40 | " +
                                     shellQuote(kCliPath) + " log --out " + shellQuote(target));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = splitLines(readFile(target));
    ASSERT_EQ(lines.size(), 41u);
    EXPECT_EQ(lines[0], "time,no,function,value,unit,display,display_unit,range,judge,overload\r");
    bool kiloohms = false;
    for (const std::string& line : lines) {
        if (line.find(",OHM,4700,\u03A9,4.700,k\u03A9,AUTO,") != std::string::npos) kiloohms = true;
    }
    EXPECT_TRUE(kiloohms) << "the simulated meter's 4.700 kOhm as 4700 Ohm";
}

}  // namespace
