#include <gtest/gtest.h>

#include <cerrno>

#include <string>
#include <string_view>
#include <vector>

#include "decode/frame_assembler.h"
#include "hid_test_app.h"
#include "link/hid/cable_line.h"
#include "link/hid/hid_device_controller.h"
#include "link/hid/simulated_cable.h"
#include "sim/sim_scenario.h"

namespace {

using namespace std::chrono_literals;

std::string hexOf(const MeterPacket& packet) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t b : packet) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

int payloadCount(const HidInputReport& report) {
    return report[1] & 0x0F;
}

TEST(CableLine, CarriesEachPacketAsA2400BaudLineDoesWithEmptyReportsEvery10Ms) {
    CableLine line(1, 2.5, 2400);
    MeterSimulator meter(1);
    const MeterPacket first = meter.next().bytes;

    // A byte takes 4.17 ms: 2, 2, 3, 2, 3 and 2 bytes arrive in the first six 10 ms slots.
    std::vector<int> counts;
    std::vector<std::uint8_t> payload;
    for (int k = 1; k <= 41; ++k) {
        EXPECT_EQ(line.nextDue(), k * 10ms);
        const HidInputReport report = line.next();
        EXPECT_EQ(report[0], 0);
        EXPECT_EQ(report[1] & 0xF0, 0xF0);
        counts.push_back(payloadCount(report));
        if (k <= 6)
            payload.insert(payload.end(), report.begin() + 2,
                           report.begin() + 2 + payloadCount(report));
    }
    std::vector<int> expected = {2, 2, 3, 2, 3, 2};
    expected.insert(expected.end(), 34, 0);  // silence until the next packet at 400 ms
    expected.push_back(2);
    EXPECT_EQ(counts, expected);
    EXPECT_EQ(payload, std::vector<std::uint8_t>(first.begin(), first.end()));
    EXPECT_EQ(line.packetsStarted(), 2U);  // the second one began at 400 ms
}

TEST(CableLine, AReaderThatComesLateLosesWhatCameMeanwhile) {
    CableLine line(1, 2.5, 2400);
    line.skipTo(35ms);  // reports at 10, 20, 30 ms are gone, and their bytes
    EXPECT_EQ(line.nextDue(), 40ms);
    EXPECT_EQ(payloadCount(line.next()), 2);  // bytes 8 and 9 of the first packet
    line.skipTo(20ms);                        // never back
    EXPECT_EQ(line.nextDue(), 50ms);
}

/// Runs a line for as many reports as `packets` need and counts the packets that reach the
/// frame check whole.
FrameStats framed(double packetsPerSecond, int packets);

/// Collects the packets that pass the frame check.
struct Packets final : PacketSink {
    std::vector<std::string> hex;
    void packetAccepted(std::string_view FrameHex) override { hex.emplace_back(FrameHex); }
};

FrameStats framed(double packetsPerSecond, int packets) {
    Packets sink;
    FrameAssembler frames(&sink);
    CableLine line(3, packetsPerSecond, 2400);
    while (line.packetsStarted() < static_cast<std::uint64_t>(packets)) {
        const HidInputReport report = line.next();
        frames.HidDataQM14(report[0], report.data() + 1,
                           static_cast<std::uint16_t>(report.size() - 1));
    }
    return frames.stats();
}

TEST(CableLine, FramesEveryPacketUpToTheFastestFramedPace) {
    const double fastest = SimulatedCableOptions::kMaxFramedPacketsPerSecond;
    const FrameStats atFastest = framed(fastest, 300);
    EXPECT_EQ(atFastest.failedCheck, 0U);
    EXPECT_GE(atFastest.accepted, 298U);  // the last one or two may still be on the line
    // Faster, the gap between two packets is sometimes too short for an empty report.
    const FrameStats faster = framed(14.0, 300);
    EXPECT_LT(faster.accepted, 290U);
}

class SimulatedCableTest : public ::testing::Test {
protected:
    SimulatedCableTest() {
        hidTestApp();
        auto pacer = std::make_unique<InstantCablePacer>();
        cable = std::make_unique<SimulatedCablePlatform>(SimulatedCableOptions{7, 2.5},
                                                         std::move(pacer));
        controller = std::make_unique<THidDeviceController>(*cable, monitor);
    }
    void sendSpeed(std::uint32_t baud) {
        const std::uint8_t report[10] = {0x00,
                                         static_cast<std::uint8_t>(baud),
                                         static_cast<std::uint8_t>(baud >> 8),
                                         static_cast<std::uint8_t>(baud >> 16),
                                         static_cast<std::uint8_t>(baud >> 24),
                                         0x03};
        EXPECT_TRUE(device->SendFeatureReport(report, 10));
    }

    FixedDeviceSetMonitor monitor;
    std::unique_ptr<SimulatedCablePlatform> cable;
    std::unique_ptr<THidDeviceController> controller;
    std::unique_ptr<THidDevice> device;
};

TEST_F(SimulatedCableTest, IsOneUsbToSerialDeviceWithoutSerialNumber) {
    ASSERT_EQ(controller->DeviceList().size(), 1U);
    device = controller->CheckOutAt(0);
    EXPECT_EQ(device->ProductString(), "USB to Serial");
    EXPECT_EQ(device->SerialString(), "");
    EXPECT_EQ(device->InputReportLength(), 9);
    EXPECT_TRUE(device->ReadWriteAccess());
}

