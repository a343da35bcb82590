#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QProcess>
#include <QPushButton>
#include <QTableView>

#include <algorithm>
#include <string>
#include <vector>

#include "app/grid/log_grid_model.h"
#include "app/grid/log_grid_view.h"
#include "app/lcd/link_lamp_widget.h"
#include "app/shell/main_window.h"
#include "decode/decoder_sink.h"
#include "decode/frame_assembler.h"
#include "decode/limit_comparator.h"
#include "decode/meter_decoder.h"
#include "link/serial/com_connection.h"
#include "link/serial/port_naming.h"
#include "link/serial/serial_platform.h"
#include "link/serial/serial_port_driver.h"
#include "log/clock.h"
#include "qt_test_app.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/fake_report_dialogs.h"
#include "ui/qt_timers.h"

namespace {

constexpr auto kCli = VXM90_CLI_PATH;
constexpr int kPackets = 40;
const QStringList kSeed = {"--seed", "7"};

/// The values a stream of meter bytes decodes to, in order.
std::vector<std::string> decodedValues(const QByteArray& bytes) {
    struct Values : DecoderSink {
        std::vector<std::string> values;
        void restartSeries() override {}
        void setLeftAxisRange(double, double) override {}
        void ReadingDecoded(const TMeterReading& r, double) override {
            values.push_back(r.ValueText);
        }
    } sink;
    FixedLocale locale;
    TModelProfile profile = buildModelProfile(kBuildModelFlags);
    LimitComparator limits(locale);
    MeterDecoder decoder(profile, limits, sink);
    FrameAssembler frames(&decoder);
    frames.receiveSerial(profile.SerialHandler, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                         static_cast<std::int32_t>(bytes.size()));
    return sink.values;
}

int valueColumn(const LogGridModel& model) {
    for (int c = 0; c < model.columnCount(); ++c) {
        if (LogGridModel::columnField(c) == LogField::Value) return c;
    }
    return -1;
}

TEST(SerialEndToEnd, SimulatedMeterFillsTheGridAndLightsTheLinkLamp) {
    testApp();
    // What the simulated meter sends with this seed, taken from its plain output.
    QProcess plain;
    plain.start(kCli,
                QStringList{"sim", "--rate", "0", "--count", QString::number(kPackets)} + kSeed);
    ASSERT_TRUE(plain.waitForFinished(10000));
    const std::vector<std::string> sent = decodedValues(plain.readAllStandardOutput());
    ASSERT_EQ(sent.size(), static_cast<std::size_t>(kPackets));

    // The same meter behind a pseudo-terminal, bound to COM 1.
    QProcess meter;
    meter.start(
        kCli,
        QStringList{"sim", "--pty", "--rate", "20", "--count", QString::number(kPackets)} + kSeed);
    ASSERT_TRUE(meter.waitForReadyRead(5000));
    const QString device = QString::fromLocal8Bit(meter.readLine()).trimmed();
    ASSERT_TRUE(device.startsWith("/dev/")) << device.toStdString();

    // The program's own port binding, as if VXM90_COM1 named the terminal; the window runs on
    // the event loop's timers and the real serial platform.
    FakeDialogs dialogs;
    FakeReportDialogs reportDialogs;
    FixedLocale locale;
    FixedClock clock;
    QtTimers timers;
    ComPortDeviceResolver comPorts = systemComPortResolver([&device](const QString& name) {
        return name == QLatin1String("VXM90_COM1") ? device : QString();
    });
    TFCOMM window(WindowEnvironment{dialogs, reportDialogs, locale, clock, timers,
                                    makeQtSerialPlatform(), std::move(comPorts),
                                    [] { return true; }});
    window.show();
    EXPECT_FALSE(window.linkLamp()->okShown());

    QTest::mouseClick(window.comConnection().COMCon(), Qt::LeftButton);
    ASSERT_TRUE(window.COMM2().IsOpen())
        << QStringList(dialogs.errors.begin(), dialogs.errors.end()).join("\n").toStdString();
    EXPECT_EQ(window.COMM2().deviceName(), device);

    bool litWhileStreaming = false;
    ASSERT_TRUE(runUntil(
        [&] {
            litWhileStreaming = litWhileStreaming || window.linkLamp()->okShown();
            return meter.state() == QProcess::NotRunning;
        },
        15000));
    EXPECT_TRUE(litWhileStreaming);
    EXPECT_TRUE(runUntil([&] { return !window.linkLamp()->okShown(); }, 2000));
    EXPECT_TRUE(window.linkLamp()->notOkShown());

    // Rows are the packets sent after the port opened (opening discards what queued before),
    // one row per packet, in order, with the values the meter sent. The very last packet may
    // die with the line: the simulator hangs up right after writing it.
    const LogGridModel& grid = *window.gridModel();
    EXPECT_EQ(window.DBGrid1()->model(), &grid);
    const int column = valueColumn(grid);
    ASSERT_GE(column, 0);
    std::vector<std::string> shown;
    for (int row = 0; row < grid.rowCount(); ++row) {
        shown.push_back(grid.data(grid.index(row, column)).toString().toStdString());
    }
    ASSERT_GE(shown.size(), static_cast<std::size_t>(kPackets / 2));
    ASSERT_LE(shown.size(), sent.size());
    bool matched = false;
    for (std::size_t end = sent.size(); end + 1 >= sent.size() && end >= shown.size(); --end) {
        matched =
            matched || std::equal(shown.begin(), shown.end(),
                                  sent.begin() + static_cast<std::ptrdiff_t>(end - shown.size()));
    }
    EXPECT_TRUE(matched) << "rows are not the last packets sent, in order";

    // The simulator's end hangs up the line, as an unplugged adapter would: closed, said once.
    EXPECT_TRUE(runUntil([&] { return !window.COMM2().IsOpen(); }, 2000));
    EXPECT_EQ(window.comConnection().COMCon()->text(), "COM Connection");
    EXPECT_FALSE(window.comConnection().COMCon()->isChecked());
    ASSERT_EQ(dialogs.errors.size(), 1U);
    EXPECT_TRUE(dialogs.errors.front().startsWith("COM 1 (" + device + ") was disconnected"));
}

}  // namespace
