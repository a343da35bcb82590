#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/shell/main_window.h"
#include "decode/locale_info.h"
#include "log/clock.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/fake_report_dialogs.h"
#include "tests/support/fake_serial_platform.h"
#include "tests/support/manual_timers.h"

/// The application object of the window tests: the program's own, so that its error report
/// can be tested too. Font substitutions as the program installs them.
QApplication& windowTestApp();

/// One 14-byte meter packet: sign, four digit characters, blank, point code, the four status
/// bytes (8 to 11), a zero byte, CR, LF.
using Packet = std::array<std::uint8_t, 14>;
Packet meterPacket(char sign, const char (&digits)[5], char point, std::uint8_t status8,
                   std::uint8_t status9, std::uint8_t status10, std::uint8_t status11);

// Status bits used by the tests.
inline constexpr std::uint8_t kAuto = 0x20, kDc = 0x10;                    // byte 8
inline constexpr std::uint8_t kKilo = 0x20;                                // byte 10
inline constexpr std::uint8_t kVolt = 0x80, kOhm = 0x20, kCelsius = 0x02;  // byte 11

/// DC, auto range, volt, point after digit 2: "05.99" for digits "0599".
Packet dcVolts(const char (&digits)[5]);

/// The program's window built on fake dialogs, a fixed "." locale, a fixed clock, manual timers
/// and a fake serial port whose COM 1 is "/dev/ttyFAKE0" (the others are unbound).
class WindowFixture {
public:
    /// journalFolder: where the window keeps its recovery journal; none by default. zone: the
    /// window's time zone; UTC by default.
    explicit WindowFixture(bool is64Bit = true,
                           std::optional<std::string> journalFolder = std::nullopt,
                           const TimeZone* zone = nullptr);
    ~WindowFixture();

    void feed(const Packet& packet);

    FakeDialogs dialogs;
    FakeReportDialogs reportDialogs;
    FixedLocale locale;
    FixedClock clock;
    ManualTimers timers;
    std::shared_ptr<FakeSerialState> serial = std::make_shared<FakeSerialState>();
    int quits = 0;
    std::unique_ptr<TFCOMM> window;
};
