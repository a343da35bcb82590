#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <memory>
#include <vector>

#include "link/serial/serial_port_driver.h"
#include "pseudo_terminal.h"
#include "qt_test_app.h"
#include "tests/support/fake_serial_platform.h"
#include "tests/support/manual_timers.h"
#include "ui/qt_timers.h"

namespace {

/// Collects what OnReceiveData hands over.
struct Receiver {
    QByteArray bytes;
    std::vector<int> chunkSizes;
    void bind(TSerialPortDriver& driver) {
        driver.setOnReceiveData(
            [this, &driver](TSerialPortDriver& sender, const std::uint8_t* data, std::int32_t n) {
                EXPECT_EQ(&sender, &driver);
                chunkSizes.push_back(n);
                bytes.append(reinterpret_cast<const char*>(data), n);
            });
    }
};

QByteArray pattern(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('A' + i % 23);
    return bytes;
}

// ---- the driver over the real platform and a pseudo-terminal ----

// The poll ticks come from manual timers; the bytes travel through the kernel and Qt's event
// loop, so waits for them run the loop until they are there.
class DriverOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        testApp();
        ASSERT_TRUE(pty.ok());
        auto real = makeQtSerialPlatform();
        platform = real.get();
        driver = std::make_unique<TSerialPortDriver>(
            std::move(real),
            [this](TComPortNumber p) {
                return p == TComPortNumber::pnCOM1 ? pty.slavePath() : QString();
            },
            timers);
        driver->setComPortSpeed(TComPortBaudRate::br2400);
        driver->setComPortPollingDelay(100);
        rx.bind(*driver);
    }

    /// Serves the event loop and lets poll intervals pass until done() holds.
    bool pollUntil(const std::function<bool()>& done) {
        return runUntil([&] {
            if (done()) return true;
            timers.advance(driver->ComPortPollingDelay());
            return done();
        });
    }
    /// Serves the event loop until count bytes wait in the open port, with no poll between.
    bool queuedInPort(std::int64_t count) {
        return runUntil([&] { return platform->bytesAvailable() >= count; });
    }
    /// Lets ms of poll time pass, serving the event loop at every tick.
    void pollFor(int ms) {
        for (int passed = 0; passed < ms; passed += 100) {
            QCoreApplication::processEvents();
            timers.advance(100);
        }
    }

    PseudoTerminal pty;
    ManualTimers timers;
    SerialPlatform* platform = nullptr;
    std::unique_ptr<TSerialPortDriver> driver;
    Receiver rx;
};

TEST_F(DriverOnPty, DeliversWhileOpenAndNothingAfterClose) {
    ASSERT_TRUE(driver->OpenPort());
    EXPECT_TRUE(driver->IsOpen());
    EXPECT_TRUE(driver->pollTimerActive());
    EXPECT_EQ(driver->pollTimerInterval(), 100);
    EXPECT_EQ(driver->deviceName(), pty.slavePath());

    const QByteArray packet("+0123 4\x00\x00\x00\x00\r\n", 13);  // NULs must survive
    ASSERT_TRUE(pty.write(packet));
    ASSERT_TRUE(pollUntil([&] { return rx.bytes.size() >= 13; }));
    EXPECT_EQ(rx.bytes, packet);

    driver->ClosePort();
    EXPECT_FALSE(driver->IsOpen());
    EXPECT_FALSE(driver->pollTimerActive());
    driver->ClosePort();  // closed: nothing
    ASSERT_TRUE(pty.write("late bytes"));
    pollFor(500);
    EXPECT_EQ(rx.bytes.size(), 13);
}

TEST_F(DriverOnPty, QuietLineNeverCallsTheHandler) {
    ASSERT_TRUE(driver->OpenPort());
    pollFor(400);
    EXPECT_EQ(driver->stats().polls, 4U);
    EXPECT_TRUE(rx.chunkSizes.empty());
}

