#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "decode/locale_info.h"
#include "fake_hid_platform.h"
#include "hid_test_app.h"
#include "link/hid/usb_connection.h"
#include "link/hid/usb_texts.h"
#include "log/clock.h"
#include "log/log_table.h"
#include "log/memory_chart_surface.h"
#include "session/meter_session.h"
#include "sim/sim_scenario.h"
#include "tests/support/fake_dialogs.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

/// The window as the connection sees it: a real decode session behind the report handler,
/// the toggle and the COM controls as plain state.
class SessionHost final : public UsbConnectionHost {
public:
    void receiveUsbReport(std::uint8_t ReportID, const std::uint8_t* Data,
                          std::uint16_t Size) override {
        ++reports;
        session.receiveHidReport(ReportID, Data, Size);
    }
    std::int32_t EmptyReportCount() const override { return session.frames().EmptyReportCount(); }
    void resetEmptyReportCount() override { session.frames().resetEmptyReportCount(); }
    bool USBConDown() const override { return down; }
    void setUSBConDown(bool d) override { down = d; }
    void setUSBConCaption(const QString& text) override { caption = text; }
    void hideComControls() override { comShown = false; }
    void showComControls() override { comShown = true; }

    MemoryChartSurface chart;
    FixedClock clock;
    FixedLocale locale;
    MeterSession session{chart, clock, locale};
    int reports = 0;
    bool down = false;
    QString caption = "USB Connection";
    bool comShown = true;
};

/// The cable's input reports: report ID 0, then F0 plus the payload count, the payload, zeros.
Bytes cableReport(const Bytes& payload) {
    Bytes report(9, 0);
    report[1] = static_cast<std::uint8_t>(0xF0 | payload.size());
    std::copy(payload.begin(), payload.end(), report.begin() + 2);
    return report;
}
const Bytes kEmptyReport = cableReport({});

class UsbConnectionTest : public ::testing::Test {
protected:
    UsbConnectionTest() { hidTestApp(); }

    FakeHidDevice& addDevice(const std::string& name, std::optional<std::u16string> product) {
        FakeHidDevice& d = platform.add("sys/" + name, "/dev/" + name);
        d.product = std::move(product);
        if (d.product) d.system.product = QString::fromStdU16String(*d.product).toStdString();
        return d;
    }
    FakeHidDevice& addCable(const std::string& name = "hidraw3") {
        return addDevice(name, u"USB to Serial");
    }
    UsbConnection& make(UsbCableModel model = {}) {
        usb = std::make_unique<UsbConnection>(platform, monitor, model, host, dialogs);
        return *usb;
    }
    /// The user's click: the toggle flips, then its handler runs.
    void click() {
        host.down = !host.down;
        usb->USBConClick();
    }
    QString lastHistoryLine() const {
        return usb->HistoryListBox().empty() ? QString() : usb->HistoryListBox().back();
    }
    bool historyHas(const QString& line) const {
        const auto& h = usb->HistoryListBox();
        return std::find(h.begin(), h.end(), line) != h.end();
    }
    /// Sends one meter packet as the cable does: seven and seven payload bytes, then an empty
    /// report that ends it.
    void sendPacket(const std::string& path, const MeterPacket& packet) {
        platform.pushReport(path, cableReport(Bytes(packet.begin(), packet.begin() + 7)));
        platform.pushReport(path, cableReport(Bytes(packet.begin() + 7, packet.end())));
        platform.pushReport(path, kEmptyReport);
    }

    FakeHidPlatform platform;
    FakeHidMonitor monitor;
    SessionHost host;
    FakeDialogs dialogs;
    std::unique_ptr<UsbConnection> usb;
};

struct CaptionCase {
    const char* name;
    std::optional<std::u16string> product;
    std::optional<std::u16string> serial;
    HidAttributes ids;
    QString caption;
    bool selected;
};
void PrintTo(const CaptionCase& c, std::ostream* os) {
    *os << c.name;
}

