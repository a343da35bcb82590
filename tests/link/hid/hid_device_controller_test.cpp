#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "hid_fixture.h"

namespace {

class HidDeviceControllerTest : public HidFixture {
protected:
    /// Records arrivals and removals by product string, and change notifications.
    void recordEvents() {
        controller->setOnArrival([this](THidDevice& d) {
            events.push_back("arrival " + d.ProductString().toStdString());
        });
        controller->setOnRemoval([this](THidDevice& d) {
            events.push_back("removal " + d.ProductString().toStdString());
        });
    }
    std::vector<std::string> events;
};

TEST_F(HidDeviceControllerTest, OnlyOneControllerAtATimeAndTheCountSurvivesAFailure) {
    makeController();
    try {
        THidDeviceController second(platform, monitor);
        FAIL() << "a second controller was made";
    } catch (const EControllerError& e) {
        EXPECT_STREQ(e.what(), "Only one THidDeviceController allowed per program");
    }
    controller.reset();
    // The failed attempt left no count behind.
    EXPECT_NO_THROW(makeController());
}

TEST_F(HidDeviceControllerTest, StartsWithTheDevicesPresentAndWatchesOnlyAnAvailablePlatform) {
    addDevice("hidraw0");
    addDevice("hidraw1");
    makeController();
    EXPECT_EQ(controller->DeviceList().size(), 2U);
    EXPECT_EQ(controller->CheckedInCount(), 2);
    EXPECT_TRUE(monitor.watching());
    controller.reset();
    EXPECT_FALSE(monitor.watching());

    platform.isAvailable = false;
    makeController();
    EXPECT_TRUE(controller->DeviceList().empty());
    EXPECT_EQ(monitor.starts, 1);
}

TEST_F(HidDeviceControllerTest, DevicesThatCannotBeOpenedOrIdentifiedAreLeftOutWithTheReason) {
    addDevice("hidraw0").openError = EACCES;
    addDevice("hidraw1").attributes.reset();
    addDevice("hidraw2");
    makeController();
    ASSERT_EQ(controller->DeviceList().size(), 1U);
    EXPECT_EQ(controller->DeviceList().front()->PnPInfo().DevicePath(), "/dev/hidraw2");
    const auto& left = controller->UnopenedDevices();
    ASSERT_EQ(left.size(), 2U);
    EXPECT_EQ(left[0].device.path, "/dev/hidraw0");
    EXPECT_EQ(left[0].fault, "device cannot be opened");
    EXPECT_EQ(left[0].error, std::uint32_t{EACCES});
    EXPECT_EQ(left[0].reason, "Permission denied");
    EXPECT_EQ(left[1].fault, "device cannot be identified");
}

TEST_F(HidDeviceControllerTest, OnDeviceChangeIsRaisedOnceAtFirstAssignmentThenOnlyOnChanges) {
    addDevice("hidraw0");
    makeController();
    int changes = 0;
    controller->setOnDeviceChange([&](THidDeviceController&) { ++changes; });
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(controller->ChangeReported());
    monitor.fire();
    EXPECT_EQ(changes, 1);
    addDevice("hidraw1");
    monitor.fire();
    EXPECT_EQ(changes, 2);
}

TEST_F(HidDeviceControllerTest, ADeviceThatStaysKeepsItsObjectAndTheRescanCopyGoesSilently) {
    addDevice("hidraw0", u"Stays");
    makeController();
    recordEvents();
    THidDevice* before = controller->DeviceList().front();
    addDevice("hidraw1", u"New");
    controller->DeviceChange();
    ASSERT_EQ(controller->DeviceList().size(), 2U);
    EXPECT_EQ(controller->DeviceList()[0], before);
    EXPECT_EQ(events, (std::vector<std::string>{"arrival New"}));
    EXPECT_EQ(controller->CheckedInCount(), 2);
}

TEST_F(HidDeviceControllerTest, AnUnpluggedCheckedOutDeviceStaysListedUntilItsRelease) {
    addDevice("hidraw0", u"Cable");
    addDevice("hidraw1", u"Mouse");
    makeController();
    recordEvents();
    int unplugs = 0;
    controller->setOnDeviceUnplug([&](THidDevice&) { ++unplugs; });
    auto cable = checkOut(0);
    EXPECT_EQ(cable->ProductString(), "Cable");
    platform.unplug("/dev/hidraw0");
    platform.unplug("/dev/hidraw1");
    controller->DeviceChange();
    // The checked-in mouse is gone; the cable is kept, unplugged, for its borrower. Only the
    // strings asked while a device was there are known at its removal.
    EXPECT_EQ(events, (std::vector<std::string>{"removal ", "removal Cable"}));
    EXPECT_EQ(unplugs, 2);
    ASSERT_EQ(controller->DeviceList().size(), 1U);
    EXPECT_EQ(controller->DeviceList()[0], cable.get());
    EXPECT_FALSE(cable->PluggedIn());
    EXPECT_FALSE(cable->MainHandleOpen());
    EXPECT_EQ(controller->UnpluggedCount(), 1);
    EXPECT_EQ(controller->CheckedOutCount(), 0);
    EXPECT_EQ(controller->CheckedInCount(), 0);
    // Still checked out: it counts as removed again, but its unplug handler ran once.
    controller->DeviceChange();
    EXPECT_EQ(events.back(), "removal Cable");
    EXPECT_EQ(unplugs, 2);
    cable.reset();
    EXPECT_TRUE(controller->DeviceList().empty());
    EXPECT_EQ(controller->UnpluggedCount(), 0);
}

TEST_F(HidDeviceControllerTest, HandlersMayReleaseTheDeviceTheyAreCalledFor) {
    // A borrower that checks its device in as soon as it hears of its removal, and one that
    // checks a device out and straight back in during the enumeration.
    addDevice("hidraw0", u"Cable");
    addDevice("hidraw1", u"Mouse");
    makeController();
    std::unique_ptr<THidDevice> cable = checkOut(0);
    controller->setOnRemoval([&](THidDevice& d) {
        if (&d == cable.get()) cable.reset();
    });
    platform.unplug("/dev/hidraw0");
    controller->DeviceChange();
    EXPECT_EQ(cable, nullptr);
    ASSERT_EQ(controller->DeviceList().size(), 1U);
    EXPECT_EQ(controller->UnpluggedCount(), 0);

    controller->setOnEnumerate([&](THidDevice&, std::int32_t idx) {
        controller->CheckOutAt(idx).reset();  // out and in again: a fresh object in its place
        return true;
    });
    EXPECT_EQ(controller->EnumerateDevices(), 1);
    ASSERT_EQ(controller->DeviceList().size(), 1U);
    EXPECT_FALSE(controller->DeviceList()[0]->CheckedOut());
    EXPECT_FALSE(controller->DeviceList()[0]->Enumerating());
    EXPECT_EQ(controller->CheckedInCount(), 1);
}

TEST_F(HidDeviceControllerTest, ReleaseReListsAtTheSamePositionAndCheckOutWorksAgain) {
    addDevice("hidraw0");
    addDevice("hidraw1");
    addDevice("hidraw2");
    makeController();
    auto middle = checkOut(1);
    EXPECT_EQ(controller->CheckOutAt(1), nullptr);  // already out
    EXPECT_EQ(controller->CheckOutAt(3), nullptr);
    EXPECT_EQ(controller->CheckOutAt(-1), nullptr);
    EXPECT_EQ(controller->CheckedOutCount(), 1);
    EXPECT_EQ(controller->CheckedInCount(), 2);
    middle->setReaderSleepTime(250);
    const THidDataEvent handler = [](THidDevice&, std::uint8_t, const std::uint8_t*,
                                     std::uint16_t) {};
    middle->SetDataHandler(handler);
    middle->SetDataHandler({});
    middle->SetDataHandler(handler);
    middle.reset();
    ASSERT_EQ(controller->DeviceList().size(), 3U);
    THidDevice* fresh = controller->DeviceList()[1];
    EXPECT_EQ(fresh->PnPInfo().DevicePath(), "/dev/hidraw1");
    EXPECT_FALSE(fresh->CheckedOut());
    EXPECT_EQ(fresh->ReaderSleepTime(), 250);
    EXPECT_EQ(fresh->DataHandler(), handler);
    EXPECT_FALSE(fresh->HasReader());  // checked in: no reader
    EXPECT_EQ(controller->CheckedOutCount(), 0);
    EXPECT_EQ(controller->CheckedInCount(), 3);
    auto again = checkOut(1);
    EXPECT_TRUE(again->HasReader());  // the handler came along
}

TEST_F(HidDeviceControllerTest, AReleasedDeviceThatCannotBeOpenedAgainLeavesTheList) {
    addDevice("hidraw0");
    addDevice("hidraw1");
    makeController();
    recordEvents();
    auto device = checkOut(0);
    platform.with("/dev/hidraw0", [](FakeHidDevice& d) { d.openError = EACCES; });
    device.reset();  // would have to make a fresh object that cannot be made
    ASSERT_EQ(controller->DeviceList().size(), 1U);
    EXPECT_EQ(controller->DeviceList()[0]->PnPInfo().DevicePath(), "/dev/hidraw1");
    EXPECT_EQ(controller->CheckedOutCount(), 0);
    EXPECT_EQ(controller->CheckedInCount(), 1);
    // Once it opens again, the next scan brings it back as an arrival.
    platform.with("/dev/hidraw0", [](FakeHidDevice& d) { d.openError.reset(); });
    controller->DeviceChange();
    EXPECT_EQ(events, (std::vector<std::string>{"arrival Device"}));
    EXPECT_EQ(controller->DeviceList().size(), 2U);
}

TEST_F(HidDeviceControllerTest, EnumerationSkipsUnpluggedDevicesAndStopsOnFalse) {
    addDevice("hidraw0", u"A");
    addDevice("hidraw1", u"B");
    addDevice("hidraw2", u"C");
    addDevice("hidraw3", u"D");
    makeController();
    auto a = checkOut(0);
    platform.unplug("/dev/hidraw0");
    controller->DeviceChange();                    // A stays listed, unplugged
    EXPECT_EQ(controller->EnumerateDevices(), 1);  // no handler: the first plugged-in counts

    std::vector<std::pair<std::string, std::int32_t>> seen;
    bool enumeratingInside = false;
    controller->setOnEnumerate([&](THidDevice& d, std::int32_t idx) {
        enumeratingInside = d.Enumerating() && d.IsUsable();
        seen.emplace_back(d.ProductString().toStdString(), idx);
        return d.ProductString() != "C";
    });
    EXPECT_EQ(controller->EnumerateDevices(), 2);
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::int32_t>>{{"B", 1}, {"C", 2}}));
    EXPECT_TRUE(enumeratingInside);
    for (THidDevice* d : controller->DeviceList()) {
        EXPECT_FALSE(d->Enumerating());
        EXPECT_FALSE(d->MainHandleOpen());
    }
}