TEST_F(SimulatedCableTest, DeliversTheScenarioThroughTheReaderThreadOnceSetTo2400Baud) {
    device = controller->CheckOutAt(0);
    Packets packets;
    FrameAssembler decoder(&packets);
    int reports = 0;
    int emptyReports = 0;
    device->SetDataHandler(
        [&](THidDevice&, std::uint8_t id, const std::uint8_t* data, std::uint16_t size) {
            ++reports;
            if (size > 0 && (data[0] & 0x0F) == 0) ++emptyReports;
            decoder.HidDataQM14(id, data, size);
        });
    ASSERT_TRUE(device->HasReader());
    sendSpeed(19200);  // the wrong speed: the line stays dark
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(cable->packetsStarted(), 0U);

    sendSpeed(2400);
    // More packets than one pass of the scenario holds, so it starts over too.
    const std::size_t kPackets = simScenario().size() * MeterSimulator::kPacketsPerStep + 10;
    ASSERT_TRUE(runUntil([&] { return packets.hex.size() >= kPackets; }, 60000));
    device->SetDataHandler({});

    MeterSimulator meter(7);
    for (std::size_t i = 0; i < kPackets; ++i)
        ASSERT_EQ(packets.hex[i], hexOf(meter.next().bytes)) << "packet " << i;
    EXPECT_EQ(decoder.stats().failedCheck, 0U);
    // 2.5 packets per second: about 34 empty reports (10 ms each) between two packets.
    EXPECT_GT(emptyReports, static_cast<int>(kPackets) * 30);
    EXPECT_EQ(cable->baud(), 2400);
}

TEST_F(SimulatedCableTest, AnotherSpeedAfterwardsGivesOnlyEmptyReports) {
    device = controller->CheckOutAt(0);
    int payloadReports = 0;
    int reports = 0;
    device->SetDataHandler(
        [&](THidDevice&, std::uint8_t, const std::uint8_t* data, std::uint16_t size) {
            ++reports;
            if (size > 0 && (data[0] & 0x0F) != 0) ++payloadReports;
        });
    sendSpeed(2400);
    ASSERT_TRUE(runUntil([&] { return payloadReports > 0; }));
    sendSpeed(9600);
    const int payloadBefore = payloadReports;
    // A few reports may have been read before the change took hold.
    const int reportsAtChange = reports + 2;
    ASSERT_TRUE(runUntil([&] { return reports > reportsAtChange + 200; }));
    EXPECT_LE(payloadReports, payloadBefore + 2);
}

TEST_F(SimulatedCableTest, PulledOutItFailsReadsAndPluggedInAgainItIsANewSilentDevice) {
    ASSERT_EQ(cable->enumerate().size(), 1U);
    EXPECT_EQ(cable->enumerate()[0].system,
              (HidSystemInfo{"USB to Serial", SimulatedCablePlatform::kVendorId,
                             SimulatedCablePlatform::kProductId}));
    device = controller->CheckOutAt(0);
    int payloadReports = 0;
    std::vector<std::uint32_t> errors;
    device->setDataErrorHandler([&](THidDevice&, std::uint32_t error) {
        errors.push_back(error);
        if (errors.size() == 3) device->SetDataHandler({});
    });
    device->SetDataHandler(
        [&](THidDevice&, std::uint8_t, const std::uint8_t* data, std::uint16_t size) {
            if (size > 0 && (data[0] & 0x0F) != 0) ++payloadReports;
        });
    sendSpeed(2400);
    ASSERT_TRUE(runUntil([&] { return payloadReports > 0; }));

    cable->unplug();
    EXPECT_TRUE(cable->enumerate().empty());
    EXPECT_EQ(cable->open(SimulatedCablePlatform::kPath, HidAccess::QueryOnly).error.code,
              std::uint32_t{ENODEV});
    // The reader's reads fail as hidraw's do after an unplug; the third error stops it.
    ASSERT_TRUE(runUntil([&] { return !device->HasReader(); }));
    EXPECT_EQ(errors, (std::vector<std::uint32_t>{EIO, EIO, EIO}));
    std::uint8_t speed[10] = {0x00, 0x60, 0x09, 0x00, 0x00, 0x03};
    EXPECT_FALSE(device->SendFeatureReport(speed, 10));

    cable->plugIn();
    const std::vector<HidInterface> listed = cable->enumerate();
    ASSERT_EQ(listed.size(), 1U);
    EXPECT_NE(listed[0].identity, SimulatedCablePlatform::kIdentity);
    EXPECT_EQ(listed[0].path, SimulatedCablePlatform::kPath);
    // A handle of the cable before is cut off for good.
    EXPECT_FALSE(device->SendFeatureReport(speed, 10));
    EXPECT_EQ(cable->baud(), 0);
    auto fresh = cable->open(SimulatedCablePlatform::kPath, HidAccess::ReadWrite);
    ASSERT_NE(fresh.handle, nullptr);
    EXPECT_TRUE(fresh.handle->setFeature(speed));
    EXPECT_EQ(cable->baud(), 2400);
}

}  // namespace
