#pragma once

#include <QString>

#include <cstdint>
#include <memory>

#include "link/serial/serial_types.h"

/// Why a serial device could not be opened.
enum class SerialOpenError : std::uint8_t {
    None,
    NoDevice,          ///< no device is bound to the port
    NotFound,          ///< the device does not exist (any more)
    PermissionDenied,  ///< the user may not open the device
    Busy,              ///< another program holds the device
    Other,
};

/// Outcome of an open: the error kind and the system's own wording of the reason.
struct SerialOpenResult {
    SerialOpenError error = SerialOpenError::None;
    QString reason;  ///< empty on success
    bool ok() const { return error == SerialOpenError::None; }
};

/// The line settings the driver writes to an open port.
struct SerialLineSettings {
    int bitRate = 9600;  ///< bits per second
    int dataBits = 8;    ///< 5 to 8
    TComPortParity parity = TComPortParity::ptNONE;
    TComPortStopBits stopBits = TComPortStopBits::sb1BITS;
    bool rtsCtsFlow = false;   ///< CTS output flow control with RTS handshaking
    bool xonXoffFlow = false;  ///< XON/XOFF in both directions
    bool dtr = true;           ///< DTR asserted
    bool rts = false;          ///< RTS asserted (ignored while RTS/CTS flow control runs)
    int xonLimit = 512;        ///< bytes; meaningful only with XON/XOFF
    int xoffLimit = 1;
    bool operator==(const SerialLineSettings&) const = default;
};

/// The driver's only access to a serial device. One object serves one device at a time.
/// Every call is made on the GUI thread; calls on a closed platform are harmless no-ops.
class SerialPlatform {
public:
    virtual ~SerialPlatform() = default;
    /// Opens the device by its system name ("/dev/ttyUSB0", "COM1") for reading and writing,
    /// exclusively. On failure the platform stays closed.
    virtual SerialOpenResult open(const QString& deviceName) = 0;
    virtual bool isOpen() const = 0;
    virtual void configure(const SerialLineSettings& settings) = 0;
    /// Sizes the receive and transmit queues in bytes; a platform may ignore it.
    virtual void setQueueSizes(std::uint16_t inBytes, std::uint16_t outBytes) = 0;
    /// Discards data queued in the chosen directions.
    virtual void purge(bool input, bool output) = 0;
    /// Copies up to capacity bytes that have arrived into buffer without waiting.
    /// Returns the count (0 when nothing is there) or -1 on a read error.
    virtual std::int64_t read(std::uint8_t* buffer, std::int32_t capacity) = 0;
    /// Bytes that have arrived and wait to be read; 0 when closed.
    virtual std::int64_t bytesAvailable() const = 0;
    virtual void close() = 0;
    /// True once the open device has vanished (a USB adapter pulled out); cleared by open().
    virtual bool deviceGone() const = 0;
    /// The system's wording of the last error, for messages.
    virtual QString errorText() const = 0;
};

/// The platform over QSerialPort.
std::unique_ptr<SerialPlatform> makeQtSerialPlatform();
