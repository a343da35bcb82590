#pragma once

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "link/hid/hid_device_controller.h"
#include "link/hid/hid_platform.h"
#include "link/hid/hid_types.h"

class Dialogs;

/// What the USB connection needs of the window it belongs to: the model's report handler, the
/// frame assembler's count of empty reports, the USBCon toggle and the COM controls that the
/// cable hides while it is connected. The window implements it with its widgets; a headless
/// capture implements it with plain state. Called on the GUI thread.
class UsbConnectionHost {
public:
    virtual ~UsbConnectionHost() = default;
    /// One input report for the model's report handler; Data points to the Size bytes after
    /// the report ID and is valid during the call only. The cable's reader waits meanwhile.
    virtual void receiveUsbReport(std::uint8_t ReportID, const std::uint8_t* Data,
                                  std::uint16_t Size) = 0;
    /// Reports without payload since the last one with payload.
    virtual std::int32_t EmptyReportCount() const = 0;
    virtual void resetEmptyReportCount() = 0;
    /// USBCon: down while connected.
    virtual bool USBConDown() const = 0;
    /// Puts USBCon down or up without running its click.
    virtual void setUSBConDown(bool down) = 0;
    virtual void setUSBConCaption(const QString& caption) = 0;
    /// COMCon and the port panel: hidden while the cable is connected, then shown again (the
    /// panel of the serial driver's port).
    virtual void hideComControls() = 0;
    virtual void showComControls() = 0;
};

/// The model's choices for the cable.
struct UsbCableModel {
    /// Whether the model has a report handler; without one a connection attaches none and no
    /// reader runs.
    bool hasUsbHandler = true;
    /// Baud, written to the cable in the speed report.
    std::uint32_t UsbCableSpeed = 2400;
};

/// The window's side of the USB cable: the HID device controller `HidCtl` with every device
/// present checked out into the device list `DevListBox`, the cable picked by its product
/// string "USB to Serial", the history list `HistoryListBox`, the "USB Connection" toggle's
/// connect and disconnect (speed report, the model's report handler on the cable's reader) and
/// the watchdog that gives up on a cable that brings only empty reports.
///
/// Beyond the plain flow, a connection never stays shown while its reader is gone:
/// - a cable that is pulled out while connected returns the toggle to the disconnected state
///   and is reported once; a rebuild of the list while the cable stays (another device came or
///   went) keeps the connection running on the cable's fresh device object;
/// - the watchdog giving up returns caption and COM controls with the toggle;
/// - a cable the user may not open for lack of permission is reported as an "Error" naming its
///   node and the udev rule that fixes it, not as a cable that is not connected.
///
/// Everything runs on the GUI thread; reports and read errors come from the cable's reader
/// through the HID layer's hand-over. platform, monitor, host and dialogs must outlive this.
class UsbConnection {
public:
    static constexpr std::int32_t kEmptyReportLimit = 1900;
    /// The history list keeps its newest lines only; it is never shown.
    static constexpr std::size_t kHistoryLines = 5000;

    /// Makes `HidCtl` over platform and monitor and assigns its handlers in this order:
    /// OnArrival, OnEnumerate, OnDeviceChange (which lists and checks out every device
    /// present), OnDeviceDataError, OnRemoval.
    UsbConnection(HidPlatform& platform, HidDeviceMonitor& monitor, UsbCableModel model,
                  UsbConnectionHost& host, Dialogs& dialogs);
    /// Releases every listed device (its reader stops) before the controller goes.
    ~UsbConnection();
    UsbConnection(const UsbConnection&) = delete;
    UsbConnection& operator=(const UsbConnection&) = delete;

    void HidCtlArrival(THidDevice& HidDev);
    void HidCtlRemoval(THidDevice& HidDev);
    void HidCtlDeviceDataError(THidDevice& HidDev, std::uint32_t Error);
    /// Lists the device and checks it out; always asks for the next one.
    bool HidCtlEnumerate(THidDevice& HidDev, std::int32_t Idx);
    /// Rebuilds the device list and selects the last line that is exactly "USB to Serial".
    void HidCtlDeviceChange();
    /// The user toggled USBCon (it has toggled already): connects when down, else disconnects;
    /// sends the speed report either way.
    void USBConClick();
    /// Sends the speed report to the selected device.
    void SetFeatureClick();
    /// Stops the reader of the selected device.
    void ReadBtnClick();
    /// The USB half of the window's ConTimerTimer, run on the ticks at which the link
    /// indicator goes dark (every third tick while nothing arrives): gives up once 1900 empty
    /// reports came in a row.
    void emptyReportWatchdog();

    /// Adds a line to the history list and selects it.
    void addHistoryLine(const QString& line);

    THidDeviceController& HidCtl() { return *m_HidCtl; }
    const THidDeviceController& HidCtl() const { return *m_HidCtl; }
    QStringList DevListBox() const;
    /// The selected line of the device list; -1 for none.
    int DevListBoxItemIndex() const { return m_devListIndex; }
    /// The checked-out device of a line.
    THidDevice* DevListBoxDevice(int line) const;
    const std::deque<QString>& HistoryListBox() const { return m_history; }
    /// The selected (newest) history line; -1 while the list is empty.
    int HistoryListBoxItemIndex() const { return static_cast<int>(m_history.size()) - 1; }
    THidDevice* SelectedDevice() const { return m_SelectedDevice; }
    /// Whether the cable is connected: the toggle is down and the connection's device listed.
    bool connected() const { return !m_connectedIdentity.empty(); }

private:
    struct DevListLine {
        QString text;
        std::unique_ptr<THidDevice> device;
    };

    THidDevice* selectedLineDevice() const;
    void releaseDevices();
    /// After a rebuild: the connection goes on with the cable's fresh object, or returns to
    /// the disconnected state when the cable is gone.
    void followConnection(const std::string& identity, const QString& caption);
    void detachConnection();
    void showDisconnected();
    /// The cable cannot be used: an "Error" when the user may not open it, else the message
    /// that it is not connected.
    void reportCableMissing();
    const HidUnopenedDevice* cableWithoutPermission() const;

    std::unique_ptr<THidDeviceController> m_HidCtl;  // first: it outlives the listed devices
    HidPlatform& m_platform;
    const UsbCableModel m_model;
    UsbConnectionHost& m_host;
    Dialogs& m_dialogs;
    const THidDataEvent m_reportHandler;

    std::vector<DevListLine> m_devList;
    int m_devListIndex = -1;
    std::deque<QString> m_history;
    THidDevice* m_SelectedDevice = nullptr;
    // The cable this connection attached its handler to: its object, its identity (which
    // outlives the object across a rebuild) and caption.
    THidDevice* m_connectedDevice = nullptr;
    std::string m_connectedIdentity;
    QString m_connectedCaption;
};