TEST_F(HidDeviceControllerTest, EnumerateCanCheckOutEveryDeviceAsTheConnectionDoes) {
    addDevice("hidraw0");
    addDevice("hidraw1");
    makeController();
    std::vector<std::unique_ptr<THidDevice>> lines;
    controller->setOnEnumerate([&](THidDevice&, std::int32_t idx) {
        lines.push_back(controller->CheckOutAt(idx));
        return true;
    });
    EXPECT_EQ(controller->EnumerateDevices(), 2);
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_NE(lines[0], nullptr);
    EXPECT_NE(lines[1], nullptr);
    EXPECT_EQ(controller->CheckedOutCount(), 2);
    lines.clear();
    EXPECT_EQ(controller->CheckedInCount(), 2);
}

TEST_F(HidDeviceControllerTest, HandlerSettersReachOnlyDevicesCarryingTheCurrentHandler) {
    addDevice("hidraw0");
    addDevice("hidraw1");
    makeController();
    auto own = checkOut(0);
    auto shared = checkOut(1);
    const THidDataEvent mine = [](THidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) {};
    own->SetDataHandler(mine);
    own->setReaderSleepTime(500);
    const THidDataEvent general = [](THidDevice&, std::uint8_t, const std::uint8_t*,
                                     std::uint16_t) {};
    controller->setOnDeviceData(general);
    EXPECT_EQ(own->DataHandler(), mine);
    EXPECT_EQ(shared->DataHandler(), general);
    EXPECT_TRUE(shared->HasReader());  // SetDataHandler started it
    controller->setOnDeviceData({});
    EXPECT_FALSE(shared->HasReader());

    controller->setDevThreadSleepTime(300);
    EXPECT_EQ(own->ReaderSleepTime(), 500);
    EXPECT_EQ(shared->ReaderSleepTime(), 300);
    controller->setDevThreadSleepTime(5);  // out of the devices' range: they keep 300
    EXPECT_EQ(shared->ReaderSleepTime(), 300);
    EXPECT_EQ(controller->DevThreadSleepTime(), 5);
}

