#include "link/serial/serial_port_driver.h"

#include <algorithm>

namespace {

// Windows raises shorter timer periods to this; keeping it stops a 0 ms delay from spinning.
constexpr int kMinimumTimerPeriod = 10;

}  // namespace

TSerialPortDriver::TSerialPortDriver(std::unique_ptr<SerialPlatform> platform,
                                     ComPortDeviceResolver resolver, Timers& timers)
    : m_platform(std::move(platform)),
      m_resolver(std::move(resolver)),
      m_receiveBuffer(m_inBufSize),
      m_pollTimer(timers.create([this] { pollTick(); })) {}

TSerialPortDriver::~TSerialPortDriver() {
    ClosePort();
}

bool TSerialPortDriver::OpenPort() {
    if (m_open) return true;
    m_deviceName = resolveDevice(m_comPort);
    if (m_deviceName.isEmpty()) {
        m_lastOpenResult = {SerialOpenError::NoDevice, QStringLiteral("no serial port present")};
        return false;
    }
    m_lastOpenResult = m_platform->open(m_deviceName);
    if (!m_lastOpenResult.ok()) return false;
    m_open = true;
    ApplySettings();
    startPollTimer();
    return true;
}

void TSerialPortDriver::ClosePort() {
    if (!m_open) return;
    m_pollTimer->stop();
    m_platform->close();
    m_open = false;
}

SerialLineSettings TSerialPortDriver::lineSettings() const {
    SerialLineSettings s;
    s.bitRate = baudRateValue(m_speed);
    s.dataBits = static_cast<int>(m_dataBits) + 5;
    s.parity = m_parity;
    s.stopBits = m_stopBits;
    s.rtsCtsFlow = m_hwHandshaking == TComPortHwHandshaking::hhRTSCTS;
    s.xonXoffFlow = m_swHandshaking == TComPortSwHandshaking::shXONXOFF;
    s.dtr = m_enableDtrOnOpen;
    // RTS is raised only as the handshake line; the meter cable must not see it otherwise.
    s.rts = s.rtsCtsFlow;
    s.xonLimit = m_inBufSize / 4;
    s.xoffLimit = 1;
    return s;
}

void TSerialPortDriver::ApplySettings() {
    if (!m_open) return;
    m_platform->configure(lineSettings());
    PurgeBuffers(true, true);
    m_platform->setQueueSizes(m_inBufSize, m_outBufSize);
}

void TSerialPortDriver::PurgeBuffers(bool input, bool output) {
    if (!m_open) return;
    m_platform->purge(input, output);
}

void TSerialPortDriver::setComPort(TComPortNumber port) {
    if (!m_open) m_comPort = port;
}

void TSerialPortDriver::setAndApply(auto& member, auto value) {
    member = value;
    if (m_open) ApplySettings();
}

void TSerialPortDriver::setComPortSpeed(TComPortBaudRate speed) {
    setAndApply(m_speed, speed);
}
void TSerialPortDriver::setComPortDataBits(TComPortDataBits bits) {
    setAndApply(m_dataBits, bits);
}
void TSerialPortDriver::setComPortStopBits(TComPortStopBits bits) {
    setAndApply(m_stopBits, bits);
}
void TSerialPortDriver::setComPortParity(TComPortParity parity) {
    setAndApply(m_parity, parity);
}
void TSerialPortDriver::setComPortHwHandshaking(TComPortHwHandshaking handshaking) {
    setAndApply(m_hwHandshaking, handshaking);
}
void TSerialPortDriver::setComPortSwHandshaking(TComPortSwHandshaking handshaking) {
    setAndApply(m_swHandshaking, handshaking);
}

void TSerialPortDriver::setComPortInBufSize(std::uint16_t size) {
    if (m_open) return;
    m_inBufSize = size;
    m_receiveBuffer = std::vector<std::uint8_t>(size);
}

void TSerialPortDriver::setComPortOutBufSize(std::uint16_t size) {
    m_outBufSize = size;
}

void TSerialPortDriver::setComPortPollingDelay(std::uint16_t delay) {
    if (delay == m_pollingDelay) return;
    if (m_open) {
        m_pollTimer->stop();
        m_pollingDelay = delay;
        startPollTimer();
    } else {
        m_pollingDelay = delay;
    }
}

void TSerialPortDriver::setEnableDTROnOpen(bool enable) {
    m_enableDtrOnOpen = enable;
}

void TSerialPortDriver::startPollTimer() {
    m_pollTimer->setInterval(std::max<int>(m_pollingDelay, kMinimumTimerPeriod));
    m_pollTimer->start();
}

void TSerialPortDriver::pollTick() {
    if (!m_open) return;
    ++m_stats.polls;
    const std::int64_t count = m_platform->read(m_receiveBuffer.data(), m_inBufSize);
    if (count < 0) {
        ++m_stats.readErrors;
    } else if (count > 0) {
        m_stats.bytesReceived += static_cast<std::uint64_t>(count);
        if (m_onReceiveData) {
            m_onReceiveData(*this, m_receiveBuffer.data(), static_cast<std::int32_t>(count));
        }
    }
    // Bytes read before the device vanished are delivered first; a dead port is then closed
    // rather than polled forever.
    if (m_open && m_platform->deviceGone()) {
        const QString reason = m_platform->errorText();
        ClosePort();
        if (m_onPortLost) m_onPortLost(m_deviceName, reason);
    }
}
