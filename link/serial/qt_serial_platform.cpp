#include <QSerialPort>

#include "link/serial/serial_platform.h"

#include <QTimer>

#include <algorithm>
#include <cstring>

#ifdef Q_OS_UNIX
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

QSerialPort::Parity toQt(TComPortParity parity) {
    switch (parity) {
        case TComPortParity::ptODD:
            return QSerialPort::OddParity;
        case TComPortParity::ptEVEN:
            return QSerialPort::EvenParity;
        case TComPortParity::ptMARK:
            return QSerialPort::MarkParity;
        case TComPortParity::ptSPACE:
            return QSerialPort::SpaceParity;
        case TComPortParity::ptNONE:
            break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits toQt(TComPortStopBits stopBits) {
    switch (stopBits) {
        case TComPortStopBits::sb1HALFBITS:
            return QSerialPort::OneAndHalfStop;
        case TComPortStopBits::sb2BITS:
            return QSerialPort::TwoStop;
        case TComPortStopBits::sb1BITS:
            break;
    }
    return QSerialPort::OneStop;
}

// QSerialPort reports a device held by another program and one the user may not open alike
// (a lock file or TIOCEXCL refusal reads as a permission error). Asking the file system tells
// the two apart, so the user gets the advice that fits.
SerialOpenError permissionOrBusy(const QString& location) {
#ifdef Q_OS_UNIX
    const QByteArray path = location.toLocal8Bit();
    if (::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        return SerialOpenError::PermissionDenied;
    }
    return SerialOpenError::Busy;
#else
    Q_UNUSED(location);
    return SerialOpenError::PermissionDenied;
#endif
}

// A terminal whose device went away (adapter unplugged, line hung up) reads as end of file and
// refuses every terminal request with an I/O error, while QSerialPort only sees a read error
// with a stale reason. Returns the system's reason when the line is dead, else empty.
QString hangUpReason(const QSerialPort& port) {
#ifdef Q_OS_UNIX
    termios attributes{};
    if (::tcgetattr(static_cast<int>(port.handle()), &attributes) == 0) return {};
    const int error = errno;
    if (error == EIO || error == ENXIO || error == ENODEV || error == EBADF) {
        return QString::fromLocal8Bit(std::strerror(error));
    }
    return {};
#else
    Q_UNUSED(port);
    return {};
#endif
}

class QtSerialPlatform final : public SerialPlatform {
public:
    QtSerialPlatform() {
        QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                         [this](QSerialPort::SerialPortError e) { noticeError(e); });
    }

    SerialOpenResult open(const QString& deviceName) override {
        close();
        m_port.setPortName(deviceName);
        if (m_port.open(QIODevice::ReadWrite)) return {};
        SerialOpenResult result;
        result.reason = m_port.errorString();
        switch (m_port.error()) {
            case QSerialPort::DeviceNotFoundError:
                result.error = SerialOpenError::NotFound;
                break;
            case QSerialPort::PermissionError:
                result.error = permissionOrBusy(m_port.portName().startsWith(QLatin1Char('/'))
                                                    ? m_port.portName()
                                                    : QStringLiteral("/dev/") + m_port.portName());
                break;
            default:
                result.error = SerialOpenError::Other;
                break;
        }
        return result;
    }

    bool isOpen() const override { return m_port.isOpen(); }

    void configure(const SerialLineSettings& s) override {
        if (!m_port.isOpen()) return;
        // Results are not checked: a pseudo-terminal or an adapter that refuses a modem line
        // or a rate still carries data.
        m_port.setBaudRate(s.bitRate);
        m_port.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits));
        m_port.setParity(toQt(s.parity));
        m_port.setStopBits(toQt(s.stopBits));
        // QSerialPort runs one flow control at a time; hardware wins when both are asked for.
        if (s.rtsCtsFlow) {
            m_port.setFlowControl(QSerialPort::HardwareControl);
        } else if (s.xonXoffFlow) {
            m_port.setFlowControl(QSerialPort::SoftwareControl);
        } else {
            m_port.setFlowControl(QSerialPort::NoFlowControl);
        }
        m_port.setDataTerminalReady(s.dtr);
        if (!s.rtsCtsFlow) m_port.setRequestToSend(s.rts);
        m_port.clearError();
    }

    void setQueueSizes(std::uint16_t inBytes, std::uint16_t /*outBytes*/) override {
        // Bounds what Qt buffers ahead of our reads; the rest waits in the kernel's queue.
        // Qt reads 0 as "unbounded", which a zero-sized receive buffer would never drain.
        m_port.setReadBufferSize(std::max<qint64>(inBytes, 1));
    }

    void purge(bool input, bool output) override {
        if (!m_port.isOpen()) return;
        QSerialPort::Directions directions;
        if (input) directions |= QSerialPort::Input;
        if (output) directions |= QSerialPort::Output;
        if (directions) m_port.clear(directions);
    }

    std::int64_t read(std::uint8_t* buffer, std::int32_t capacity) override {
        if (capacity <= 0) return 0;
        if (m_gone) {
            retire();
            if (m_tail.isEmpty()) return -1;
            const auto n = std::min<qsizetype>(m_tail.size(), capacity);
            std::memcpy(buffer, m_tail.constData(), static_cast<std::size_t>(n));
            m_tail.remove(0, n);
            return n;
        }
        if (!m_port.isOpen()) return 0;
        return m_port.read(reinterpret_cast<char*>(buffer), capacity);
    }

    std::int64_t bytesAvailable() const override {
        if (m_gone) return m_tail.size();
        return m_port.isOpen() ? m_port.bytesAvailable() : 0;
    }

    void close() override {
        if (m_port.isOpen()) m_port.close();
        m_gone = false;
        m_goneReason.clear();
        m_tail.clear();
    }

    bool deviceGone() const override { return m_gone; }

    QString errorText() const override { return m_gone ? m_goneReason : m_port.errorString(); }

private:
    void noticeError(QSerialPort::SerialPortError e) {
        if (m_gone || !m_port.isOpen()) return;
        if (e != QSerialPort::ResourceError && e != QSerialPort::ReadError) return;
        QString reason = hangUpReason(m_port);
        if (reason.isEmpty()) {
            if (e != QSerialPort::ResourceError) return;
            reason = m_port.errorString();
        }
        m_gone = true;
        m_goneReason = reason;
        // A dead line keeps the read notifier firing; close it, but only after QSerialPort has
        // left the notification that reported the error.
        QTimer::singleShot(0, &m_port, [this] { retire(); });
    }

    /// Keeps what arrived before the device vanished and releases the dead port.
    void retire() {
        if (!m_port.isOpen()) return;
        m_tail += m_port.readAll();
        m_port.close();
    }

    QSerialPort m_port;
    bool m_gone = false;
    QString m_goneReason;
    QByteArray m_tail;  ///< bytes read before the device vanished, not yet handed over
};

}  // namespace

std::unique_ptr<SerialPlatform> makeQtSerialPlatform() {
    return std::make_unique<QtSerialPlatform>();
}