TEST_F(HidDeviceControllerTest, NewDevicesCarryTheDataErrorHandler) {
    addDevice("hidraw0");
    makeController();
    std::vector<std::uint32_t> errors;
    controller->setOnDeviceDataError([&](THidDevice&, std::uint32_t e) { errors.push_back(e); });
    addDevice("hidraw1");
    controller->DeviceChange();
    ASSERT_EQ(controller->DeviceList().size(), 2U);
    // Both the device present at the assignment and the one that came later report errors,
    // and so does the fresh object that replaces a released one.
    auto later = checkOut(1);
    EXPECT_EQ(later->DataErrorHandler(), controller->OnDeviceDataError());
    later.reset();
    EXPECT_EQ(controller->DeviceList()[1]->DataErrorHandler(), controller->OnDeviceDataError());
    auto again = checkOut(1);
    platform.pushError("/dev/hidraw1", EPROTO);
    again->SetDataHandler([](THidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) {});
    ASSERT_TRUE(runUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors.front(), std::uint32_t{EPROTO});
}

TEST_F(HidDeviceControllerTest, DestructionMarksCheckedOutDevicesUnpluggedForTheirBorrowers) {
    addDevice("hidraw0");
    addDevice("hidraw1");
    makeController();
    int unplugs = 0;
    controller->setOnDeviceUnplug([&](THidDevice&) { ++unplugs; });
    auto borrowed = checkOut(0);
    std::vector<std::uint32_t> errors;
    borrowed->setDataErrorHandler([&](THidDevice&, std::uint32_t e) { errors.push_back(e); });
    borrowed->SetDataHandler([](THidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) {});
    ASSERT_TRUE(platform.waitUntilReadWaits("/dev/hidraw0"));
    controller.reset();
    EXPECT_EQ(unplugs, 0);  // the controller's own handler is not called during its teardown
    EXPECT_EQ(borrowed->Owner(), nullptr);
    EXPECT_FALSE(borrowed->PluggedIn());
    ASSERT_TRUE(runUntil([&] { return !errors.empty(); }));  // its reads now fail
    borrowed.reset();                                        // no owner: nothing to re-list
    EXPECT_EQ(platform.get("/dev/hidraw0", &FakeHidDevice::readHandlesAlive), 0);
    EXPECT_EQ(platform.get("/dev/hidraw1", &FakeHidDevice::mainHandlesOpen), 0);
}

}  // namespace
