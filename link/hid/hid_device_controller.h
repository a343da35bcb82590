#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/hid/hid_device.h"
#include "link/hid/hid_platform.h"
#include "link/hid/hid_types.h"

/// A device that a scan left out because it could not be opened or identified, with the
/// system's reason, so the user can be told what to do (a node the user may not open shows as
/// EACCES).
struct HidUnopenedDevice {
    HidInterface device;
    std::string fault;        ///< "device cannot be opened" or "device cannot be identified"
    std::uint32_t error = 0;  ///< the platform's error code (errno on Linux); 0 if none
    QString reason;           ///< the system's wording of error
};

/// The list side of the HID layer: the HID devices present, reconciled at every device change
/// with arrival and removal events, lent out (CheckOutAt) and taken back (the borrower
/// releases the device object, which re-lists itself here).
///
/// One per program. Every member is called on the GUI thread, and so are its handlers.
/// DeviceList owns the checked-in devices; a checked-out device is owned by its borrower and
/// stays in the list until it is released. platform and monitor must outlive the controller
/// and every device it made.
class THidDeviceController {
public:
    /// Lists the devices present and, when the platform is available, starts watching for
    /// changes. Throws EControllerError "Only one THidDeviceController allowed per program"
    /// while another controller exists.
    THidDeviceController(HidPlatform& platform, HidDeviceMonitor& monitor);
    /// Stops watching, releases the checked-in devices and marks the checked-out ones unplugged
    /// (their borrowers still hold them; they no longer re-list).
    ~THidDeviceController();
    THidDeviceController(const THidDeviceController&) = delete;
    THidDeviceController& operator=(const THidDeviceController&) = delete;

    /// Rescans and reconciles DeviceList by device identity: devices gone are marked unplugged
    /// (OnRemoval; a checked-in one is released), new ones appended (OnArrival); then
    /// OnDeviceChange if anything changed or it was never reported.
    void DeviceChange();
    /// Raises OnEnumerate for each plugged-in device in list order until a handler returns
    /// false; returns how many were handed over. Without a handler the first plugged-in device
    /// counts and enumeration stops.
    std::int32_t EnumerateDevices();
    /// Lends out the device at index (starting its reader if it can); null when the index is
    /// outside the list or the device is checked out. Releasing the object checks it in.
    std::unique_ptr<THidDevice> CheckOutAt(std::int32_t index);

    /// In list order; the pointers stay valid until the list changes (DeviceChange, release).
    const std::vector<THidDevice*>& DeviceList() const { return m_DeviceList; }
    std::int32_t CheckedInCount() const { return m_CheckedInCount; }
    std::int32_t CheckedOutCount() const { return m_CheckedOutCount; }
    std::int32_t UnpluggedCount() const { return m_UnpluggedCount; }
    bool ChangeReported() const { return m_ChangeReported; }
    /// Devices the last scan left out.
    const std::vector<HidUnopenedDevice>& UnopenedDevices() const { return m_unopened; }

    /// Milliseconds (default 100); a new value reaches every device that still has the old one.
    std::int32_t DevThreadSleepTime() const { return m_DevThreadSleepTime; }
    void setDevThreadSleepTime(std::int32_t ms);

    const THidPlugEvent& OnArrival() const { return m_OnArrival; }
    void setOnArrival(THidPlugEvent handler) { m_OnArrival = std::move(handler); }
    const THidPlugEvent& OnRemoval() const { return m_OnRemoval; }
    void setOnRemoval(THidPlugEvent handler) { m_OnRemoval = std::move(handler); }
    const THidEnumerateEvent& OnEnumerate() const { return m_OnEnumerate; }
    void setOnEnumerate(THidEnumerateEvent handler) { m_OnEnumerate = std::move(handler); }
    const THidNotifyEvent& OnDeviceChange() const { return m_OnDeviceChange; }
    /// A different handler runs DeviceChange at once (so the first one is told of the devices
    /// present), after which ChangeReported is true.
    void setOnDeviceChange(THidNotifyEvent handler);
    /// A different handler reaches every device that still carries the current one (the data
    /// handler through SetDataHandler, which may start or stop its reader). Devices created
    /// later get the controller's handlers.
    const THidDataEvent& OnDeviceData() const { return m_OnDeviceData; }
    void setOnDeviceData(THidDataEvent handler);
    const THidDataErrorEvent& OnDeviceDataError() const { return m_OnDeviceDataError; }
    void setOnDeviceDataError(THidDataErrorEvent handler);
    const THidPlugEvent& OnDeviceUnplug() const { return m_OnDeviceUnplug; }
    void setOnDeviceUnplug(THidPlugEvent handler);

private:
    friend class THidDevice;

    /// Counts controllers alive; the count drops also when construction fails later on.
    class Instance {
    public:
        Instance();
        ~Instance();
        Instance(const Instance&) = delete;
        Instance& operator=(const Instance&) = delete;
    };

    std::vector<std::unique_ptr<THidDevice>> ScanDevices();
    std::unique_ptr<THidDevice> makeDevice(std::unique_ptr<THidPnPInfo> pnpInfo,
                                           THidDataEvent dataHandler, THidPlugEvent unplugHandler);
    /// Called by a device of the list that is being released.
    void relist(THidDevice& released, const THidDataEvent& dataHandler,
                const THidPlugEvent& unplugHandler);
    /// Raises handler for device with Enumerating set; false when the handler released it.
    template <typename Call>
    bool raiseFor(THidDevice& device, Call&& call);
    void raisePlug(const THidPlugEvent& handler, THidDevice& device);
    void recount();

    Instance m_instance;  // first: counted before anything else is done
    HidPlatform& m_platform;
    HidDeviceMonitor& m_monitor;
    std::vector<THidDevice*> m_DeviceList;
    std::int32_t m_CheckedInCount = 0;
    std::int32_t m_CheckedOutCount = 0;
    std::int32_t m_UnpluggedCount = 0;
    std::int32_t m_DevThreadSleepTime = 100;
    bool m_ChangeReported = false;
    bool m_watching = false;
    std::vector<HidUnopenedDevice> m_unopened;
    THidPlugEvent m_OnArrival;
    THidPlugEvent m_OnRemoval;
    THidEnumerateEvent m_OnEnumerate;
    THidNotifyEvent m_OnDeviceChange;
    THidDataEvent m_OnDeviceData;
    THidDataErrorEvent m_OnDeviceDataError;
    THidPlugEvent m_OnDeviceUnplug;
};
