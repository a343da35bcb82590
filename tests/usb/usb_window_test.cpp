#include <gtest/gtest.h>

#include <QTest>

#include "app/lcd/link_lamp_widget.h"
#include "decode/frame_assembler.h"
#include "link/hid/usb_texts.h"
#include "log/log_table.h"
#include "tests/support/run_until.h"
#include "usb_window_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
const std::string kCable = "/dev/hidraw3";

/// The window over scripted HID devices: a keyboard and the meter's cable.
class UsbWindow : public ::testing::Test, public UsbWindowFixture {
protected:
    UsbWindow() {
        auto platform = std::make_unique<FakeHidPlatform>();
        auto monitor = std::make_unique<FakeHidMonitor>();
        hid = platform.get();
        changes = monitor.get();
        hid->add("sys/keyboard", "/dev/hidraw0").product = u"Keyboard";
        hid->add("sys/cable", kCable).product = u"USB to Serial";
        makeWindow(std::move(platform), std::move(monitor));
    }
    /// A packet as the cable brings it: seven and seven bytes, then an empty report.
    void sendPacket(const Packet& p) {
        hid->pushReport(kCable, cableReport(Bytes(p.begin(), p.begin() + 7)));
        hid->pushReport(kCable, cableReport(Bytes(p.begin() + 7, p.end())));
        hid->pushReport(kCable, cableReport({}));
    }
    /// Sends a packet and waits until its row is in the grid.
    void deliver(const Packet& p) {
        const int rows = w().gridModel()->rowCount();
        sendPacket(p);
        ASSERT_TRUE(runEventsUntil([&] { return w().gridModel()->rowCount() == rows + 1; }));
    }

    FakeHidPlatform* hid = nullptr;
    FakeHidMonitor* changes = nullptr;
};

TEST_F(UsbWindow, ListsTheDevicesOfItsPlatformAndSelectsTheCable) {
    EXPECT_EQ(usb().DevListBox(), (QStringList{"Keyboard", "USB to Serial"}));
    EXPECT_EQ(usb().DevListBoxItemIndex(), 1);
    EXPECT_EQ(USBCon()->text(), "USB Connection");
    EXPECT_TRUE(USBCon()->isCheckable());
    EXPECT_FALSE(USBCon()->isChecked());
}

