#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

#include "fake_hid_platform.h"
#include "hid_test_app.h"
#include "link/hid/hid_device_controller.h"
#include "link/hid/joined_hid_platform.h"
#include "link/hid/simulated_cable.h"

namespace {

class JoinedHidPlatformTest : public ::testing::Test {
protected:
    JoinedHidPlatformTest() {
        hidTestApp();
        auto cable = std::make_unique<SimulatedCablePlatform>(
            SimulatedCableOptions{}, std::make_unique<InstantCablePacer>());
        auto system = std::make_unique<FakeHidPlatform>();
        m_cable = cable.get();
        m_system = system.get();
        m_system->add("sys/a", "/dev/hidraw0").product = u"Keyboard";
        m_system->add("sys/b", "/dev/hidraw1").product = u"USB to Serial";
        joined = std::make_unique<JoinedHidPlatform>(std::move(cable), std::move(system));
    }

    std::unique_ptr<JoinedHidPlatform> joined;
    SimulatedCablePlatform* m_cable = nullptr;
    FakeHidPlatform* m_system = nullptr;
};

TEST_F(JoinedHidPlatformTest, ListsTheFirstsDevicesThenTheSecondsAndOpensEachThroughItsOwn) {
    const std::vector<HidInterface> listed = joined->enumerate();
    ASSERT_EQ(listed.size(), 3U);
    EXPECT_EQ(listed[0].path, SimulatedCablePlatform::kPath);
    EXPECT_EQ(listed[1].path, "/dev/hidraw0");
    EXPECT_EQ(listed[2].path, "/dev/hidraw1");

    ASSERT_NE(joined->open("/dev/hidraw1", HidAccess::ReadWrite).handle, nullptr);
    EXPECT_EQ(m_system->get("/dev/hidraw1", &FakeHidDevice::mainOpens), 1);
    ASSERT_NE(joined->open(SimulatedCablePlatform::kPath, HidAccess::ReadWrite).handle, nullptr);
    ASSERT_NE(joined->openForReading("/dev/hidraw0").handle, nullptr);
    EXPECT_EQ(m_system->get("/dev/hidraw0", &FakeHidDevice::readOpens), 1);

    // A device that went away is still opened through its own platform, and fails there.
    m_system->unplug("/dev/hidraw0");
    EXPECT_EQ(joined->enumerate().size(), 2U);
    EXPECT_EQ(joined->open("/dev/hidraw0", HidAccess::QueryOnly).error.code, std::uint32_t{ENODEV});

    // One unavailable side leaves the other.
    m_system->isAvailable = false;
    EXPECT_TRUE(joined->available());
    EXPECT_EQ(joined->enumerate().size(), 1U);
}

TEST_F(JoinedHidPlatformTest, TheControllerSeesTheSimulatedCableBesideTheSystemsDevices) {
    FixedDeviceSetMonitor monitor;
    THidDeviceController controller(*joined, monitor);
    ASSERT_EQ(controller.DeviceList().size(), 3U);
    auto cable = controller.CheckOutAt(0);
    auto serial = controller.CheckOutAt(2);
    EXPECT_EQ(cable->ProductString(), "USB to Serial");
    EXPECT_EQ(cable->VendorID(), SimulatedCablePlatform::kVendorId);
    EXPECT_EQ(serial->ProductString(), "USB to Serial");
    EXPECT_EQ(serial->VendorID(), 0x1234);
}

}  // namespace
