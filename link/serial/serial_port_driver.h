#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "decode/baud_rate.h"
#include "link/serial/port_naming.h"
#include "link/serial/serial_platform.h"
#include "link/serial/serial_types.h"
#include "ui/timers.h"

class TSerialPortDriver;

/// Receives what one poll read: DataPtr points into the driver's receive buffer and is valid
/// only during the call; DataSize is at least 1. Called on the GUI thread.
using TComPortReceiveDataEvent = std::function<void(
    TSerialPortDriver& Sender, const std::uint8_t* DataPtr, std::int32_t DataSize)>;

/// Called once when the open device vanished; the port is already closed.
/// device is the system name, reason the system's wording.
using ComPortLostEvent = std::function<void(const QString& device, const QString& reason)>;

/// Health counters of the link since construction.
struct SerialLinkStats {
    std::uint64_t polls = 0;          ///< ticks that read while open
    std::uint64_t bytesReceived = 0;  ///< bytes handed to OnReceiveData or dropped unassigned
    std::uint64_t readErrors = 0;     ///< reads the platform refused
};

/// The serial COM port: opens one of COM1..COM4, writes its line settings and polls it from a
/// timer on the GUI thread, handing every non-empty read to OnReceiveData. It never writes.
/// Not thread-safe: construct, use and destroy it on the GUI thread, where the poll timer runs.
/// The poll timer runs exactly while the port is open.
class TSerialPortDriver {
public:
    static constexpr std::uint16_t kDefaultBufSize = 2048;
    static constexpr std::uint16_t kDefaultPollingDelay = 50;

    /// platform: the port access, owned. resolver: names the device of each port number; an
    /// empty resolver binds no device. timers: the poll timer's source; must outlive this.
    TSerialPortDriver(std::unique_ptr<SerialPlatform> platform, ComPortDeviceResolver resolver,
                      Timers& timers);
    ~TSerialPortDriver();
    TSerialPortDriver(const TSerialPortDriver&) = delete;
    TSerialPortDriver& operator=(const TSerialPortDriver&) = delete;

    bool IsOpen() const { return m_open; }
    /// Opens the selected port, writes the settings and starts polling. True at once when
    /// already open (nothing is reopened or rewritten); false when the device cannot be opened,
    /// with the reason in lastOpenResult().
    bool OpenPort();
    /// Stops polling and closes the port; nothing when closed.
    void ClosePort();
    /// Writes the line settings, discards both directions and sizes the queues; only while open.
    void ApplySettings();
    /// Discards queued data of the chosen directions; only while open.
    void PurgeBuffers(bool input, bool output);

    TComPortNumber ComPort() const { return m_comPort; }
    /// Ignored while open.
    void setComPort(TComPortNumber port);
    TComPortBaudRate ComPortSpeed() const { return m_speed; }
    void setComPortSpeed(TComPortBaudRate speed);
    TComPortDataBits ComPortDataBits() const { return m_dataBits; }
    void setComPortDataBits(TComPortDataBits bits);
    TComPortStopBits ComPortStopBits() const { return m_stopBits; }
    void setComPortStopBits(TComPortStopBits bits);
    TComPortParity ComPortParity() const { return m_parity; }
    void setComPortParity(TComPortParity parity);
    TComPortHwHandshaking ComPortHwHandshaking() const { return m_hwHandshaking; }
    void setComPortHwHandshaking(TComPortHwHandshaking handshaking);
    TComPortSwHandshaking ComPortSwHandshaking() const { return m_swHandshaking; }
    void setComPortSwHandshaking(TComPortSwHandshaking handshaking);
    /// Bytes; the receive buffer and the most one poll hands over. Ignored while open.
    std::uint16_t ComPortInBufSize() const { return m_inBufSize; }
    void setComPortInBufSize(std::uint16_t size);
    /// Bytes; reaches the port at the next ApplySettings.
    std::uint16_t ComPortOutBufSize() const { return m_outBufSize; }
    void setComPortOutBufSize(std::uint16_t size);
    /// Milliseconds between polls. The tick runs at least 10 ms apart, as on Windows.
    std::uint16_t ComPortPollingDelay() const { return m_pollingDelay; }
    void setComPortPollingDelay(std::uint16_t delay);
    /// Takes effect at the next ApplySettings.
    bool EnableDTROnOpen() const { return m_enableDtrOnOpen; }
    void setEnableDTROnOpen(bool enable);

    void setOnReceiveData(TComPortReceiveDataEvent handler) {
        m_onReceiveData = std::move(handler);
    }
    bool hasOnReceiveData() const { return static_cast<bool>(m_onReceiveData); }
    void setOnPortLost(ComPortLostEvent handler) { m_onPortLost = std::move(handler); }

    /// The line settings ApplySettings writes for the current properties.
    SerialLineSettings lineSettings() const;
    /// The device the given port would open now (empty: none bound).
    QString resolveDevice(TComPortNumber port) const {
        return m_resolver ? m_resolver(port) : QString();
    }
    /// The device of the open port, or of the last attempt to open one.
    const QString& deviceName() const { return m_deviceName; }
    const SerialOpenResult& lastOpenResult() const { return m_lastOpenResult; }
    const SerialLinkStats& stats() const { return m_stats; }

    bool pollTimerActive() const { return m_pollTimer->isActive(); }
    /// Period of the running poll timer in ms.
    int pollTimerInterval() const { return m_pollTimer->interval(); }
    /// Milliseconds to the next tick; -1 when the timer is stopped.
    int pollTimerRemaining() const { return m_pollTimer->remainingTime(); }

private:
    void setAndApply(auto& member, auto value);
    void startPollTimer();
    void pollTick();

    std::unique_ptr<SerialPlatform> m_platform;
    ComPortDeviceResolver m_resolver;
    TComPortNumber m_comPort = TComPortNumber::pnCOM1;
    TComPortBaudRate m_speed = TComPortBaudRate::br9600;
    TComPortDataBits m_dataBits = TComPortDataBits::db8BITS;
    TComPortStopBits m_stopBits = TComPortStopBits::sb1BITS;
    TComPortParity m_parity = TComPortParity::ptNONE;
    TComPortHwHandshaking m_hwHandshaking = TComPortHwHandshaking::hhNONE;
    TComPortSwHandshaking m_swHandshaking = TComPortSwHandshaking::shNONE;
    std::uint16_t m_inBufSize = kDefaultBufSize;
    std::uint16_t m_outBufSize = kDefaultBufSize;
    std::uint16_t m_pollingDelay = kDefaultPollingDelay;
    bool m_enableDtrOnOpen = true;
    TComPortReceiveDataEvent m_onReceiveData;
    ComPortLostEvent m_onPortLost;

    bool m_open = false;
    std::vector<std::uint8_t> m_receiveBuffer;
    std::unique_ptr<Timer> m_pollTimer;
    QString m_deviceName;
    SerialOpenResult m_lastOpenResult;
    SerialLinkStats m_stats;
};
