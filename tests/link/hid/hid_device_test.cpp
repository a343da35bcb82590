#include <QThread>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "hid_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Received {
    std::uint8_t id = 0;
    Bytes data;
};

class HidDeviceTest : public HidFixture {
protected:
    /// A data handler that records every report.
    THidDataEvent recorder(std::vector<Received>& into) {
        return [&into](THidDevice&, std::uint8_t id, const std::uint8_t* data, std::uint16_t size) {
            into.push_back({id, Bytes(data, data + size)});
        };
    }
};

TEST_F(HidDeviceTest, TheSerialStringFollowsDescriptorZeroOrTheSystem) {
    struct Row {
        const char* name;
        std::optional<std::u16string> serial;
        HidLanguageTableQuery query;
        std::vector<char16_t> table;
        QString expected;
    };
    const Row rows[] = {
        {"ordinary", u"SN42", HidLanguageTableQuery::Queried, {0x0409, 0}, "SN42"},
        {"language table as serial", u"\u0409", HidLanguageTableQuery::Queried, {0x0409, 0}, ""},
        {"descriptor 0 unreadable", u"SN42", HidLanguageTableQuery::Queried, {}, ""},
        {"no serial", std::nullopt, HidLanguageTableQuery::Queried, {0x0409, 0}, ""},
        {"withheld by the system", u"SN42", HidLanguageTableQuery::Withheld, {}, "SN42"},
    };
    int n = 0;
    for (const Row& row : rows) {
        FakeHidDevice& d = addDevice("hidraw" + std::to_string(n++));
        d.serial = row.serial;
        d.languageQuery = row.query;
        d.languageTable = row.table;
    }
    makeController();
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        auto device = checkOut(static_cast<std::int32_t>(i));
        EXPECT_EQ(device->SerialString(), rows[i].expected) << rows[i].name;
        EXPECT_FALSE(device->MainHandleOpen()) << rows[i].name;
    }
}

TEST_F(HidDeviceTest, StringsAreCachedAfterTheFirstSuccessAndAskedAgainAfterAFailure) {
    FakeHidDevice& d = addDevice("hidraw0");
    d.product.reset();
    makeController();
    auto device = checkOut(0);
    EXPECT_EQ(device->ProductString(), "");
    platform.with("/dev/hidraw0", [](FakeHidDevice& f) { f.product = u"Meter"; });
    EXPECT_EQ(device->ProductString(), "Meter");
    platform.with("/dev/hidraw0", [](FakeHidDevice& f) { f.product = u"Changed"; });
    EXPECT_EQ(device->ProductString(), "Meter");
    EXPECT_EQ(platform.get("/dev/hidraw0", &FakeHidDevice::productQueries), 2);
}

TEST_F(HidDeviceTest, ReaderSleepTimeTakesOnlyTenToTenThousand) {
    addDevice("hidraw0");
    makeController();
    THidDevice& device = *controller->DeviceList().front();
    EXPECT_EQ(device.ReaderSleepTime(), 100);
    const std::pair<std::int32_t, std::int32_t> rows[] = {
        {9, 100}, {10, 10}, {10001, 10}, {10000, 10000}, {-5, 10000}};
    for (const auto& [value, expected] : rows) {
        device.setReaderSleepTime(value);
        EXPECT_EQ(device.ReaderSleepTime(), expected) << value;
    }
}

TEST_F(HidDeviceTest, FeatureReportsGoOutWithTheirReportIdAndARefusalIsFalse) {
    addDevice("hidraw0");
    makeController();
    auto device = checkOut(0);
    const std::uint8_t speed[10] = {0x00, 0x60, 0x09, 0x00, 0x00, 0x03};
    EXPECT_TRUE(device->SendFeatureReport(speed, 10));
    EXPECT_TRUE(device->MainHandleOpen());
    platform.with("/dev/hidraw0", [](FakeHidDevice& f) { f.acceptFeatures = false; });
    EXPECT_FALSE(device->SendFeatureReport(speed, 10));
    EXPECT_EQ(platform.get("/dev/hidraw0", &FakeHidDevice::features),
              (std::vector<Bytes>{Bytes(speed, speed + 10)}));
}