TEST_F(DriverOnPty, BurstArrivesCompleteInOrderInBufferSizedPieces) {
    const QByteArray burst = pattern(5000);
    ASSERT_TRUE(driver->OpenPort());
    ASSERT_TRUE(pty.write(burst));
    ASSERT_TRUE(pollUntil([&] { return rx.bytes.size() >= burst.size(); }));
    EXPECT_EQ(rx.bytes, burst);
    for (const int n : rx.chunkSizes) {
        EXPECT_GE(n, 1);
        EXPECT_LE(n, 2048);
    }
}

TEST_F(DriverOnPty, SecondOpenKeepsThePortAndItsQueuedBytes) {
    ASSERT_TRUE(driver->OpenPort());
    ASSERT_TRUE(pty.write("kept"));
    ASSERT_TRUE(queuedInPort(4));
    EXPECT_TRUE(driver->OpenPort());  // reopening or reconfiguring would discard "kept"
    ASSERT_TRUE(pollUntil([&] { return rx.bytes.size() >= 4; }));
    EXPECT_EQ(rx.bytes, "kept");
}

TEST_F(DriverOnPty, SpeedChangeWhileOpenDiscardsWhatWasQueued) {
    ASSERT_TRUE(driver->OpenPort());
    ASSERT_TRUE(pty.write("stale"));
    ASSERT_TRUE(queuedInPort(5));
    driver->setComPortSpeed(TComPortBaudRate::br9600);
    EXPECT_EQ(platform->bytesAvailable(), 0);
    ASSERT_TRUE(pty.write("fresh"));
    ASSERT_TRUE(pollUntil([&] { return rx.bytes.size() >= 5; }));
    pollFor(200);
    EXPECT_EQ(rx.bytes, "fresh");
}

// The event loop's own timer, as the program runs the driver.
TEST(DriverOnRealTimer, PollsThePortEveryDelay) {
    testApp();
    PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    QtTimers timers;
    TSerialPortDriver driver(
        makeQtSerialPlatform(), [&](TComPortNumber) { return pty.slavePath(); }, timers);
    Receiver rx;
    rx.bind(driver);
    driver.setComPortPollingDelay(100);
    ASSERT_TRUE(driver.OpenPort());
    ASSERT_TRUE(pty.write("on time"));
    ASSERT_TRUE(runUntil([&] { return rx.bytes == "on time"; }));
    EXPECT_GE(driver.stats().polls, 1U);
}

TEST_F(DriverOnPty, PortNumberAndBufferSizeAreFrozenWhileOpen) {
    ASSERT_TRUE(driver->OpenPort());
    driver->setComPort(TComPortNumber::pnCOM3);
    driver->setComPortInBufSize(16);
    EXPECT_EQ(driver->ComPort(), TComPortNumber::pnCOM1);
    EXPECT_EQ(driver->ComPortInBufSize(), 2048);
    ASSERT_TRUE(pty.write("still here"));
    ASSERT_TRUE(pollUntil([&] { return rx.bytes == "still here"; }));

    driver->ClosePort();
    driver->setComPort(TComPortNumber::pnCOM3);
    driver->setComPortInBufSize(16);
    EXPECT_EQ(driver->ComPort(), TComPortNumber::pnCOM3);
    EXPECT_EQ(driver->ComPortInBufSize(), 16);
    EXPECT_FALSE(driver->OpenPort());  // nothing is bound to COM 3 here
    EXPECT_EQ(driver->lastOpenResult().error, SerialOpenError::NoDevice);
}

TEST_F(DriverOnPty, HangUpClosesThePortAndSaysSoOnce) {
    int lost = 0;
    QString lostDevice;
    QString lostReason;
    driver->setOnPortLost([&](const QString& device, const QString& reason) {
        ++lost;
        lostDevice = device;
        lostReason = reason;
    });
    ASSERT_TRUE(driver->OpenPort());
    ASSERT_TRUE(pty.write("last"));
    ASSERT_TRUE(pollUntil([&] { return rx.bytes == "last"; }));
    pty.closeMaster();
    ASSERT_TRUE(pollUntil([&] { return lost > 0; }));
    EXPECT_FALSE(driver->IsOpen());
    EXPECT_FALSE(driver->pollTimerActive());
    EXPECT_EQ(lostDevice, pty.slavePath());
    EXPECT_EQ(lostReason, QString::fromLocal8Bit(std::strerror(EIO)));
    pollFor(300);
    EXPECT_EQ(lost, 1);
}

