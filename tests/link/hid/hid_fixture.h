#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_hid_platform.h"
#include "hid_test_app.h"
#include "link/hid/hid_device.h"
#include "link/hid/hid_device_controller.h"

/// A controller over scripted devices. The platform outlives the controller and every device.
class HidFixture : public ::testing::Test {
protected:
    HidFixture() { hidTestApp(); }

    FakeHidDevice& addDevice(const std::string& name, std::u16string product = u"Device") {
        FakeHidDevice& d = platform.add("sys/" + name, "/dev/" + name);
        d.product = std::move(product);
        return d;
    }
    THidDeviceController& makeController() {
        controller = std::make_unique<THidDeviceController>(platform, monitor);
        return *controller;
    }
    /// Checks out the device at index, which must succeed.
    std::unique_ptr<THidDevice> checkOut(std::int32_t index) {
        auto device = controller->CheckOutAt(index);
        EXPECT_NE(device, nullptr);
        return device;
    }
    static std::vector<std::uint8_t> report(std::vector<std::uint8_t> bytes) { return bytes; }

    FakeHidPlatform platform;
    FakeHidMonitor monitor;
    std::unique_ptr<THidDeviceController> controller;
};
