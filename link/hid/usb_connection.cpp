#include "link/hid/usb_connection.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <utility>

#include "link/hid/usb_texts.h"
#include "ui/dialogs.h"

namespace {

constexpr auto kConnectCaption = "USB Connection";
constexpr auto kDisconnectCaption = "USB Disconnect";

}  // namespace

UsbConnection::UsbConnection(HidPlatform& platform, HidDeviceMonitor& monitor, UsbCableModel model,
                             UsbConnectionHost& host, Dialogs& dialogs)
    : m_HidCtl(std::make_unique<THidDeviceController>(platform, monitor)),
      m_platform(platform),
      m_model(model),
      m_host(host),
      m_dialogs(dialogs),
      m_reportHandler(
          [this](THidDevice&, std::uint8_t ReportID, const std::uint8_t* Data, std::uint16_t Size) {
              m_host.receiveUsbReport(ReportID, Data, Size);
          }) {
    m_HidCtl->setOnArrival([this](THidDevice& HidDev) { HidCtlArrival(HidDev); });
    m_HidCtl->setOnEnumerate(
        [this](THidDevice& HidDev, std::int32_t Idx) { return HidCtlEnumerate(HidDev, Idx); });
    m_HidCtl->setOnDeviceChange([this](THidDeviceController&) { HidCtlDeviceChange(); });
    m_HidCtl->setOnDeviceDataError(
        [this](THidDevice& HidDev, std::uint32_t Error) { HidCtlDeviceDataError(HidDev, Error); });
    m_HidCtl->setOnRemoval([this](THidDevice& HidDev) { HidCtlRemoval(HidDev); });
}

UsbConnection::~UsbConnection() {
    releaseDevices();
}

void UsbConnection::HidCtlArrival(THidDevice& HidDev) {
    addHistoryLine(arrivalLine(DeviceCaption(HidDev)));
}

void UsbConnection::HidCtlRemoval(THidDevice& HidDev) {
    addHistoryLine(removalLine(DeviceCaption(HidDev)));
}

void UsbConnection::HidCtlDeviceDataError(THidDevice&, std::uint32_t Error) {
    addHistoryLine(readErrorLine(m_platform.errorText(Error), Error));
}

bool UsbConnection::HidCtlEnumerate(THidDevice& HidDev, std::int32_t Idx) {
    QString caption = DeviceCaption(HidDev);
    m_devList.push_back({std::move(caption), m_HidCtl->CheckOutAt(Idx)});
    return true;
}

void UsbConnection::HidCtlDeviceChange() {
    const std::string connectedIdentity = std::exchange(m_connectedIdentity, {});
    const QString connectedCaption = m_connectedCaption;
    ReadBtnClick();
    releaseDevices();
    m_devListIndex = -1;
    m_HidCtl->EnumerateDevices();
    for (int line = static_cast<int>(m_devList.size()) - 1; line >= 0; --line) {
        if (m_devList[static_cast<std::size_t>(line)].text == QLatin1String(kUsbCableProduct)) {
            m_devListIndex = line;
            break;
        }
    }
    if (!connectedIdentity.empty()) followConnection(connectedIdentity, connectedCaption);
}

void UsbConnection::followConnection(const std::string& identity, const QString& caption) {
    for (const DevListLine& line : m_devList) {
        if (line.device && line.device->PnPInfo().DeviceInstance() == identity) {
            // Still plugged in: the rebuild stopped its reader, the connection goes on.
            m_connectedDevice = line.device.get();
            m_connectedIdentity = identity;
            if (m_model.hasUsbHandler) m_connectedDevice->SetDataHandler(m_reportHandler);
            return;
        }
    }
    showDisconnected();
    m_dialogs.error(nullptr, cableRemovedText(caption));
}