struct OpenFailureCase {
    const char* name;
    QString device;  // "<pty>": the test's pseudo-terminal, already held by another driver
    SerialOpenError expected;
};
void PrintTo(const OpenFailureCase& c, std::ostream* os) {
    *os << c.name;
}

class DriverOpenFailure : public ::testing::TestWithParam<OpenFailureCase> {};

TEST_P(DriverOpenFailure, StaysClosedAndKeepsTheReason) {
    testApp();
    PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    const bool usePty = GetParam().device == "<pty>";
    const QString device = usePty ? pty.slavePath() : GetParam().device;
    ManualTimers timers;
    TSerialPortDriver holder(
        makeQtSerialPlatform(), [&](TComPortNumber) { return device; }, timers);
    if (usePty) {
        ASSERT_TRUE(holder.OpenPort());
    }

    TSerialPortDriver driver(
        makeQtSerialPlatform(), [&](TComPortNumber) { return device; }, timers);
    EXPECT_FALSE(driver.OpenPort());
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_FALSE(driver.pollTimerActive());
    EXPECT_EQ(driver.lastOpenResult().error, GetParam().expected);
    EXPECT_FALSE(driver.lastOpenResult().reason.isEmpty());
    EXPECT_EQ(driver.deviceName(), device);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, DriverOpenFailure,
    ::testing::Values(OpenFailureCase{"NothingBound", QString(), SerialOpenError::NoDevice},
                      OpenFailureCase{"Missing", "/dev/vxm90-no-such-port",
                                      SerialOpenError::NotFound},
                      OpenFailureCase{"HeldByAnother", "<pty>", SerialOpenError::Busy}),
    [](const ::testing::TestParamInfo<OpenFailureCase>& p) { return p.param.name; });

// ---- the driver's rules over a fake platform ----

class DriverRules : public ::testing::Test {
protected:
    void SetUp() override {
        testApp();
        driver = std::make_unique<TSerialPortDriver>(
            std::make_unique<FakeSerialPlatform>(state),
            [](TComPortNumber p) {
                return QStringLiteral("/dev/fake%1").arg(comPortNumberValue(p));
            },
            timers);
        rx.bind(*driver);
    }
    /// Lets ms pass on the driver's timer.
    void after(int ms) { timers.advance(ms); }
    void clearLog() {
        state->configured.clear();
        state->purges.clear();
        state->queueSizes.clear();
    }

    std::shared_ptr<FakeSerialState> state = std::make_shared<FakeSerialState>();
    ManualTimers timers;
    std::unique_ptr<TSerialPortDriver> driver;
    Receiver rx;
};

TEST_F(DriverRules, ConfiguredMeterLineIs2400Baud8N1WithDtrAndWithoutRts) {
    driver->setComPortSpeed(TComPortBaudRate::br2400);
    driver->setComPortPollingDelay(100);
    ASSERT_TRUE(driver->OpenPort());
    EXPECT_EQ(state->openedName, "/dev/fake1");

    SerialLineSettings expected;
    expected.bitRate = 2400;
    expected.dataBits = 8;
    expected.parity = TComPortParity::ptNONE;
    expected.stopBits = TComPortStopBits::sb1BITS;
    expected.rtsCtsFlow = false;
    expected.xonXoffFlow = false;
    expected.dtr = true;
    expected.rts = false;
    expected.xonLimit = 512;
    expected.xoffLimit = 1;
    ASSERT_EQ(state->configured.size(), 1U);
    EXPECT_EQ(state->configured[0], expected);
    EXPECT_EQ(state->purges, (std::vector<std::pair<bool, bool>>{{true, true}}));
    EXPECT_EQ(state->queueSizes,
              (std::vector<std::pair<std::uint16_t, std::uint16_t>>{{2048, 2048}}));

    // DTR follows its flag only at the next write of the settings.
    driver->setEnableDTROnOpen(false);
    EXPECT_EQ(state->configured.size(), 1U);
    driver->ApplySettings();
    ASSERT_EQ(state->configured.size(), 2U);
    EXPECT_FALSE(state->configured[1].dtr);
}

