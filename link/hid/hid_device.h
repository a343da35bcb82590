#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/hid/hid_platform.h"
#include "link/hid/hid_report_descriptor.h"
#include "link/hid/hid_types.h"

class HidReadState;
class THidDeviceReadThread;

/// The plug-and-play record of one device interface, owned by its device object.
class THidPnPInfo {
public:
    explicit THidPnPInfo(HidInterface iface) : m_interface(std::move(iface)) {}
    /// The device's identity while it stays plugged in; the list is reconciled by it.
    const std::string& DeviceInstance() const { return m_interface.identity; }
    /// What the device is opened by.
    const std::string& DevicePath() const { return m_interface.path; }

private:
    HidInterface m_interface;
};

/// One HID device interface: identification, strings, input report length, feature reports,
/// and the reader that hands its input reports to the data handler.
///
/// Every member is called on the GUI thread. The reader runs on a thread of its own while the
/// device is checked out and plugged in, has read-write access and a data handler; it touches
/// only the shared read state (flags, read handle) and its own buffer. Handlers run on the GUI
/// thread, one at a time; a handler may stop the reader or release the device.
class THidDevice {
public:
    /// ReaderSleepTime is taken only between these bounds (ms).
    static constexpr std::int32_t kMinReaderSleepTime = 10;
    static constexpr std::int32_t kMaxReaderSleepTime = 10000;

    /// Opens the device (read and write, else for queries only), reads its attributes and
    /// closes it again. owner may be null. Throws EControllerError "device cannot be opened"
    /// or "device cannot be identified". platform must outlive the device.
    THidDevice(HidPlatform& platform, std::unique_ptr<THidPnPInfo> PnPInfo,
               THidDeviceController* owner, THidDataEvent dataHandler, THidPlugEvent unplugHandler);
    /// The device's release: stops the reader, closes the handles, and if it is in its owner's
    /// list the owner re-lists it (a checked-out device is checked in this way).
    ~THidDevice();
    THidDevice(const THidDevice&) = delete;
    THidDevice& operator=(const THidDevice&) = delete;

    THidDeviceController* Owner() const { return m_owner; }
    const THidPnPInfo& PnPInfo() const { return *m_PnPInfo; }

    bool PluggedIn() const;
    bool CheckedOut() const;
    bool Enumerating() const;
    /// Plugged in and either checked out or being enumerated; handles open only then.
    bool IsUsable() const;
    /// Whether the device could last be opened for reading and writing.
    bool ReadWriteAccess() const { return m_ReadWriteAccess; }

    const HidAttributes& Attributes() const { return m_HidAttributes; }
    std::uint16_t VendorID() const { return m_HidAttributes.VendorID; }
    std::uint16_t ProductID() const { return m_HidAttributes.ProductID; }

    /// Cached after the first successful query; empty until then (asked again next time).
    QString ProductString();
    /// As ProductString; empty when the serial number reads as the start of string
    /// descriptor 0, or descriptor 0 cannot be read (see serialStringRule). Where the system
    /// withholds descriptor 0 (Linux), the serial number is taken as the system gives it.
    QString SerialString();
    /// Bytes of the longest input report, the report ID byte included; 0 when there is none or
    /// the report descriptor cannot be read.
    std::uint16_t InputReportLength();
    /// Sends a feature report; buffer[0] is the report ID. The main handle stays open.
    bool SendFeatureReport(const std::uint8_t* buffer, std::uint16_t length);

    /// Empty: stops the reader (returns once it has ended, or at once from inside the
    /// reader's own handler, see StopReader). Then stores the handler and starts the reader if
    /// it can. A handler replaced by another leaves the reader running; the next report goes
    /// to the new one.
    void SetDataHandler(THidDataEvent handler);
    const THidDataEvent& DataHandler() const { return m_DataHandler; }
    void setDataErrorHandler(THidDataErrorEvent handler) {
        m_DataErrorHandler = std::move(handler);
    }
    const THidDataErrorEvent& DataErrorHandler() const { return m_DataErrorHandler; }
    void setUnplugHandler(THidPlugEvent handler) { m_UnplugHandler = std::move(handler); }
    const THidPlugEvent& UnplugHandler() const { return m_UnplugHandler; }

    /// The device vanished: closes its handles, marks it unplugged and calls the unplug
    /// handler once. The reader is not stopped: its reads fail from now on and each failure
    /// goes to the data-error handler, until the reader is stopped or the device released.
    void MarkUnplugged();

    /// Milliseconds (100 at creation). The Linux and simulated readers wait without slices
    /// and are woken at once by a stop; the value is kept for platforms whose wait needs them.
    std::int32_t ReaderSleepTime() const { return m_ReaderSleepTime; }
    /// Taken only between 10 and 10000 inclusive.
    void setReaderSleepTime(std::int32_t ms);

    /// Starts the reader if there is a data handler, the device is plugged in and checked out,
    /// has read-write access and an input report, and there is no reader yet.
    void StartReader();
    /// Stops the reader and forgets it; the read handle is closed with it (a waiting read ends
    /// at once) and the next reader opens a new one. From anywhere but the reader's own handler
    /// it returns
    /// once the thread has ended. From inside that handler the thread cannot be joined yet:
    /// no further report is delivered, the buffer the handler reads stays valid, and the
    /// thread is joined as soon as the handler has returned.
    void StopReader();
    bool HasReader() const { return m_Reader != nullptr; }

    /// Opens the main handle for queries and feature reports, if the device is usable.
    bool OpenMainHandle();
    void CloseMainHandle();
    void CloseReadHandle();
    /// Closes every handle (the write handle is never opened here: output reports are never
    /// sent).
    void CloseHandles();
    bool MainHandleOpen() const { return m_MainHandle != nullptr; }
    bool ReadHandleOpen() const;

    /// The driver's input queue sizes read back after the last open; 0 while closed.
    std::uint32_t InputBufferCount() const { return m_InputBufferCount; }
    std::uint32_t ReadInputBufferCount() const;

    /// Expires when the device is released (for callers whose handlers may release it).
    std::weak_ptr<const void> lifetime() const { return m_lifetime; }

private:
    friend class THidDeviceController;
    friend class THidDeviceReadThread;

    /// Open as at creation: read and write, else for queries only. Updates ReadWriteAccess.
    HidOpenResult<std::unique_ptr<HidHandle>> openMain();
    void setCheckedOut(bool checkedOut);
    void setEnumerating(bool enumerating);
    // Called inside hand-over calls on the GUI thread.
    void deliverReport(const std::uint8_t* report, std::size_t bytes);
    void deliverError(std::uint32_t error);

    HidPlatform& m_platform;
    THidDeviceController* m_owner;
    std::unique_ptr<THidPnPInfo> m_PnPInfo;
    std::shared_ptr<HidReadState> m_readState;
    bool m_ReadWriteAccess = false;
    std::unique_ptr<HidHandle> m_MainHandle;
    HidAttributes m_HidAttributes;
    QString m_ProductString;
    QString m_SerialString;
    bool m_preparsedFetched = false;
    std::optional<HidReportLayout> m_preparsed;  // from the report descriptor, once
    std::uint32_t m_InputBufferCount = 0;
    std::int32_t m_ReaderSleepTime = 100;
    THidDataEvent m_DataHandler;
    THidDataErrorEvent m_DataErrorHandler;
    THidPlugEvent m_UnplugHandler;
    std::unique_ptr<THidDeviceReadThread> m_Reader;
    std::shared_ptr<const void> m_lifetime = std::make_shared<int>(0);
};
