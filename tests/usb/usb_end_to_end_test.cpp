#include <gtest/gtest.h>

#include <QTest>

#include "app/lcd/link_lamp_widget.h"
#include "decode/frame_assembler.h"
#include "link/hid/joined_hid_platform.h"
#include "link/hid/simulated_cable.h"
#include "link/hid/usb_texts.h"
#include "sim/sim_scenario.h"
#include "tests/support/run_until.h"
#include "usb_window_fixture.h"

namespace {

constexpr std::uint64_t kSeed = 7;
constexpr std::size_t kReadings = 40;

/// What the simulated meter with this seed shows, in order.
std::vector<std::string> scenarioValues(std::size_t count) {
    MeterSimulator meter(kSeed);
    std::vector<std::string> values;
    for (std::size_t i = 0; i < count; ++i)
        values.push_back(expectationFor(meter.next()).value);
    return values;
}

/// The program's platform as VXM90_SIMULATED_CABLE=1 builds it: the simulated cable first,
/// then the system's devices (here a scripted keyboard). The cable's time jumps to each
/// report, so the test runs as fast as the reader and the window take the reports.
class UsbEndToEnd : public ::testing::Test, public UsbWindowFixture {
protected:
    UsbEndToEnd() {
        auto cable = std::make_unique<SimulatedCablePlatform>(
            SimulatedCableOptions{kSeed, 2.5}, std::make_unique<InstantCablePacer>());
        auto system = std::make_unique<FakeHidPlatform>();
        system->add("sys/keyboard", "/dev/hidraw0").product = u"Keyboard";
        auto monitor = std::make_unique<FakeHidMonitor>();
        simulated = cable.get();
        changes = monitor.get();
        makeWindow(std::make_unique<JoinedHidPlatform>(std::move(cable), std::move(system)),
                   std::move(monitor));
    }

    SimulatedCablePlatform* simulated = nullptr;
    FakeHidMonitor* changes = nullptr;
};

TEST_F(UsbEndToEnd, SimulatedCableFillsTheGridInOrderAndUnpluggingDisconnects) {
    ASSERT_EQ(usb().DevListBox(), (QStringList{"USB to Serial", "Keyboard"}));
    ASSERT_EQ(usb().DevListBoxItemIndex(), 0);

    QTest::mouseClick(USBCon(), Qt::LeftButton);
    ASSERT_TRUE(USBCon()->isChecked());
    EXPECT_EQ(USBCon()->text(), "USB Disconnect");
    EXPECT_EQ(simulated->baud(), 2400);
    ASSERT_TRUE(runEventsUntil([&] { return gridValues().size() >= kReadings; }, 60000));
    std::vector<std::string> shown = gridValues();
    shown.resize(kReadings);
    EXPECT_EQ(shown, scenarioValues(kReadings));
    EXPECT_TRUE(w().linkLamp()->okShown());
    EXPECT_EQ(w().frames().stats().failedCheck, 0U);

    simulated->unplug();
    changes->fire();
    EXPECT_FALSE(USBCon()->isChecked());
    EXPECT_EQ(USBCon()->text(), "USB Connection");
    EXPECT_FALSE(COMCon()->isHidden());
    EXPECT_EQ(shownPortPanel(), 1);
    EXPECT_EQ(dialogs.errors, std::vector<QString>{cableRemovedText("USB to Serial")});
    EXPECT_TRUE(historyHas("Removal of USB to Serial"));
    EXPECT_EQ(usb().DevListBox(), QStringList{"Keyboard"});
    // Nothing reads the cable any more.
    const std::size_t rows = gridValues().size();
    QCoreApplication::processEvents();
    EXPECT_EQ(gridValues().size(), rows);

    // Plugged in again, "USB Connection" connects again and readings come from its start.
    simulated->plugIn();
    changes->fire();
    EXPECT_TRUE(historyHas("Arrival of USB to Serial"));
    QTest::mouseClick(USBCon(), Qt::LeftButton);
    ASSERT_TRUE(USBCon()->isChecked());
    ASSERT_TRUE(runEventsUntil([&] { return gridValues().size() >= rows + 5; }, 60000));
    EXPECT_EQ(dialogs.errors.size(), 1U);
}

}  // namespace