TEST_F(DriverRules, SecondOpenNeitherReopensNorReconfigures) {
    ASSERT_TRUE(driver->OpenPort());
    ASSERT_TRUE(driver->OpenPort());
    EXPECT_EQ(state->opens, 1);
    EXPECT_EQ(state->configured.size(), 1U);
}

struct SettingCase {
    const char* name;
    void (*change)(TSerialPortDriver&);
    bool (*shows)(const SerialLineSettings&);
};
void PrintTo(const SettingCase& c, std::ostream* os) {
    *os << c.name;
}

class DriverSetting : public DriverRules, public ::testing::WithParamInterface<SettingCase> {};

TEST_P(DriverSetting, WrittenAtOnceWithBothDirectionsPurgedWhileOpen) {
    ASSERT_TRUE(driver->OpenPort());
    clearLog();
    GetParam().change(*driver);
    ASSERT_EQ(state->configured.size(), 1U);
    EXPECT_TRUE(GetParam().shows(state->configured[0]));
    EXPECT_EQ(state->purges, (std::vector<std::pair<bool, bool>>{{true, true}}));
    EXPECT_EQ(state->queueSizes.size(), 1U);
}

TEST_P(DriverSetting, OnlyStoredWhileClosedAndWrittenAtOpen) {
    GetParam().change(*driver);
    EXPECT_TRUE(state->configured.empty());
    EXPECT_TRUE(state->purges.empty());
    ASSERT_TRUE(driver->OpenPort());
    ASSERT_EQ(state->configured.size(), 1U);
    EXPECT_TRUE(GetParam().shows(state->configured[0]));
}

INSTANTIATE_TEST_SUITE_P(
    Properties, DriverSetting,
    ::testing::Values(
        SettingCase{"Speed",
                    [](TSerialPortDriver& d) { d.setComPortSpeed(TComPortBaudRate::br19200); },
                    [](const SerialLineSettings& s) { return s.bitRate == 19200; }},
        SettingCase{"DataBits",
                    [](TSerialPortDriver& d) { d.setComPortDataBits(TComPortDataBits::db7BITS); },
                    [](const SerialLineSettings& s) { return s.dataBits == 7; }},
        SettingCase{
            "StopBits",
            [](TSerialPortDriver& d) { d.setComPortStopBits(TComPortStopBits::sb2BITS); },
            [](const SerialLineSettings& s) { return s.stopBits == TComPortStopBits::sb2BITS; }},
        SettingCase{"Parity",
                    [](TSerialPortDriver& d) { d.setComPortParity(TComPortParity::ptMARK); },
                    [](const SerialLineSettings& s) { return s.parity == TComPortParity::ptMARK; }},
        SettingCase{"HardwareHandshake",
                    [](TSerialPortDriver& d) {
                        d.setComPortHwHandshaking(TComPortHwHandshaking::hhRTSCTS);
                    },
                    [](const SerialLineSettings& s) { return s.rtsCtsFlow && s.rts && s.dtr; }},
        SettingCase{
            "SoftwareHandshake",
            [](TSerialPortDriver& d) {
                d.setComPortSwHandshaking(TComPortSwHandshaking::shXONXOFF);
            },
            [](const SerialLineSettings& s) { return s.xonXoffFlow && !s.rtsCtsFlow && !s.rts; }}),
    [](const ::testing::TestParamInfo<SettingCase>& p) { return p.param.name; });