TEST_F(HidDeviceTest, NoReaderWithoutHandlerAndAttachingOneStartsIt) {
    addDevice("hidraw0");
    makeController();
    auto device = checkOut(0);
    EXPECT_FALSE(device->HasReader());
    EXPECT_EQ(platform.get("/dev/hidraw0", &FakeHidDevice::readOpens), 0);
    std::vector<Received> got;
    device->SetDataHandler(recorder(got));
    EXPECT_TRUE(device->HasReader());
    platform.pushReport("/dev/hidraw0", {0x00, 0xF1, 0x2B, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(runUntil([&] { return got.size() == 1; }));
}

TEST_F(HidDeviceTest, NoReaderWithoutReadWriteAccessOrInputReport) {
    addDevice("hidraw0").readWrite = false;
    addDevice("hidraw1").descriptor = std::vector<std::uint8_t>{0x06, 0x00, 0xFF, 0xA1, 0x01, 0xC0};
    makeController();
    auto queriesOnly = checkOut(0);
    auto noInput = checkOut(1);
    EXPECT_FALSE(queriesOnly->ReadWriteAccess());
    EXPECT_TRUE(noInput->ReadWriteAccess());
    EXPECT_EQ(noInput->InputReportLength(), 0);
    std::vector<Received> got;
    queriesOnly->SetDataHandler(recorder(got));
    noInput->SetDataHandler(recorder(got));
    EXPECT_FALSE(queriesOnly->HasReader());
    EXPECT_FALSE(noInput->HasReader());
    EXPECT_EQ(platform.get("/dev/hidraw1", &FakeHidDevice::readOpens), 0);
}

TEST_F(HidDeviceTest, TheHandlerSeesTheReportIdFirstAndSizeBytesAfterIt) {
    addDevice("hidraw0");  // unnumbered, 8 data bytes
    addDevice("hidraw1").descriptor = fakeReportDescriptor(4, 5);
    makeController();
    auto unnumbered = checkOut(0);
    auto numbered = checkOut(1);
    EXPECT_EQ(unnumbered->InputReportLength(), 9);
    EXPECT_EQ(numbered->InputReportLength(), 5);
    std::vector<Received> got;
    unnumbered->SetDataHandler(recorder(got));
    platform.pushReport("/dev/hidraw0", {0x00, 0xF3, 0x2B, 0x30, 0x35, 0, 0, 0, 0});
    ASSERT_TRUE(runUntil([&] { return got.size() == 1; }));
    numbered->SetDataHandler(recorder(got));
    platform.pushReport("/dev/hidraw1", {0x05, 0xA1, 0xA2, 0xA3, 0xA4});
    ASSERT_TRUE(runUntil([&] { return got.size() == 2; }));
    EXPECT_EQ(got[0].id, 0);
    EXPECT_EQ(got[0].data, (Bytes{0xF3, 0x2B, 0x30, 0x35, 0, 0, 0, 0}));
    EXPECT_EQ(got[1].id, 5);
    EXPECT_EQ(got[1].data, (Bytes{0xA1, 0xA2, 0xA3, 0xA4}));
}

TEST_F(HidDeviceTest, TenThousandReportsArriveInOrderOnTheGuiThreadOneAtATime) {
    addDevice("hidraw0");
    constexpr int kReports = 10000;
    for (int i = 0; i < kReports; ++i) {
        platform.pushReport("/dev/hidraw0", {0x00, static_cast<std::uint8_t>(i >> 8),
                                             static_cast<std::uint8_t>(i), 0, 0, 0, 0, 0, 0});
    }
    makeController();
    auto device = checkOut(0);
    std::vector<int> order;
    bool inside = false;
    bool overlapped = false;
    bool offThread = false;
    device->SetDataHandler(
        [&](THidDevice&, std::uint8_t, const std::uint8_t* data, std::uint16_t size) {
            overlapped = overlapped || inside;
            inside = true;
            offThread = offThread || QThread::currentThread() != hidTestApp().thread();
            if (size == 8) order.push_back(data[0] << 8 | data[1]);
            inside = false;
        });
    ASSERT_TRUE(runUntil([&] { return order.size() == kReports; }, 60000));
    for (int i = 0; i < kReports; ++i)
        ASSERT_EQ(order[static_cast<std::size_t>(i)], i);
    EXPECT_FALSE(overlapped);
    EXPECT_FALSE(offThread);
}

TEST_F(HidDeviceTest, SetDataHandlerEmptyReturnsOnlyAfterTheReaderEnded) {
    addDevice("hidraw0");
    makeController();
    auto device = checkOut(0);
    std::vector<Received> got;
    device->SetDataHandler(recorder(got));
    ASSERT_TRUE(platform.waitUntilReadWaits("/dev/hidraw0"));
    device->SetDataHandler({});
    EXPECT_FALSE(device->HasReader());
    EXPECT_EQ(platform.get("/dev/hidraw0", &FakeHidDevice::readsWaiting), 0);
    const int started = platform.get("/dev/hidraw0", &FakeHidDevice::readsStarted);
    platform.pushReport("/dev/hidraw0", {0x00, 0xF1, 0x2B, 0, 0, 0, 0, 0, 0});
    QCoreApplication::processEvents();
    EXPECT_EQ(platform.get("/dev/hidraw0", &FakeHidDevice::readsStarted), started);
    EXPECT_TRUE(got.empty());
}

TEST_F(HidDeviceTest, AReaderStartedAgainAfterAStopReadsAgain) {
    addDevice("hidraw0");
    makeController();
    auto device = checkOut(0);
    std::vector<Received> first;
    std::vector<Received> second;
    device->SetDataHandler(recorder(first));
    ASSERT_TRUE(platform.waitUntilReadWaits("/dev/hidraw0"));
    device->SetDataHandler({});
    EXPECT_FALSE(device->ReadHandleOpen());  // closed with the stop
    device->SetDataHandler(recorder(second));
    platform.pushReport("/dev/hidraw0", {0x00, 0x07, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(runUntil([&] { return second.size() == 1; }));
    EXPECT_TRUE(first.empty());
    EXPECT_EQ(platform.get("/dev/hidraw0", &FakeHidDevice::readOpens), 2);
    // The new reader waits for the next report instead of running idle.
    ASSERT_TRUE(platform.waitUntilReadWaits("/dev/hidraw0"));
    EXPECT_LE(platform.get("/dev/hidraw0", &FakeHidDevice::readsStarted), 3);
}

TEST_F(HidDeviceTest, StoppingFromInsideItsOwnHandlerDeliversNothingMoreAndKeepsTheBuffer) {
    addDevice("hidraw0");
    for (std::uint8_t i = 0; i < 10; ++i)
        platform.pushReport("/dev/hidraw0", {0x00, i, 0xAB, 0xCD, 0, 0, 0, 0, 0});
    makeController();
    auto device = checkOut(0);
    std::vector<int> seen;
    Bytes afterStop;
    device->SetDataHandler(
        [&](THidDevice& d, std::uint8_t, const std::uint8_t* data, std::uint16_t size) {
            seen.push_back(data[0]);
            if (data[0] != 4) return;
            d.SetDataHandler({});
            EXPECT_FALSE(d.HasReader());
            afterStop.assign(data, data + size);  // the buffer is still the reader's
        });
    ASSERT_TRUE(runUntil([&] { return !seen.empty() && seen.back() == 4; }));
    // Whatever is still queued must not arrive.
    ASSERT_TRUE(
        runUntil([&] { return platform.get("/dev/hidraw0", &FakeHidDevice::readsWaiting) == 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(afterStop, (Bytes{4, 0xAB, 0xCD, 0, 0, 0, 0, 0}));
    EXPECT_EQ(platform.get("/dev/hidraw0", &FakeHidDevice::reads).size(), 5U);
}

TEST_F(HidDeviceTest, ReleasingTheDeviceFromInsideItsOwnHandlerIsSafe) {
    addDevice("hidraw0");
    platform.pushReport("/dev/hidraw0", {0x00, 0x11, 0x22, 0, 0, 0, 0, 0, 0});
    platform.pushReport("/dev/hidraw0", {0x00, 0x33, 0x44, 0, 0, 0, 0, 0, 0});
    makeController();
    std::unique_ptr<THidDevice> device = checkOut(0);
    int calls = 0;
    Bytes afterRelease;
    device->SetDataHandler(
        [&](THidDevice&, std::uint8_t, const std::uint8_t* data, std::uint16_t size) {
            ++calls;
            device.reset();  // check-in from inside the handler
            afterRelease.assign(data, data + size);
        });
    ASSERT_TRUE(runUntil([&] { return device == nullptr; }));
    ASSERT_TRUE(runUntil(
        [&] { return platform.get("/dev/hidraw0", &FakeHidDevice::readHandlesAlive) == 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(afterRelease, (Bytes{0x11, 0x22, 0, 0, 0, 0, 0, 0}));
    // Checked in: a fresh object at the same place, able to go out again.
    ASSERT_EQ(controller->DeviceList().size(), 1U);
    EXPECT_FALSE(controller->DeviceList().front()->CheckedOut());
    EXPECT_NE(controller->CheckOutAt(0), nullptr);
}

TEST_F(HidDeviceTest, StoppingInAModalLoopOfItsOwnHandlerWaitsForTheHandlerToReturn) {
    addDevice("hidraw0");
    for (std::uint8_t i = 0; i < 3; ++i)
        platform.pushReport("/dev/hidraw0", {0x00, i, 0, 0, 0, 0, 0, 0, 0});
    makeController();
    auto device = checkOut(0);
    std::vector<int> seen;
    bool returned = false;
    device->SetDataHandler(
        [&](THidDevice& d, std::uint8_t, const std::uint8_t* data, std::uint16_t) {
            seen.push_back(data[0]);
            if (data[0] != 1) return;
            QEventLoop modal;  // a message box, say, whose OK disconnects
            QTimer::singleShot(0, &modal, [&] {
                d.SetDataHandler({});
                modal.quit();
            });
            modal.exec();
            returned = true;
        });
    ASSERT_TRUE(runUntil([&] { return returned; }));
    ASSERT_TRUE(
        runUntil([&] { return platform.get("/dev/hidraw0", &FakeHidDevice::readsWaiting) == 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, (std::vector<int>{0, 1}));
    EXPECT_FALSE(device->HasReader());
}

TEST_F(HidDeviceTest, StoppingWhileAReportWaitsForTheGuiThreadDropsIt) {
    addDevice("hidraw0");
    makeController();
    auto device = checkOut(0);
    std::vector<Received> got;
    device->SetDataHandler(recorder(got));
    platform.pushReport("/dev/hidraw0", {0x00, 0xF1, 0x2B, 0, 0, 0, 0, 0, 0});
    // The read returned and no event ran: the report waits for the GUI thread.
    ASSERT_TRUE(waitWithoutEvents(
        [&] { return platform.get("/dev/hidraw0", &FakeHidDevice::readsReturned) == 1; }));
    device->SetDataHandler({});
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(platform.get("/dev/hidraw0", &FakeHidDevice::readsStarted), 1);
}

TEST_F(HidDeviceTest, AReplacedHandlerGetsTheNextReportAndErrorsGoToTheErrorHandler) {
    addDevice("hidraw0");
    makeController();
    auto device = checkOut(0);
    std::vector<Received> first;
    std::vector<Received> second;
    std::vector<std::uint32_t> errors;
    device->setDataErrorHandler([&](THidDevice&, std::uint32_t e) { errors.push_back(e); });
    device->SetDataHandler(recorder(first));
    platform.pushReport("/dev/hidraw0", {0x00, 0x01, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(runUntil([&] { return first.size() == 1; }));
    device->SetDataHandler(recorder(second));
    platform.pushError("/dev/hidraw0", EPROTO);
    platform.pushReport("/dev/hidraw0", {0x00, 0x02, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(runUntil([&] { return second.size() == 1; }));
    EXPECT_EQ(first.size(), 1U);
    EXPECT_EQ(second[0].data[0], 0x02);
    EXPECT_EQ(errors, (std::vector<std::uint32_t>{EPROTO}));
    // The same thread went on reading: one read handle for all of it.
    EXPECT_EQ(platform.get("/dev/hidraw0", &FakeHidDevice::readOpens), 1);
}

TEST_F(HidDeviceTest, UnplugInTheMiddleOfAReadReportsErrorsUntilTheDeviceIsReleased) {
    addDevice("hidraw0", u"Cable");
    makeController();
    std::vector<std::string> events;
    controller->setOnRemoval(
        [&](THidDevice& d) { events.push_back("removal " + d.ProductString().toStdString()); });
    auto device = checkOut(0);
    EXPECT_EQ(device->ProductString(), "Cable");
    std::vector<std::uint32_t> errors;
    device->setDataErrorHandler([&](THidDevice&, std::uint32_t e) { errors.push_back(e); });
    std::vector<Received> got;
    device->SetDataHandler(recorder(got));
    ASSERT_TRUE(platform.waitUntilReadWaits("/dev/hidraw0"));

    platform.unplug("/dev/hidraw0");  // the waiting read fails, as hidraw's does
    ASSERT_TRUE(runUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors.front(), std::uint32_t{EIO});
    monitor.fire();  // the system tells of the change: the handle is closed under the reader
    EXPECT_FALSE(device->PluggedIn());
    EXPECT_FALSE(device->ReadHandleOpen());
    EXPECT_EQ(events, (std::vector<std::string>{"removal Cable"}));
    const std::size_t before = errors.size();
    ASSERT_TRUE(runUntil([&] { return errors.size() > before + 3; }));
    EXPECT_EQ(errors.back(), std::uint32_t{ENODEV});
    EXPECT_EQ(controller->UnpluggedCount(), 1);
    ASSERT_EQ(controller->DeviceList().size(), 1U);

    device.reset();  // check-in stops the reader; the unplugged device leaves the list
    EXPECT_TRUE(controller->DeviceList().empty());
    EXPECT_EQ(controller->UnpluggedCount(), 0);
    EXPECT_EQ(platform.get("/dev/hidraw0", &FakeHidDevice::readHandlesAlive), 0);
    EXPECT_TRUE(got.empty());
}

}  // namespace
