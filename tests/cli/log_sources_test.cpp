#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_process.h"
#include "sim/sim_scenario.h"

namespace {

const std::string kCli = shellQuote(kCliPath);

/// The Value column of a TAB text log.
std::vector<std::string> values(const std::string& text) {
    std::vector<std::string> column;
    bool header = true;
    for (std::string line : splitLines(text)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (std::exchange(header, false)) continue;
        std::size_t from = 0;
        for (int field = 0; field < 3; ++field)
            from = line.find('\t', from) + 1;
        column.push_back(line.substr(from, line.find('\t', from) - from));
    }
    return column;
}

std::vector<std::string> scenario(std::uint64_t seed, std::size_t count) {
    MeterSimulator meter(seed);
    std::vector<std::string> sent;
    for (std::size_t i = 0; i < count; ++i)
        sent.push_back(expectationFor(meter.next()).value);
    return sent;
}

TEST(LogSources, CountStopsStandardInputAtExactlyThatManyRows) {
    TempFolder folder;
    const std::string file = folder.file("count.txt");
    // The 100 packets come in one batch; the log stops at the tenth row within it.
    const ProcessResult r = runShell(kCli + " sim --rate 0 --seed 3 --count 100 | " + kCli +
                                     " log --count 10 --out " + shellQuote(file));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(values(readFile(file)), scenario(3, 10));
}

TEST(LogSources, SecondsEndALiveStandardInputThatNeverEnds) {
    TempFolder folder;
    const std::string fifo = folder.file("live"), file = folder.file("timed.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Held open for writing and never written: only the time limit ends the logger.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const ProcessResult r =
        runShell(kCli + " log --seconds 0.3 --out " + shellQuote(file) + " <" + shellQuote(fifo));
    ::close(writer);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Save table to specified file: " + file + " Scuss!\n");
    EXPECT_TRUE(values(readFile(file)).empty());
}

TEST(LogSources, PortCapturesFromAPseudoTerminalAsTheComConnectionDoes) {
    TempFolder folder;
    const std::string file = folder.file("port.txt"), path = folder.file("pty");
    // The simulated meter on a pseudo-terminal; its first line is the terminal's path.
    const ProcessResult r =
        runShell(kCli + " sim --pty --rate 40 --seed 4 >" + shellQuote(path) + " & sim=$!; " +
                 "while [ ! -s " + shellQuote(path) + " ]; do :; done; " + kCli +
                 " log --port \"$(head -n 1 " + shellQuote(path) + ")\" --count 12 --out " +
                 shellQuote(file) + "; status=$?; kill $sim; exit $status");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("logging from /dev/pts/"), std::string::npos) << r.err;
    // The rows are consecutive packets of the meter, from wherever the port came in.
    const std::vector<std::string> logged = values(readFile(file));
    ASSERT_EQ(logged.size(), 12U);
    const std::vector<std::string> sent = scenario(4, 400);
    const auto at = std::search(sent.begin(), sent.end(), logged.begin(), logged.end());
    EXPECT_NE(at, sent.end());
}

TEST(LogSources, APortThatCannotBeOpenedSavesNothing) {
    TempFolder folder;
    const std::string file = folder.file("none.txt");
    const ProcessResult r =
        runShell(kCli + " log --port /dev/vxm90-no-such-port --out " + shellQuote(file));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot open /dev/vxm90-no-such-port"), std::string::npos) << r.err;
    EXPECT_FALSE(fileExists(file));
}

TEST(LogSources, RefusesOptionsThatDoNotFitTheSource) {
    TempFolder folder;
    const std::string out = " --out " + shellQuote(folder.file("x.txt"));
    for (const char* options :
         {"--usb --port /dev/ttyS0", "--simulated-cable", "--usb --seed 3", "--usb --rate 2",
          "--usb --simulated-cable --rate 13", "--usb --simulated-cable --rate -1",
          "--usb --simulated-cable --seed x", "--count 0", "--count x", "--seconds 0",
          "--seconds 3000000", "--port ''"}) {
        const ProcessResult r = runShell(kCli + " log " + options + out, "");
        EXPECT_EQ(r.status, 2) << options << ": " << r.err;
        EXPECT_FALSE(fileExists(folder.file("x.txt"))) << options;
    }
}

}  // namespace
