#include "link/hid/usb_texts.h"

#include "link/hid/hid_device.h"
#include "ui/ansi_text.h"

namespace {

QString hex(std::uint32_t value, int digits) {
    return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

QString inSystemCodePage(const QString& text) {
    return ansiToQString(qStringToAnsi(text));
}

}  // namespace

QString udevRuleInstallCommand() {
    return QStringLiteral(
               "echo '%1' | sudo tee /etc/udev/rules.d/%2 && sudo udevadm control "
               "--reload-rules && sudo udevadm trigger --subsystem-match=hidraw")
        .arg(QString::fromLatin1(kUdevRule), QString::fromLatin1(kUdevRuleFile));
}

QString DeviceCaption(const QString& product, const QString& serial, std::uint16_t vendorId,
                      std::uint16_t productId) {
    QString caption =
        !product.isEmpty()
            ? inSystemCodePage(product)
            : QStringLiteral("Device VID=%1 PID=%2").arg(hex(vendorId, 4), hex(productId, 4));
    if (!serial.isEmpty()) caption += QStringLiteral(" (Serial=%1)").arg(inSystemCodePage(serial));
    return caption;
}

QString DeviceCaption(THidDevice& device) {
    return DeviceCaption(device.ProductString(), device.SerialString(), device.VendorID(),
                         device.ProductID());
}

QString DeviceCaption(const HidSystemInfo& system) {
    return DeviceCaption(QString::fromStdString(system.product), {}, system.vendorId,
                         system.productId);
}

QString arrivalLine(const QString& caption) {
    return QStringLiteral("Arrival of ") + caption;
}

QString removalLine(const QString& caption) {
    return QStringLiteral("Removal of ") + caption;
}

QString readErrorLine(const QString& systemText, std::uint32_t code) {
    return QStringLiteral("READ ERROR: %1 (%2)").arg(systemText, hex(code, 1));
}

QString hexPairsLine(std::span<const std::uint8_t> bytes) {
    QString line;
    for (const std::uint8_t b : bytes)
        line += hex(b, 2) + QLatin1Char(' ');
    return line;
}

std::array<std::uint8_t, 10> speedReport(std::uint32_t baud) {
    std::array<std::uint8_t, 10> report{};
    for (int i = 0; i < 4; ++i)
        report.at(static_cast<std::size_t>(1 + i)) = static_cast<std::uint8_t>(baud >> (8 * i));
    report[5] = 0x03;
    return report;
}

QString cablePermissionText(const QString& node, const QString& reason, bool readOnly) {
    QString text = QStringLiteral("Cannot open the USB interface cable (%1) at %2")
                       .arg(QString::fromLatin1(kUsbCableProduct), node);
    if (readOnly) text += QStringLiteral(" for reading and writing");
    if (!reason.isEmpty()) text += QStringLiteral(": ") + reason;
    text += QLatin1Char('.');
#ifdef Q_OS_LINUX
    text += QStringLiteral(
                "\nYour user has no access to the cable's device. This udev rule gives the "
                "logged-in user access to it:\n%1\nInstall the rule and apply it with:\n%2\n"
                "(from the program's source folder: sudo bash scripts/install-udev-rule.sh), "
                "then click \"USB Connection\" again.")
                .arg(QString::fromLatin1(kUdevRule), udevRuleInstallCommand());
#else
    text += QStringLiteral("\nYou have no permission to use this device.");
#endif
    return text;
}

QString cableRemovedText(const QString& caption) {
    return QStringLiteral(
               "The USB interface cable (%1) was removed. The USB connection has been closed.")
        .arg(caption);
}
