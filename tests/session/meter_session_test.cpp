#include "session/meter_session.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "log/memory_chart_surface.h"
#include "tests/decode/packets.h"

namespace {

using testpkt::Bytes;
using testpkt::Packet;

// DC volts, auto range, point after digit 2: "05.99" for digits 0599.
Packet dcVolts(std::array<std::uint8_t, 4> digits) {
    Packet p;
    p.digits = digits;
    return p.with({testpkt::Auto, testpkt::Dc, testpkt::Volt});
}

// The line feed that ends each packet on the wire: in steady state it leads the next frame.
Bytes onTheWire(const Packet& packet) {
    Bytes bytes = packet.bytes();
    bytes.push_back(0x0A);
    return bytes;
}

// A display that notes, for each reading, how many rows the log held when it was shown.
class Display : public testpkt::RecordingSink {
public:
    explicit Display(const MeterSession*& session) : m_session(session) {}
    void ReadingDecoded(const TMeterReading& reading, double leftAxisMaximum) override {
        testpkt::RecordingSink::ReadingDecoded(reading, leftAxisMaximum);
        rowsWhenShown.push_back(m_session->cds1().rowCount());
    }
    std::vector<std::size_t> rowsWhenShown;

private:
    const MeterSession*& m_session;
};

class Session : public testing::Test {
protected:
    explicit Session(bool logReadings = true) {
        SessionSettings settings;
        settings.logReadings = logReadings;
        session = std::make_unique<MeterSession>(chart, clock, locale, &display, settings);
        view = session.get();
        const std::uint8_t lineFeed = 0x0A;  // the meter was already sending
        session->receiveSerial(&lineFeed, 1);
    }