class DeviceCaptions : public UsbConnectionTest,
                       public ::testing::WithParamInterface<CaptionCase> {};

TEST_P(DeviceCaptions, NameTheLineAndOnlyTheExactCableNameIsSelected) {
    const CaptionCase& c = GetParam();
    FakeHidDevice& d = addDevice("hidraw0", c.product);
    d.serial = c.serial;
    d.attributes = c.ids;
    make();
    EXPECT_EQ(usb->DevListBox(), QStringList{c.caption});
    EXPECT_EQ(usb->DevListBoxItemIndex(), c.selected ? 0 : -1);

    click();
    if (c.selected) {
        EXPECT_TRUE(usb->connected());
        EXPECT_TRUE(dialogs.informations.empty());
    } else {
        EXPECT_FALSE(host.down);
        EXPECT_EQ(dialogs.informations,
                  std::vector<QString>{QString::fromLatin1(kCableNotConnectedText)});
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Rows, DeviceCaptions,
    ::testing::Values(
        CaptionCase{"Cable", u"USB to Serial", std::nullopt, {0x1A86, 0xE008, 1},
                    "USB to Serial", true},
        CaptionCase{"CableWithSerial", u"USB to Serial", u"A1B2", {0x1A86, 0xE008, 1},
                    "USB to Serial (Serial=A1B2)", false},
        CaptionCase{"NoProductString", std::nullopt, std::nullopt, {0x04D8, 0x000A, 1},
                    "Device VID=04D8 PID=000A", false},
        CaptionCase{"NoProductButSerial", std::nullopt, u"7", {0xABCD, 0x00EF, 1},
                    "Device VID=ABCD PID=00EF (Serial=7)", false},
        CaptionCase{"OtherCase", u"usb to serial", std::nullopt, {1, 2, 1},
                    "usb to serial", false},
        // The caption is 8-bit text in the system code page: what it lacks becomes "?".
        CaptionCase{"OutsideTheCodePage", u"\u03A9 Meter \u00E9", std::nullopt, {1, 2, 1},
                    QString::fromUtf8("? Meter \xC3\xA9"), false}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

TEST_F(UsbConnectionTest, TheLastOfSeveralCablesIsSelected) {
    addCable("hidraw0");
    addDevice("hidraw1", u"Keyboard");
    addCable("hidraw2");
    addDevice("hidraw4", u"Mouse");
    make();
    EXPECT_EQ(usb->DevListBox(),
              (QStringList{"USB to Serial", "Keyboard", "USB to Serial", "Mouse"}));
    EXPECT_EQ(usb->DevListBoxItemIndex(), 2);
    // Every device present is checked out into the list.
    EXPECT_EQ(usb->HidCtl().CheckedOutCount(), 4);
    EXPECT_EQ(usb->DevListBoxDevice(2)->PnPInfo().DevicePath(), "/dev/hidraw2");
}

struct SpeedCase {
    const char* name;
    std::uint32_t baud;
    Bytes report;
    QString historyLine;
};
void PrintTo(const SpeedCase& c, std::ostream* os) {
    *os << c.name;
}

class SpeedReport : public UsbConnectionTest, public ::testing::WithParamInterface<SpeedCase> {};

TEST_P(SpeedReport, IsSentWhenConnectingAndWhenDisconnecting) {
    addCable();
    make({true, GetParam().baud});
    click();
    ASSERT_TRUE(usb->connected());
    EXPECT_EQ(platform.get("/dev/hidraw3", &FakeHidDevice::features),
              std::vector<Bytes>{GetParam().report});
    EXPECT_EQ(lastHistoryLine(), GetParam().historyLine);
    EXPECT_EQ(usb->HistoryListBoxItemIndex(), static_cast<int>(usb->HistoryListBox().size()) - 1);
    EXPECT_EQ(host.caption, "USB Disconnect");
    EXPECT_FALSE(host.comShown);
    EXPECT_TRUE(usb->DevListBoxDevice(0)->HasReader());

    click();
    EXPECT_FALSE(usb->connected());
    EXPECT_EQ(platform.get("/dev/hidraw3", &FakeHidDevice::features),
              (std::vector<Bytes>{GetParam().report, GetParam().report}));
    EXPECT_EQ(lastHistoryLine(), GetParam().historyLine);
    EXPECT_EQ(host.caption, "USB Connection");
    EXPECT_TRUE(host.comShown);
    EXPECT_FALSE(usb->DevListBoxDevice(0)->HasReader());
    EXPECT_TRUE(dialogs.informations.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rates, SpeedReport,
    ::testing::Values(SpeedCase{"At2400",
                                2400,
                                {0x00, 0x60, 0x09, 0x00, 0x00, 0x03, 0, 0, 0, 0},
                                "60 09 00 00 03 00 00 00 00 00 "},
                      SpeedCase{"At19200",
                                19200,
                                {0x00, 0x00, 0x4B, 0x00, 0x00, 0x03, 0, 0, 0, 0},
                                "00 4B 00 00 03 00 00 00 00 00 "}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(UsbConnectionTest, WithoutACableTheButtonComesBackUpWithTheMessage) {
    addDevice("hidraw0", u"Keyboard");
    make();
    click();
    EXPECT_FALSE(host.down);
    EXPECT_EQ(host.caption, "USB Connection");
    EXPECT_EQ(dialogs.informations,
              std::vector<QString>{QString::fromLatin1(kCableNotConnectedText)});
    EXPECT_TRUE(platform.get("/dev/hidraw0", &FakeHidDevice::features).empty());
}

TEST_F(UsbConnectionTest, PacketsAndReadErrorsOfTheConnectedCableReachSessionAndHistory) {
    addCable();
    make();
    click();
    MeterSimulator meter(1);
    const SimPacket first = meter.next();
    sendPacket("/dev/hidraw3", first.bytes);
    platform.pushError("/dev/hidraw3", ETIMEDOUT);
    ASSERT_TRUE(runUntil(
        [&] { return host.reports == 3 && historyHas("READ ERROR: Connection timed out (6E)"); }));
    ASSERT_EQ(host.session.cds1().rowCount(), 1U);
    EXPECT_EQ(host.session.decoder().reading().ValueText, expectationFor(first).value);
}

TEST_F(UsbConnectionTest, ArrivalsAndRemovalsAreWrittenToTheHistory) {
    addDevice("hidraw0", u"Keyboard");
    make();
    addCable("hidraw5");
    monitor.fire();
    EXPECT_EQ(lastHistoryLine(), "Arrival of USB to Serial");
    EXPECT_EQ(usb->DevListBoxItemIndex(), 1);
    platform.unplug("/dev/hidraw0");
    monitor.fire();
    EXPECT_EQ(lastHistoryLine(), "Removal of Keyboard");
    EXPECT_EQ(usb->DevListBox(), QStringList{"USB to Serial"});
    EXPECT_EQ(usb->DevListBoxItemIndex(), 0);
    EXPECT_EQ(usb->HidCtl().DeviceList().size(), 1U);
}

TEST_F(UsbConnectionTest, AModelWithoutReportHandlerConnectsButNoReaderRuns) {
    addCable();
    make({false, 2400});
    click();
    EXPECT_TRUE(host.down);
    EXPECT_EQ(host.caption, "USB Disconnect");
    EXPECT_FALSE(host.comShown);
    EXPECT_EQ(platform.get("/dev/hidraw3", &FakeHidDevice::features).size(), 1U);
    EXPECT_FALSE(usb->DevListBoxDevice(0)->HasReader());
    EXPECT_EQ(platform.get("/dev/hidraw3", &FakeHidDevice::readOpens), 0);
    click();
    EXPECT_EQ(host.caption, "USB Connection");
    EXPECT_TRUE(host.comShown);
}

TEST_F(UsbConnectionTest, TheWatchdogGivesUpAt1900EmptyReportsOnceAndTheNextClickConnects) {
    addCable();
    make();
    click();
    for (int i = 0; i < UsbConnection::kEmptyReportLimit - 1; ++i)
        platform.pushReport("/dev/hidraw3", kEmptyReport);
    ASSERT_TRUE(runUntil([&] { return host.EmptyReportCount() == 1899; }));
    usb->emptyReportWatchdog();
    EXPECT_TRUE(usb->connected());
    EXPECT_TRUE(dialogs.informations.empty());

    platform.pushReport("/dev/hidraw3", kEmptyReport);
    ASSERT_TRUE(runUntil([&] { return host.EmptyReportCount() == 1900; }));
    usb->emptyReportWatchdog();
    EXPECT_EQ(host.EmptyReportCount(), 0);
    EXPECT_FALSE(host.down);
    EXPECT_FALSE(usb->DevListBoxDevice(0)->HasReader());
    EXPECT_EQ(dialogs.informations, std::vector<QString>{QString::fromLatin1(kMeterNotReadyText)});
    // Caption and COM controls follow the button rather than still saying "connected".
    EXPECT_EQ(host.caption, "USB Connection");
    EXPECT_TRUE(host.comShown);
    usb->emptyReportWatchdog();
    EXPECT_EQ(dialogs.informations.size(), 1U);

    click();
    EXPECT_TRUE(usb->connected());
    EXPECT_EQ(host.caption, "USB Disconnect");
    EXPECT_TRUE(usb->DevListBoxDevice(0)->HasReader());
}

TEST_F(UsbConnectionTest, ACablePulledOutWhileConnectedReturnsToDisconnectedAndSaysSoOnce) {
    addCable();
    make();
    click();
    MeterSimulator meter(1);
    sendPacket("/dev/hidraw3", meter.next().bytes);
    ASSERT_TRUE(runUntil([&] { return host.session.cds1().rowCount() == 1; }));

    platform.unplug("/dev/hidraw3");
    monitor.fire();
    EXPECT_TRUE(historyHas("Removal of USB to Serial"));
    EXPECT_FALSE(usb->connected());
    EXPECT_FALSE(host.down);
    EXPECT_EQ(host.caption, "USB Connection");
    EXPECT_TRUE(host.comShown);
    EXPECT_EQ(dialogs.errors, std::vector<QString>{cableRemovedText("USB to Serial")});
    EXPECT_TRUE(usb->DevListBox().isEmpty());
    EXPECT_EQ(usb->HidCtl().DeviceList().size(), 0U) << "the unplugged object was checked in";

    // Other devices coming and going say nothing more.
    addDevice("hidraw0", u"Keyboard");
    monitor.fire();
    EXPECT_EQ(dialogs.errors.size(), 1U);

    // Plugged in again (a new device to the system), the next click connects.
    addCable("hidraw6");
    monitor.fire();
    EXPECT_EQ(usb->DevListBoxItemIndex(), 1);
    click();
    EXPECT_TRUE(usb->connected());
    EXPECT_EQ(host.caption, "USB Disconnect");
    sendPacket("/dev/hidraw6", meter.next().bytes);
    ASSERT_TRUE(runUntil([&] { return host.session.cds1().rowCount() == 2; }));
    EXPECT_EQ(dialogs.errors.size(), 1U);
}

TEST_F(UsbConnectionTest, ARebuildWhileTheCableStaysKeepsTheConnectionRunning) {
    addCable();
    make();
    click();
    addDevice("hidraw0", u"Keyboard");
    monitor.fire();
    EXPECT_EQ(lastHistoryLine(), "Arrival of Keyboard");
    EXPECT_TRUE(usb->connected());
    EXPECT_TRUE(host.down);
    EXPECT_EQ(host.caption, "USB Disconnect");
    EXPECT_FALSE(host.comShown);
    ASSERT_EQ(usb->DevListBoxItemIndex(), 0);
    EXPECT_TRUE(usb->DevListBoxDevice(0)->HasReader());

    // Reports after the rebuild still reach the session, and the next click disconnects.
    MeterSimulator meter(1);
    sendPacket("/dev/hidraw3", meter.next().bytes);
    ASSERT_TRUE(runUntil([&] { return host.session.cds1().rowCount() == 1; }));
    click();
    EXPECT_FALSE(usb->connected());
    EXPECT_FALSE(usb->DevListBoxDevice(0)->HasReader());
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(UsbConnectionTest, ACableWithoutPermissionIsAnErrorNamingTheNodeAndTheRule) {
    FakeHidDevice& cable = addCable("hidraw7");
    cable.openError = EACCES;
    FakeHidDevice& other = addDevice("hidraw1", u"Keyboard");
    other.openError = EACCES;
    make();
    EXPECT_TRUE(usb->DevListBox().isEmpty());
    click();
    EXPECT_FALSE(host.down);
    EXPECT_TRUE(dialogs.informations.empty());
    ASSERT_EQ(dialogs.errors.size(), 1U);
    const QString& text = dialogs.errors[0];
    EXPECT_EQ(text, cablePermissionText("/dev/hidraw7", "Permission denied", false));
    EXPECT_TRUE(text.contains("/dev/hidraw7: Permission denied")) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromLatin1(kUdevRule))) << text.toStdString();
    EXPECT_TRUE(text.contains(udevRuleInstallCommand())) << text.toStdString();
}

TEST_F(UsbConnectionTest, OtherDevicesWithoutPermissionLeaveThePlainMessage) {
    addDevice("hidraw1", u"Keyboard").openError = EACCES;
    addCable("hidraw2").openError = EBUSY;
    make();
    click();
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(dialogs.informations,
              std::vector<QString>{QString::fromLatin1(kCableNotConnectedText)});
}

TEST_F(UsbConnectionTest, ACableOpenedOnlyForQueriesIsAnErrorTooAfterTheSpeedReportIsTried) {
    addCable("hidraw8").readWrite = false;
    make();
    ASSERT_EQ(usb->DevListBoxItemIndex(), 0);
    EXPECT_FALSE(usb->DevListBoxDevice(0)->ReadWriteAccess());
    click();
    EXPECT_FALSE(host.down);
    EXPECT_EQ(host.caption, "USB Connection");
    EXPECT_EQ(platform.get("/dev/hidraw8", &FakeHidDevice::features).size(), 1U);
    EXPECT_EQ(dialogs.errors, std::vector<QString>{cablePermissionText("/dev/hidraw8", {}, true)});
    EXPECT_FALSE(usb->DevListBoxDevice(0)->HasReader());
}

TEST_F(UsbConnectionTest, TheHistoryKeepsItsNewestLines) {
    make();
    for (std::size_t i = 0; i <= UsbConnection::kHistoryLines; ++i)
        usb->addHistoryLine(QString::number(i));
    EXPECT_EQ(usb->HistoryListBox().size(), UsbConnection::kHistoryLines);
    EXPECT_EQ(usb->HistoryListBox().front(), "1");
    EXPECT_EQ(lastHistoryLine(), QString::number(UsbConnection::kHistoryLines));
    EXPECT_EQ(usb->HistoryListBoxItemIndex(), static_cast<int>(UsbConnection::kHistoryLines) - 1);
}

TEST_F(UsbConnectionTest, ReleasingTheConnectionStopsTheReaderAndChecksEveryDeviceIn) {
    addCable();
    make();
    click();
    ASSERT_TRUE(platform.waitUntilReadWaits("/dev/hidraw3"));
    usb.reset();
    EXPECT_EQ(platform.get("/dev/hidraw3", &FakeHidDevice::readHandlesAlive), 0);
    EXPECT_EQ(platform.get("/dev/hidraw3", &FakeHidDevice::mainHandlesOpen), 0);
}

}  // namespace