TEST_F(DriverRules, PollingDelayRestartsTheTimerOnlyOnAChangeWhileOpen) {
    driver->setComPortPollingDelay(250);
    EXPECT_FALSE(driver->pollTimerActive());
    EXPECT_EQ(driver->ComPortPollingDelay(), 250);
    ASSERT_TRUE(driver->OpenPort());
    EXPECT_EQ(driver->pollTimerInterval(), 250);

    after(100);  // time passes without ticks
    driver->setComPortPollingDelay(250);
    EXPECT_EQ(driver->pollTimerRemaining(), 150) << "same value restarted the timer";

    driver->setComPortPollingDelay(400);
    EXPECT_EQ(driver->pollTimerInterval(), 400);
    EXPECT_EQ(driver->pollTimerRemaining(), 400);

    driver->setComPortPollingDelay(0);  // kept from spinning
    EXPECT_EQ(driver->pollTimerInterval(), 10);
    EXPECT_EQ(driver->ComPortPollingDelay(), 0);
}

TEST_F(DriverRules, EmptyAndFailedReadsAreSilent) {
    driver->setComPortPollingDelay(20);
    ASSERT_TRUE(driver->OpenPort());
    after(60);
    EXPECT_EQ(state->readCalls, 3);
    state->failReads = true;
    after(60);
    EXPECT_EQ(state->readCalls, 6);
    EXPECT_TRUE(rx.chunkSizes.empty());
    EXPECT_EQ(driver->stats().readErrors, 3U);
    EXPECT_TRUE(driver->IsOpen());
    EXPECT_EQ(state->lastReadCapacity, 2048);
}

TEST_F(DriverRules, BytesWithoutAHandlerAreDropped) {
    driver->setOnReceiveData({});
    driver->setComPortPollingDelay(20);
    state->arrivals.push_back("dropped");
    ASSERT_TRUE(driver->OpenPort());
    after(20);
    EXPECT_TRUE(state->arrivals.empty());
    rx.bind(*driver);
    state->arrivals.push_back("seen");
    after(20);
    EXPECT_EQ(rx.bytes, "seen");
}

TEST_F(DriverRules, VanishedDeviceDeliversItsLastBytesThenClosesOnce) {
    QStringList lost;
    driver->setOnPortLost(
        [&](const QString& device, const QString& reason) { lost << device + " | " + reason; });
    driver->setComPortPollingDelay(20);
    ASSERT_TRUE(driver->OpenPort());
    state->arrivals.push_back("tail");
    state->gone = true;
    state->errorText = "Input/output error";
    after(20);
    ASSERT_FALSE(lost.isEmpty());
    EXPECT_EQ(rx.bytes, "tail");
    EXPECT_FALSE(driver->IsOpen());
    EXPECT_FALSE(driver->pollTimerActive());
    EXPECT_EQ(state->closes, 1);
    after(100);
    EXPECT_EQ(lost, QStringList{"/dev/fake1 | Input/output error"});
}

TEST_F(DriverRules, OutputQueueSizeReachesThePortAtTheNextSettingsWrite) {
    driver->setComPortOutBufSize(4096);
    EXPECT_EQ(driver->ComPortOutBufSize(), 4096);
    ASSERT_TRUE(driver->OpenPort());
    driver->setComPortOutBufSize(1024);
    EXPECT_EQ(state->queueSizes.back(), (std::pair<std::uint16_t, std::uint16_t>{2048, 4096}));
    driver->ApplySettings();
    EXPECT_EQ(state->queueSizes.back(), (std::pair<std::uint16_t, std::uint16_t>{2048, 1024}));
}

TEST_F(DriverRules, ClosedDriverIgnoresPortOperations) {
    driver->ApplySettings();
    driver->PurgeBuffers(true, true);
    driver->ClosePort();
    EXPECT_TRUE(state->configured.empty());
    EXPECT_TRUE(state->purges.empty());
    EXPECT_EQ(state->closes, 0);
}

}  // namespace
