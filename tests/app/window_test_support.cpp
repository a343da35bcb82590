#include "window_test_support.h"

#include "ui/application.h"
#include "ui/fonts.h"

QApplication& windowTestApp() {
    static int argc = 1;
    static char name[] = "app_window_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's input devices must not outlive it at exit.
    static VxmApplication* const app = [] {
        auto* created = new VxmApplication(argc, argv);
        installFontSubstitutions();
        return created;
    }();
    return *app;
}

Packet meterPacket(char sign, const char (&digits)[5], char point, std::uint8_t status8,
                   std::uint8_t status9, std::uint8_t status10, std::uint8_t status11) {
    const auto byte = [](char c) { return static_cast<std::uint8_t>(c); };
    return {byte(sign),
            byte(digits[0]),
            byte(digits[1]),
            byte(digits[2]),
            byte(digits[3]),
            0x20,
            byte(point),
            status8,
            status9,
            status10,
            status11,
            0x00,
            0x0D,
            0x0A};
}

Packet dcVolts(const char (&digits)[5]) {
    return meterPacket('+', digits, '2', kAuto | kDc, 0, 0, kVolt);
}

WindowFixture::WindowFixture(bool is64Bit, std::optional<std::string> journalFolder,
                             const TimeZone* zone) {
    windowTestApp();
    clock.now = {10, 15, 30};
    const ComPortDeviceResolver comPorts = [](TComPortNumber port) {
        return port == TComPortNumber::pnCOM1 ? QStringLiteral("/dev/ttyFAKE0") : QString();
    };
    window = std::make_unique<TFCOMM>(WindowEnvironment{
        dialogs, reportDialogs, locale, clock, timers, std::make_unique<FakeSerialPlatform>(serial),
        comPorts, [is64Bit] { return is64Bit; }, [this] { ++quits; }, nullptr, nullptr,
        std::move(journalFolder), zone});
    // The meter is already sending: the line feed of its previous packet lines up the first.
    const std::uint8_t lineFeed = 0x0A;
    window->receiveSerialData(&lineFeed, 1);
}

WindowFixture::~WindowFixture() = default;

void WindowFixture::feed(const Packet& packet) {
    window->receiveSerialData(packet.data(), static_cast<std::int32_t>(packet.size()));
}
