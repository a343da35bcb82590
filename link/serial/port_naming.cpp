#include "link/serial/port_naming.h"

#include <QSerialPortInfo>

#include <algorithm>
#include <map>

namespace {

bool isUsbAdapter(const QString& path) {
    const QString name = path.section(QLatin1Char('/'), -1);
    return name.startsWith(QLatin1String("ttyUSB")) || name.startsWith(QLatin1String("ttyACM"));
}

// Splits "ttyS10" into ("ttyS", 10) so that ports sort as people count them.
std::pair<QString, qlonglong> splitTrailingNumber(const QString& path) {
    qsizetype digits = 0;
    while (digits < path.size() && digits < 18 && path.at(path.size() - 1 - digits).isDigit()) {
        ++digits;
    }
    if (digits == 0) return {path, -1};
    return {path.left(path.size() - digits), path.right(digits).toLongLong()};
}

bool naturalLess(const QString& a, const QString& b) {
    const auto [stemA, numberA] = splitTrailingNumber(a);
    const auto [stemB, numberB] = splitTrailingNumber(b);
    if (stemA != stemB) return stemA < stemB;
    if (numberA != numberB) return numberA < numberB;
    return a < b;
}

}  // namespace

QStringList orderSerialPorts(QStringList devicePaths) {
    std::sort(devicePaths.begin(), devicePaths.end(), [](const QString& a, const QString& b) {
        const bool usbA = isUsbAdapter(a);
        const bool usbB = isUsbAdapter(b);
        if (usbA != usbB) return usbA;
        return naturalLess(a, b);
    });
    devicePaths.erase(std::unique(devicePaths.begin(), devicePaths.end()), devicePaths.end());
    return devicePaths;
}

QString comPortDevice(int portNumber, const EnvironmentLookup& env,
                      const QStringList& systemPorts) {
    if (portNumber < 1) return {};
    if (env) {
        const QString bound = env(QStringLiteral("VXM90_COM%1").arg(portNumber));
        if (!bound.isEmpty()) return bound;
    }
    const QStringList ordered = orderSerialPorts(systemPorts);
    if (portNumber > ordered.size()) return {};
    return ordered.at(portNumber - 1);
}

ComPortDeviceResolver systemComPortResolver(const EnvironmentLookup& env) {
#ifdef Q_OS_WIN
    Q_UNUSED(env);
    return
        [](TComPortNumber port) { return QStringLiteral("COM%1").arg(comPortNumberValue(port)); };
#else
    std::map<QString, QString> bindings;
    for (int n = 1; n <= 4; ++n) {
        const QString name = QStringLiteral("VXM90_COM%1").arg(n);
        if (env) bindings[name] = env(name);
    }
    return [bindings = std::move(bindings)](TComPortNumber port) {
        QStringList ports;
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
            ports << info.systemLocation();
        }
        const EnvironmentLookup bound = [&bindings](const QString& name) {
            const auto it = bindings.find(name);
            return it == bindings.end() ? QString() : it->second;
        };
        return comPortDevice(comPortNumberValue(port), bound, ports);
    };
#endif
}

QString comPortToolTip(int portNumber, const QString& device) {
    if (device.isEmpty()) return QStringLiteral("COM %1: no serial port present").arg(portNumber);
    return QStringLiteral("COM %1: %2").arg(portNumber).arg(device);
}
