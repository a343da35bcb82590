#include <gtest/gtest.h>

#include <QProcess>

#include <string>
#include <vector>

#include "cli_process.h"
#include "decode/locale_info.h"
#include "files/data_files.h"
#include "link/hid/usb_texts.h"
#include "log/log_table.h"
#include "sim/sim_scenario.h"
#include "window_test_support.h"

namespace {

/// The Value column of a saved log.
std::vector<std::string> savedValues(const std::string& file) {
    LogTable table;
    const FileResult loaded = FileToTable(file, table, NumberFormat{});
    EXPECT_TRUE(loaded.ok) << loaded.message << " " << loaded.reason;
    std::vector<std::string> values;
    for (std::size_t row = 0; row < table.rowCount(); ++row)
        values.emplace_back(table.text(row, LogField::Value).value_or(""));
    return values;
}

/// True when the values are the simulated meter's, in order, from its first or second packet:
/// the real-time cable's reader starts a little after the speed report, and a first packet
/// that began before it is lost, as on the real cable.
::testing::AssertionResult followTheScenario(const std::vector<std::string>& values,
                                             std::uint64_t seed) {
    MeterSimulator meter(seed);
    std::vector<std::string> sent;
    for (std::size_t i = 0; i <= values.size(); ++i)
        sent.push_back(expectationFor(meter.next()).value);
    for (std::size_t skipped : {0U, 1U}) {
        if (std::equal(values.begin(), values.end(), sent.begin() + static_cast<long>(skipped))) {
            return ::testing::AssertionSuccess();
        }
    }
    return ::testing::AssertionFailure() << "not the scenario's readings in order";
}

bool realCablePluggedIn() {
    const ProcessResult listed = runShell(shellQuote(kCliPath) + " usb list");
    for (const std::string& line : splitLines(listed.out)) {
        if (line.rfind(std::string(kUsbCableProduct) + "\t", 0) == 0) return true;
    }
    return false;
}

TEST(UsbCommandLine, ListsTheSimulatedCableOnlyWhenAsked) {
    const ProcessResult with = runShell(shellQuote(kCliPath) + " usb list --simulated-cable");
    EXPECT_EQ(with.status, 0) << with.err;
    const std::vector<std::string> lines = splitLines(with.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "USB to Serial\tVID=1209 PID=0001\tsimulated:/dev/usb-cable\tok");

    const ProcessResult without = runShell(shellQuote(kCliPath) + " usb list");
    EXPECT_EQ(without.status, 0) << without.err;
    EXPECT_EQ(without.out.find("simulated:"), std::string::npos) << without.out;
    EXPECT_EQ(runShell(shellQuote(kCliPath) + " usb").status, 2);
    EXPECT_EQ(runShell(shellQuote(kCliPath) + " usb list --rate 3").status, 2);
}

TEST(UsbCommandLine, LogsTheSimulatedCablesReadingsInOrderThroughTheConnection) {
    TempFolder folder;
    const std::string file = folder.file("x.xml");
    const ProcessResult r = runShell(shellQuote(kCliPath) +
                                     " log --usb --simulated-cable --seed 7 --rate 0 --count 40 "
                                     "--out " +
                                     shellQuote(file));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Save table to specified file: " + file + " Scuss!\n");
    EXPECT_NE(r.err.find("logging from USB to Serial at simulated:/dev/usb-cable"),
              std::string::npos)
        << r.err;
    const std::vector<std::string> values = savedValues(file);
    EXPECT_EQ(values.size(), 40U);
    EXPECT_TRUE(followTheScenario(values, 7));
}

TEST(UsbCommandLine, WithoutACableItSaysSoOnStandardErrorAndSavesNothing) {
    if (realCablePluggedIn()) GTEST_SKIP() << "a real cable is plugged in";
    TempFolder folder;
    const std::string file = folder.file("none.xml");
    const ProcessResult r =
        runShell(shellQuote(kCliPath) + " log --usb --count 5 --out " + shellQuote(file));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::string(kCableNotConnectedText) + "\n");
    EXPECT_FALSE(fileExists(file));
}

TEST(UsbCommandLine, SigtermEndsTheCaptureAndSavesWhatWasLogged) {
    windowTestApp();
    TempFolder folder;
    const std::string file = folder.file("live.txt");
    QProcess logger;
    logger.setReadChannel(QProcess::StandardError);
    logger.start(QString::fromStdString(kCliPath), {"log", "--usb", "--simulated-cable", "--rate",
                                                    "12", "--out", QString::fromStdString(file)});
    ASSERT_TRUE(logger.waitForStarted(10000));
    // Connected once it says so; then rows come in real time until the signal.
    std::string said;
    while (said.find("Ctrl+C") == std::string::npos) {
        ASSERT_TRUE(logger.waitForReadyRead(10000)) << said;
        said += logger.readAll().toStdString();
    }
    logger.terminate();
    ASSERT_TRUE(logger.waitForFinished(10000));
    EXPECT_EQ(logger.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(logger.exitCode(), 0) << logger.readAllStandardError().toStdString();
    EXPECT_EQ(logger.readAllStandardOutput().toStdString(),
              "Save table to specified file: " + file + " Scuss!\n");
    ASSERT_TRUE(fileExists(file));
    EXPECT_TRUE(followTheScenario(savedValues(file), 1));
}

TEST(UsbCommandLine, SecondsEndTheCaptureFromTheCable) {
    TempFolder folder;
    const std::string file = folder.file("timed.txt");
    const ProcessResult r =
        runShell(shellQuote(kCliPath) + " log --usb --simulated-cable --rate 12 --seconds 0.8 " +
                 "--out " + shellQuote(file));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(followTheScenario(savedValues(file), 1));
}

}  // namespace