    FixedLocale locale;
    FixedClock clock;
    MemoryChartSurface chart;
    const MeterSession* view = nullptr;
    Display display{view};
    std::unique_ptr<MeterSession> session;
};

TEST_F(Session, SerialBytesInAnyBatchesBecomeRowsLoggedBeforeTheyAreShown) {
    clock.now = {9, 30, 5};
    Bytes stream;
    for (const auto& digits : {std::array<std::uint8_t, 4>{'0', '5', '9', '9'},
                               std::array<std::uint8_t, 4>{'0', '6', '0', '0'},
                               std::array<std::uint8_t, 4>{'1', '2', '3', '4'}}) {
        const Bytes one = onTheWire(dcVolts(digits));
        stream.insert(stream.end(), one.begin(), one.end());
    }
    // Batches that cut packets anywhere, as a poll tick does.
    for (std::size_t at = 0; at < stream.size(); at += 5) {
        session->receiveSerial(stream.data() + at, std::min<std::size_t>(5, stream.size() - at));
    }

    ASSERT_EQ(session->cds1().rowCount(), 3U);
    EXPECT_EQ(session->cds1().displayText(0, LogField::Value), "05.99");
    EXPECT_EQ(session->cds1().displayText(2, LogField::Value), "12.34");
    EXPECT_EQ(session->cds1().displayText(1, LogField::Time), "09:30:05");
    EXPECT_EQ(session->cds1().displayText(1, LogField::Auto), "pass");
    EXPECT_EQ(display.rowsWhenShown, (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(display.decoded.back().reading.NumericValue, 12.34);
    EXPECT_EQ(chart.pointCount(0), 3);  // the pager got one point per row
    EXPECT_EQ(session->frames().stats().accepted, 3U);
    EXPECT_EQ(display.axisRanges.back(), std::make_pair(-60.0, 60.0));
}

TEST_F(Session, HidReportsGoThroughTheProfilesHandler) {
    const Bytes packet = onTheWire(dcVolts({'0', '4', '2', '0'}));
    // Payload reports of up to seven bytes, the count in the first data byte's low nibble,
    // then a report without payload ends the packet.
    for (std::size_t at = 0; at < packet.size(); at += 7) {
        const std::size_t n = std::min<std::size_t>(7, packet.size() - at);
        Bytes report{static_cast<std::uint8_t>(0xF0 | n)};
        report.insert(report.end(), packet.begin() + static_cast<std::ptrdiff_t>(at),
                      packet.begin() + static_cast<std::ptrdiff_t>(at + n));
        report.resize(8, 0x00);
        session->receiveHidReport(0, report.data(), static_cast<std::uint16_t>(report.size()));
        EXPECT_EQ(session->cds1().rowCount(), 0U) << "decoded before the packet ended";
    }
    const Bytes empty(8, 0x00);
    session->receiveHidReport(0, empty.data(), static_cast<std::uint16_t>(empty.size()));
    ASSERT_EQ(session->cds1().rowCount(), 1U);
    EXPECT_EQ(session->cds1().displayText(0, LogField::Value), "04.20");
    EXPECT_EQ(session->frames().EmptyReportCount(), 1);
}

TEST_F(Session, SamplingModeLogsAtTheTickOnly) {
    session->log().setRecordSI(true);
    const Bytes packet = onTheWire(dcVolts({'0', '5', '0', '0'}));
    session->receiveSerial(packet.data(), packet.size());
    EXPECT_EQ(session->cds1().rowCount(), 0U);
    EXPECT_EQ(display.decoded.size(), 1U) << "shown at once, logged at the tick";
    session->Timer3Timer();
    ASSERT_EQ(session->cds1().rowCount(), 1U);
    EXPECT_EQ(session->cds1().displayText(0, LogField::Value), "05.00");
}

// The repeat filter compares value, function, unit and range mode: the same digits on the
// kilohertz range are a new reading, logged with the unit of its range.
TEST_F(Session, RepeatFilterTellsHertzFromKiloHertz) {
    session->log().setRepeatSet(false);
    Packet hertz;
    hertz.digits = {'3', '2', '7', '7'};
    hertz.with({testpkt::Auto, testpkt::Hz});
    Packet kiloHertz = hertz;
    kiloHertz.with({testpkt::Kilo});
    for (const Packet& p : {hertz, hertz, kiloHertz, kiloHertz}) {
        const Bytes bytes = onTheWire(p);
        session->receiveSerial(bytes.data(), bytes.size());
    }
    ASSERT_EQ(session->cds1().rowCount(), 2U);
    EXPECT_EQ(session->cds1().displayText(0, LogField::Unit), "Hz");
    EXPECT_EQ(session->cds1().displayText(1, LogField::Unit), "kHz");
    EXPECT_EQ(session->cds1().displayText(1, LogField::Value), "32.77");
    EXPECT_EQ(chart.pointCount(0), 2);
    EXPECT_EQ(session->log().RecordNo(), 5) << "the dropped repeats still count";
}

TEST_F(Session, WatchdogTickDarkensTheLinkOnTheThirdTickAfterAPacket) {
    const Bytes packet = onTheWire(dcVolts({'0', '5', '0', '0'}));
    session->receiveSerial(packet.data(), packet.size());
    EXPECT_TRUE(session->decoder().panel().isVisible(LcdElement::CONok));
    EXPECT_FALSE(session->ConTimerTick());
    EXPECT_FALSE(session->ConTimerTick());
    EXPECT_TRUE(session->ConTimerTick());
    EXPECT_FALSE(session->decoder().panel().isVisible(LcdElement::CONok));
}

class SessionWithoutLog : public Session {
protected:
    SessionWithoutLog() : Session(false) {}
};

TEST_F(SessionWithoutLog, ShowsEveryReadingAndLogsNone) {
    const Bytes packet = onTheWire(dcVolts({'0', '5', '9', '9'}));
    for (int i = 0; i < 3; ++i)
        session->receiveSerial(packet.data(), packet.size());
    EXPECT_EQ(display.decoded.size(), 3U);
    EXPECT_EQ(session->cds1().rowCount(), 0U);
    EXPECT_EQ(chart.pointCount(0), 0);
}

}  // namespace
