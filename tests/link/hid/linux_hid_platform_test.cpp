#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <future>
#include <memory>
#include <vector>

#include "link/hid/hid_device.h"
#include "link/hid/linux_hid_platform.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

/// A socket pair standing in for a hidraw node: every write is one report.
class PollReadHandleTest : public ::testing::Test {
protected:
    std::shared_ptr<HidReadHandle> open(bool numbered) {
        int fds[2] = {-1, -1};
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
        m_device = fds[1];
        return makePollReadHandle(fds[0], numbered);
    }
    void send(const Bytes& report) const {
        ASSERT_EQ(::write(m_device, report.data(), report.size()),
                  static_cast<ssize_t>(report.size()));
    }
    void unplug() {
        ::close(m_device);
        m_device = -1;
    }
    ~PollReadHandleTest() override {
        if (m_device >= 0) ::close(m_device);
    }

private:
    int m_device = -1;
};

TEST_F(PollReadHandleTest, AnUnnumberedReportGetsItsIdZeroBackInFront) {
    auto handle = open(false);
    send({0xF2, 0x2B, 0x30, 0, 0, 0, 0, 0});
    Bytes buffer(9, 0);
    const HidReadResult r = handle->read(buffer);
    ASSERT_EQ(r.kind, HidReadResult::Kind::Report);
    EXPECT_EQ(r.bytes, 9U);
    EXPECT_EQ(buffer, (Bytes{0x00, 0xF2, 0x2B, 0x30, 0, 0, 0, 0, 0}));
}

TEST_F(PollReadHandleTest, ANumberedShortReportKeepsItsIdAndIsPaddedToTheLongest) {
    auto handle = open(true);
    send({0x05, 0xA1, 0xA2});
    Bytes buffer(7, 0);
    const HidReadResult r = handle->read(buffer);
    ASSERT_EQ(r.kind, HidReadResult::Kind::Report);
    EXPECT_EQ(r.bytes, 7U);
    EXPECT_EQ(buffer, (Bytes{0x05, 0xA1, 0xA2, 0, 0, 0, 0}));
}

TEST_F(PollReadHandleTest, InterruptEndsAWaitingReadAtOnceAndEveryLaterOne) {
    auto handle = open(false);
    Bytes buffer(9, 0);
    auto waiting = std::async(std::launch::async, [&] { return handle->read(buffer); });
    EXPECT_EQ(waiting.wait_for(20ms), std::future_status::timeout);  // it does wait
    handle->interrupt();
    ASSERT_EQ(waiting.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(waiting.get().kind, HidReadResult::Kind::Interrupted);
    send({0xF1, 0x2B, 0, 0, 0, 0, 0, 0});  // even with a report there, a stop wins
    EXPECT_EQ(handle->read(buffer).kind, HidReadResult::Kind::Interrupted);
}

TEST_F(PollReadHandleTest, TheDeviceGoingAwayIsAReadError) {
    auto handle = open(false);
    unplug();
    Bytes buffer(9, 0);
    const HidReadResult r = handle->read(buffer);
    EXPECT_EQ(r.kind, HidReadResult::Kind::Failed);
    EXPECT_EQ(r.error, std::uint32_t{EIO});
}

TEST(LinuxHidPlatform, OpenFailuresCarryTheSystemsReasonAndANonHidNodeIsNotIdentified) {
    auto platform = makeLinuxHidPlatform();
    auto missing = platform->open("/dev/hidraw-not-there", HidAccess::ReadWrite);
    EXPECT_EQ(missing.handle, nullptr);
    EXPECT_EQ(missing.error.code, std::uint32_t{ENOENT});
    EXPECT_EQ(missing.error.reason, "No such file or directory");
    EXPECT_EQ(platform->errorText(EIO), "Input/output error");

    try {
        THidDevice device(*platform,
                          std::make_unique<THidPnPInfo>(HidInterface{"null", "/dev/null"}), nullptr,
                          {}, {});
        FAIL() << "/dev/null was taken for a HID device";
    } catch (const EControllerError& e) {
        EXPECT_STREQ(e.what(), "device cannot be identified");
    }
    try {
        THidDevice device(
            *platform, std::make_unique<THidPnPInfo>(HidInterface{"gone", "/dev/hidraw-not-there"}),
            nullptr, {}, {});
        FAIL() << "a missing node was opened";
    } catch (const EControllerError& e) {
        EXPECT_STREQ(e.what(), "device cannot be opened");
        EXPECT_EQ(e.platformError(), std::uint32_t{ENOENT});
    }
}

}  // namespace
