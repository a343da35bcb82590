#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "cli_process.h"
#include "decode/locale_info.h"
#include "log/clock.h"
#include "log/memory_chart_surface.h"
#include "session/meter_session.h"
#include "session/reading_callback.h"
#include "sim/sim_scenario.h"

extern char** environ;

namespace {

/// vxm90-cli sim --pty running as a child, with its standard output on a pipe.
class SimOnPty {
public:
    explicit SimOnPty(const std::string& rate) {
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, out[1]);
        std::string path = kCliPath, sim = "sim", pty = "--pty", rateOption = "--rate",
                    rateValue = rate;
        char* argv[] = {path.data(),       sim.data(),       pty.data(),
                        rateOption.data(), rateValue.data(), nullptr};
        if (posix_spawn(&m_pid, path.c_str(), &actions, nullptr, argv, environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        m_out = out[0];
    }
    ~SimOnPty() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0) close(m_out);
    }

    /// The first line of the child's output (the terminal's path).
    std::string firstLine() {
        std::string line;
        char c = 0;
        while (read(m_out, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }

    /// Sends SIGTERM and returns the exit status (-1 unless it exited normally).
    int terminate() {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    bool started() const { return m_pid > 0 && m_out >= 0; }

private:
    pid_t m_pid = -1;
    int m_out = -1;
};

TEST(SimPty, AReaderOfTheTerminalGetsDecodablePacketsUntilTheSimulatorIsStopped) {
    SimOnPty sim("40");
    ASSERT_TRUE(sim.started());
    const std::string path = sim.firstLine();
    ASSERT_EQ(path.rfind("/dev/pts/", 0), 0U) << path;
    const int fd = open(path.c_str(), O_RDONLY | O_NOCTTY);
    ASSERT_GE(fd, 0);

    std::vector<std::string> values;
    const FixedLocale locale;
    const FixedClock clock;
    MemoryChartSurface chart;
    ReadingCallback display(
        [&values](const TMeterReading& reading, double) { values.push_back(reading.ValueText); });
    MeterSession session(chart, clock, locale, &display);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (values.size() < 6 && std::chrono::steady_clock::now() < giveUp) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        std::uint8_t buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        ASSERT_GT(n, 0);
        session.receiveSerial(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    ASSERT_GE(values.size(), 6U);
    EXPECT_EQ(session.frames().stats().failedCheck, 0U);
    // The reader came in at the start, so it sees the walk from its first step.
    MeterSimulator simulator(1);
    for (const std::string& value : values) {
        EXPECT_EQ(value, expectationFor(simulator.next()).value);
    }
    EXPECT_EQ(sim.terminate(), 0);
}

TEST(SimPty, KeepsGoingWhenNobodyReads) {
    // 20000 packets overflow any terminal buffer; without a reader they must be dropped
    // rather than block the simulator ("timeout" ends a simulator that hangs: status 124).
    const ProcessResult r =
        runShell("timeout 60 " + shellQuote(kCliPath) + " sim --pty --rate 0 --count 20000");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("/dev/pts/", 0), 0U) << r.out;
    EXPECT_NE(r.err.find("packets dropped while nobody was reading"), std::string::npos) << r.err;
}

}  // namespace
