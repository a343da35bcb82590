#include <gtest/gtest.h>

#include <QFile>

#include <cerrno>
#include <vector>

#include "link/hid/hid_platform.h"
#include "link/hid/usb_texts.h"

namespace {

TEST(UsbTexts, SpeedReportCarriesTheRateLittleEndianThen03) {
    using Report = std::array<std::uint8_t, 10>;
    EXPECT_EQ(speedReport(2400), (Report{0x00, 0x60, 0x09, 0x00, 0x00, 0x03, 0, 0, 0, 0}));
    EXPECT_EQ(speedReport(19200), (Report{0x00, 0x00, 0x4B, 0x00, 0x00, 0x03, 0, 0, 0, 0}));
    EXPECT_EQ(speedReport(0x12345678), (Report{0x00, 0x78, 0x56, 0x34, 0x12, 0x03, 0, 0, 0, 0}));
}

TEST(UsbTexts, HistoryLinesUseUpperCaseHexadecimal) {
    const std::vector<std::uint8_t> bytes = {0x0A, 0xFF, 0x00};
    EXPECT_EQ(hexPairsLine(bytes), "0A FF 00 ");
    EXPECT_EQ(readErrorLine("Input/output error", EIO), "READ ERROR: Input/output error (5)");
    EXPECT_EQ(readErrorLine("Connection timed out", ETIMEDOUT),
              "READ ERROR: Connection timed out (6E)");
    EXPECT_EQ(readErrorLine("x", 0xC0000001U), "READ ERROR: x (C0000001)");
    EXPECT_EQ(arrivalLine("USB to Serial"), "Arrival of USB to Serial");
    EXPECT_EQ(removalLine("Device VID=0001 PID=0002"), "Removal of Device VID=0001 PID=0002");
}

TEST(UsbTexts, DeviceCaptionsOfDevicesThatCannotBeOpenedComeFromTheSystem) {
    EXPECT_EQ(DeviceCaption(HidSystemInfo{"USB to Serial", 0x1A86, 0xE008}), "USB to Serial");
    EXPECT_EQ(DeviceCaption(HidSystemInfo{"", 0x1A86, 0xE008}), "Device VID=1A86 PID=E008");
    EXPECT_EQ(DeviceCaption(HidSystemInfo{}), "Device VID=0000 PID=0000");
    EXPECT_EQ(DeviceCaption(QString(), QString(), 0xFFFF, 0x1), "Device VID=FFFF PID=0001");
}

TEST(UsbTexts, TheShippedUdevRuleIsTheOneThePermissionErrorInstalls) {
    QFile file(QStringLiteral(VXM_SOURCE_DIR "/resources/linux/") +
               QString::fromLatin1(kUdevRuleFile));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList rules;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (!line.isEmpty() && !line.startsWith('#')) rules.push_back(line);
    }
    EXPECT_EQ(rules, QStringList{QString::fromLatin1(kUdevRule)});
    // The rule file must sort before udev's 73-seat-late.rules, which applies uaccess.
    EXPECT_LT(QString::fromLatin1(kUdevRuleFile), QStringLiteral("73-seat-late.rules"));

    const QString command = udevRuleInstallCommand();
    EXPECT_TRUE(command.startsWith("echo '" + QString::fromLatin1(kUdevRule) +
                                   "' | sudo tee "
                                   "/etc/udev/rules.d/" +
                                   QString::fromLatin1(kUdevRuleFile)))
        << command.toStdString();
    EXPECT_TRUE(command.contains("udevadm control --reload-rules"));
    EXPECT_TRUE(command.contains("udevadm trigger"));
}

}  // namespace