void UsbConnection::USBConClick() {
    ReadBtnClick();
    SetFeatureClick();
    m_host.resetEmptyReportCount();
    m_SelectedDevice = nullptr;
    THidDevice* const device = selectedLineDevice();
    if (device == nullptr) return;
    m_SelectedDevice = device;
    if (!device->ReadWriteAccess()) {
        const bool connecting = m_host.USBConDown();
        m_host.setUSBConDown(false);
        // The plain flow comes back up without a word; the user could not tell why.
        if (connecting) {
            m_dialogs.error(
                nullptr, cablePermissionText(QString::fromStdString(device->PnPInfo().DevicePath()),
                                             {}, true));
        }
        return;
    }
    if (m_host.USBConDown()) {
        m_host.hideComControls();
        m_host.setUSBConCaption(QString::fromLatin1(kDisconnectCaption));
        if (m_model.hasUsbHandler) device->SetDataHandler(m_reportHandler);
        m_connectedDevice = device;
        m_connectedIdentity = device->PnPInfo().DeviceInstance();
        m_connectedCaption = m_devList[static_cast<std::size_t>(m_devListIndex)].text;
    } else {
        m_host.showComControls();
        device->SetDataHandler({});
        detachConnection();
        m_host.setUSBConCaption(QString::fromLatin1(kConnectCaption));
    }
}

void UsbConnection::SetFeatureClick() {
    m_SelectedDevice = nullptr;
    THidDevice* const device = selectedLineDevice();
    if (device == nullptr) {
        reportCableMissing();
        m_host.setUSBConDown(false);
        return;
    }
    m_SelectedDevice = device;
    const auto report = speedReport(m_model.UsbCableSpeed);
    // A refused report is not reported: the cable gives no answer to tell it by.
    device->SendFeatureReport(report.data(), static_cast<std::uint16_t>(report.size()));
    // The ten bytes after the report ID: bytes 1 to 9 and one more zero byte.
    std::array<std::uint8_t, 10> shown{};
    std::copy(report.begin() + 1, report.end(), shown.begin());
    addHistoryLine(hexPairsLine(shown));
}

void UsbConnection::ReadBtnClick() {
    m_SelectedDevice = nullptr;
    THidDevice* const device = selectedLineDevice();
    if (device == nullptr) return;
    m_SelectedDevice = device;
    if (!device->ReadWriteAccess()) return;
    device->SetDataHandler({});
}

void UsbConnection::emptyReportWatchdog() {
    if (m_host.EmptyReportCount() < kEmptyReportLimit) return;
    m_host.resetEmptyReportCount();
    m_host.setUSBConDown(false);
    if (m_SelectedDevice != nullptr) m_SelectedDevice->SetDataHandler({});
    // Caption and COM controls follow the button instead of still saying "connected".
    if (connected()) showDisconnected();
    m_dialogs.information(nullptr, QString::fromLatin1(kMeterNotReadyText));
}

void UsbConnection::addHistoryLine(const QString& line) {
    m_history.push_back(line);
    if (m_history.size() > kHistoryLines) m_history.pop_front();
}

QStringList UsbConnection::DevListBox() const {
    QStringList lines;
    for (const DevListLine& line : m_devList)
        lines.push_back(line.text);
    return lines;
}

THidDevice* UsbConnection::DevListBoxDevice(int line) const {
    if (line < 0 || line >= static_cast<int>(m_devList.size())) return nullptr;
    return m_devList[static_cast<std::size_t>(line)].device.get();
}

THidDevice* UsbConnection::selectedLineDevice() const {
    return DevListBoxDevice(m_devListIndex);
}

void UsbConnection::releaseDevices() {
    m_SelectedDevice = nullptr;
    m_connectedDevice = nullptr;
    // In line order; each release checks the device in (its reader stops first).
    for (DevListLine& line : m_devList)
        line.device.reset();
    m_devList.clear();
}

void UsbConnection::detachConnection() {
    if (m_connectedDevice != nullptr) m_connectedDevice->SetDataHandler({});
    m_connectedDevice = nullptr;
    m_connectedIdentity.clear();
    m_connectedCaption.clear();
}

void UsbConnection::showDisconnected() {
    detachConnection();
    m_host.setUSBConDown(false);
    m_host.setUSBConCaption(QString::fromLatin1(kConnectCaption));
    m_host.showComControls();
}

const HidUnopenedDevice* UsbConnection::cableWithoutPermission() const {
    for (const HidUnopenedDevice& device : m_HidCtl->UnopenedDevices()) {
        if ((device.error == EACCES || device.error == EPERM) &&
            device.device.system.product == kUsbCableProduct) {
            return &device;
        }
    }
    return nullptr;
}

void UsbConnection::reportCableMissing() {
    if (const HidUnopenedDevice* cable = cableWithoutPermission()) {
        m_dialogs.error(nullptr, cablePermissionText(QString::fromStdString(cable->device.path),
                                                     cable->reason, false));
        return;
    }
    m_dialogs.information(nullptr, QString::fromLatin1(kCableNotConnectedText));
}