TEST_F(UsbWindow, USBConConnectsTheCableAndItsPacketsFillGridAndHistory) {
    // COM 2 chosen before: its panel is the one shown again after the cable.
    QTest::mouseClick(w().comConnection().BtCOM(1), Qt::LeftButton);
    ASSERT_EQ(shownPortPanel(), 2);

    QTest::mouseClick(USBCon(), Qt::LeftButton);
    EXPECT_TRUE(USBCon()->isChecked());
    EXPECT_EQ(USBCon()->text(), "USB Disconnect");
    EXPECT_TRUE(COMCon()->isHidden());
    EXPECT_EQ(shownPortPanel(), 0);
    const Bytes speed = {0x00, 0x60, 0x09, 0x00, 0x00, 0x03, 0, 0, 0, 0};
    EXPECT_EQ(hid->get(kCable, &FakeHidDevice::features), std::vector<Bytes>{speed});
    EXPECT_TRUE(historyHas("60 09 00 00 03 00 00 00 00 00 "));

    deliver(dcVolts("0599"));
    EXPECT_EQ(gridValues(), std::vector<std::string>{"05.99"});
    EXPECT_TRUE(w().linkLamp()->okShown());
    // Each report with payload is written to the history as it came, and selected.
    const auto& history = usb().HistoryListBox();
    ASSERT_GE(history.size(), 2U);
    EXPECT_EQ(history[history.size() - 2], "R 00  F7 2B 30 35 39 39 20 32 ");
    EXPECT_EQ(history.back(), "R 00  F7 30 00 00 80 00 0D 0A ");
    EXPECT_EQ(usb().HistoryListBoxItemIndex(), static_cast<int>(history.size()) - 1);

    QTest::mouseClick(USBCon(), Qt::LeftButton);
    EXPECT_FALSE(USBCon()->isChecked());
    EXPECT_EQ(USBCon()->text(), "USB Connection");
    EXPECT_FALSE(COMCon()->isHidden());
    EXPECT_EQ(shownPortPanel(), 2);
    EXPECT_EQ(hid->get(kCable, &FakeHidDevice::features).size(), 2U);
    EXPECT_FALSE(usb().DevListBoxDevice(1)->HasReader());
    EXPECT_TRUE(dialogs.informations.empty());
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(UsbWindow, TheIndicatorGoesDark200To300MsAfterTheLastUsbPacket) {
    QTest::mouseClick(USBCon(), Qt::LeftButton);
    // The packet lands at different moments between two 100 ms ticks of ConTimer.
    for (const int afterTick : {0, 1, 37, 99}) {
        timers.advance(100 - timers.now() % 100);  // to the next tick, which has just run
        timers.advance(afterTick);
        deliver(dcVolts("0599"));
        ASSERT_TRUE(w().linkLamp()->okShown());
        const std::int64_t arrived = timers.now();
        while (w().linkLamp()->okShown() && timers.now() - arrived < 1000)
            timers.advance(1);
        const std::int64_t dark = timers.now() - arrived;
        EXPECT_GE(dark, 200) << "packet " << afterTick << " ms after a tick";
        EXPECT_LE(dark, 300) << "packet " << afterTick << " ms after a tick";
        EXPECT_TRUE(w().linkLamp()->notOkShown());
        timers.advance(1000);
        EXPECT_FALSE(w().linkLamp()->okShown()) << "stays dark while nothing arrives";
    }
}

TEST_F(UsbWindow, TheWatchdogExaminesTheEmptyReportsOnTheThirdTickOnly) {
    QTest::mouseClick(USBCon(), Qt::LeftButton);
    for (int i = 0; i < UsbConnection::kEmptyReportLimit; ++i)
        hid->pushReport(kCable, cableReport({}));
    ASSERT_TRUE(runEventsUntil([&] { return w().frames().EmptyReportCount() == 1900; }));
    timers.advance(200);  // the first two ticks count, they do not look
    EXPECT_TRUE(USBCon()->isChecked());
    EXPECT_TRUE(dialogs.informations.empty());
    timers.advance(100);
    EXPECT_FALSE(USBCon()->isChecked());
    EXPECT_EQ(dialogs.informations, std::vector<QString>{QString::fromLatin1(kMeterNotReadyText)});
    EXPECT_EQ(w().frames().EmptyReportCount(), 0);
    EXPECT_FALSE(usb().DevListBoxDevice(1)->HasReader());
    EXPECT_EQ(USBCon()->text(), "USB Connection");
    EXPECT_FALSE(COMCon()->isHidden());
    EXPECT_EQ(shownPortPanel(), 1);
}

TEST_F(UsbWindow, ACablePulledOutWhileConnectedReturnsTheWindowToDisconnected) {
    QTest::mouseClick(USBCon(), Qt::LeftButton);
    deliver(dcVolts("0599"));
    hid->unplug(kCable);
    changes->fire();
    EXPECT_TRUE(historyHas("Removal of USB to Serial"));
    EXPECT_FALSE(USBCon()->isChecked());
    EXPECT_EQ(USBCon()->text(), "USB Connection");
    EXPECT_FALSE(COMCon()->isHidden());
    EXPECT_EQ(shownPortPanel(), 1);
    EXPECT_EQ(dialogs.errors, std::vector<QString>{cableRemovedText("USB to Serial")});
    EXPECT_EQ(usb().DevListBox(), QStringList{"Keyboard"});

    // Without the cable the button says so and comes back up.
    QTest::mouseClick(USBCon(), Qt::LeftButton);
    EXPECT_FALSE(USBCon()->isChecked());
    EXPECT_EQ(dialogs.informations,
              std::vector<QString>{QString::fromLatin1(kCableNotConnectedText)});
}

TEST_F(UsbWindow, OpeningTheComPortHidesUSBConAndClosingShowsIt) {
    QTest::mouseClick(COMCon(), Qt::LeftButton);
    ASSERT_TRUE(COMCon()->isChecked());
    EXPECT_TRUE(USBCon()->isHidden());
    QTest::mouseClick(COMCon(), Qt::LeftButton);
    EXPECT_FALSE(USBCon()->isHidden());
    QTest::mouseClick(USBCon(), Qt::LeftButton);
    EXPECT_FALSE(COMCon()->isChecked());
    EXPECT_TRUE(USBCon()->isChecked());
}

TEST(UsbWindowWithoutHid, AWindowGivenNoHidPlatformListsNoDevices) {
    UsbWindowFixture fixture;
    fixture.makeWindow(nullptr, nullptr);
    EXPECT_TRUE(fixture.usb().DevListBox().isEmpty());
    QTest::mouseClick(fixture.USBCon(), Qt::LeftButton);
    EXPECT_FALSE(fixture.USBCon()->isChecked());
    EXPECT_EQ(fixture.dialogs.informations,
              std::vector<QString>{QString::fromLatin1(kCableNotConnectedText)});
}

}  // namespace
