#include "link/hid/hid_device_controller.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace {

// The one process-wide count the controller's contract asks for.
std::atomic<int> g_controllers{0};

}  // namespace

THidDeviceController::Instance::Instance() {
    if (g_controllers.fetch_add(1) + 1 > 1) {
        g_controllers.fetch_sub(1);
        throw EControllerError(kOnlyOneController);
    }
}

THidDeviceController::Instance::~Instance() {
    g_controllers.fetch_sub(1);
}

THidDeviceController::THidDeviceController(HidPlatform& platform, HidDeviceMonitor& monitor)
    : m_platform(platform), m_monitor(monitor) {
    auto found = ScanDevices();
    m_DeviceList.reserve(found.size());
    for (auto& device : found)
        m_DeviceList.push_back(device.release());
    m_CheckedInCount = static_cast<std::int32_t>(m_DeviceList.size());
    if (m_platform.available()) {
        m_monitor.start([this] { DeviceChange(); });
        m_watching = true;
    }
}

THidDeviceController::~THidDeviceController() {
    m_OnDeviceChange = {};
    m_OnEnumerate = {};
    // Through the setter, so devices carrying it are not called back during the teardown.
    setOnDeviceUnplug({});
    if (m_watching) m_monitor.stop();
    const std::vector<THidDevice*> devices = std::exchange(m_DeviceList, {});
    for (THidDevice* device : devices) {
        device->m_owner = nullptr;
        if (device->CheckedOut()) {
            device->MarkUnplugged();
        } else {
            delete device;  // NOLINT(cppcoreguidelines-owning-memory): the list owns it
        }
    }
}

std::unique_ptr<THidDevice> THidDeviceController::makeDevice(std::unique_ptr<THidPnPInfo> pnpInfo,
                                                             THidDataEvent dataHandler,
                                                             THidPlugEvent unplugHandler) {
    auto device = std::make_unique<THidDevice>(m_platform, std::move(pnpInfo), this,
                                               std::move(dataHandler), std::move(unplugHandler));
    device->setDataErrorHandler(m_OnDeviceDataError);
    return device;
}

std::vector<std::unique_ptr<THidDevice>> THidDeviceController::ScanDevices() {
    std::vector<std::unique_ptr<THidDevice>> found;
    if (!m_platform.available()) return found;
    m_unopened.clear();
    for (HidInterface& iface : m_platform.enumerate()) {
        const HidInterface copy = iface;
        try {
            found.push_back(makeDevice(std::make_unique<THidPnPInfo>(std::move(iface)),
                                       m_OnDeviceData, m_OnDeviceUnplug));
        } catch (const EControllerError& e) {
            m_unopened.push_back({copy, e.what(), e.platformError(), e.reason()});
        }
    }
    return found;
}

template <typename Call>
bool THidDeviceController::raiseFor(THidDevice& device, Call&& call) {
    const std::weak_ptr<const void> alive = device.lifetime();
    device.setEnumerating(true);
    std::forward<Call>(call)();
    if (alive.expired()) return false;
    device.setEnumerating(false);
    return true;
}

void THidDeviceController::raisePlug(const THidPlugEvent& handler, THidDevice& device) {
    if (!handler) return;
    const THidPlugEvent call = handler;
    raiseFor(device, [&] { call(device); });
}

void THidDeviceController::DeviceChange() {
    bool changed = false;
    std::vector<std::unique_ptr<THidDevice>> fresh = ScanDevices();
    const auto inFresh = [&fresh](const THidDevice& d) {
        return std::any_of(fresh.begin(), fresh.end(), [&d](const auto& f) {
            return f->PnPInfo().DeviceInstance() == d.PnPInfo().DeviceInstance();
        });
    };

    // Handlers may release devices and so shorten the list: indices are checked each time,
    // and a device is touched after a call only while it still exists.
    for (std::size_t k = m_DeviceList.size(); k-- > 0;) {
        if (k >= m_DeviceList.size()) continue;
        THidDevice* device = m_DeviceList[k];
        if (device->PluggedIn() && inFresh(*device)) continue;
        changed = true;
        const std::weak_ptr<const void> alive = device->lifetime();
        device->MarkUnplugged();
        if (!alive.expired()) raisePlug(m_OnRemoval, *device);
        if (alive.expired() || device->CheckedOut()) continue;
        const auto at = std::find(m_DeviceList.begin(), m_DeviceList.end(), device);
        if (at != m_DeviceList.end()) m_DeviceList.erase(at);
        delete device;  // NOLINT(cppcoreguidelines-owning-memory): the list owned it
    }

    const auto listed = [this](const THidDevice& f) {
        return std::any_of(m_DeviceList.begin(), m_DeviceList.end(), [&f](const THidDevice* d) {
            return d->PluggedIn() && d->PnPInfo().DeviceInstance() == f.PnPInfo().DeviceInstance();
        });
    };
    for (auto& f : fresh) {
        if (!listed(*f)) continue;
        f->m_owner = nullptr;
        f.reset();
    }
    for (auto& f : fresh) {
        if (!f) continue;
        THidDevice& device = *f;
        m_DeviceList.push_back(f.release());
        changed = true;
        raisePlug(m_OnArrival, device);
    }

    recount();
    if (changed || !m_ChangeReported) {
        const THidNotifyEvent handler = m_OnDeviceChange;
        if (handler) handler(*this);
    }
}

void THidDeviceController::recount() {
    std::int32_t checkedIn = 0;
    std::int32_t checkedOut = 0;
    std::int32_t unplugged = 0;
    for (const THidDevice* device : m_DeviceList) {
        if (device->CheckedOut()) {
            ++checkedOut;
        } else {
            ++checkedIn;
        }
        if (!device->PluggedIn()) ++unplugged;
    }
    m_CheckedInCount = checkedIn;
    m_UnpluggedCount = unplugged;
    m_CheckedOutCount = checkedOut - unplugged;
}

std::int32_t THidDeviceController::EnumerateDevices() {
    std::int32_t count = 0;
    for (std::size_t i = 0; i < m_DeviceList.size(); ++i) {
        THidDevice* device = m_DeviceList[i];
        if (!device->PluggedIn()) continue;
        ++count;
        const THidEnumerateEvent handler = m_OnEnumerate;
        if (!handler) break;
        bool more = false;
        const bool stillThere =
            raiseFor(*device, [&] { more = handler(*device, static_cast<std::int32_t>(i)); });
        if (stillThere && !device->CheckedOut()) device->CloseHandles();
        if (!more) break;
    }
    return count;
}

std::unique_ptr<THidDevice> THidDeviceController::CheckOutAt(std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_DeviceList.size()) return nullptr;
    THidDevice* device = m_DeviceList[static_cast<std::size_t>(index)];
    if (device->CheckedOut()) return nullptr;
    device->setCheckedOut(true);
    --m_CheckedInCount;
    ++m_CheckedOutCount;
    device->StartReader();
    return std::unique_ptr<THidDevice>(device);
}

void THidDeviceController::relist(THidDevice& released, const THidDataEvent& dataHandler,
                                  const THidPlugEvent& unplugHandler) {
    const auto at = std::find(m_DeviceList.begin(), m_DeviceList.end(), &released);
    if (at == m_DeviceList.end()) return;
    const bool wasCheckedOut = released.CheckedOut();
    if (!released.PluggedIn()) {
        m_DeviceList.erase(at);
        --m_UnpluggedCount;
        return;
    }
    if (wasCheckedOut) --m_CheckedOutCount;
    try {
        auto device = std::make_unique<THidDevice>(m_platform, std::move(released.m_PnPInfo), this,
                                                   dataHandler, unplugHandler);
        device->setReaderSleepTime(released.ReaderSleepTime());
        device->setDataErrorHandler(released.DataErrorHandler());
        *at = device.release();
        if (wasCheckedOut) ++m_CheckedInCount;
    } catch (const EControllerError&) {
        // No fresh object can be made (the device refuses to open now): it leaves the list,
        // and the next scan lists it again if it is there.
        m_DeviceList.erase(at);
        if (!wasCheckedOut) --m_CheckedInCount;
    }
}

void THidDeviceController::setOnDeviceChange(THidNotifyEvent handler) {
    if (handler == m_OnDeviceChange) return;
    m_OnDeviceChange = std::move(handler);
    DeviceChange();
    m_ChangeReported = true;
}

void THidDeviceController::setOnDeviceData(THidDataEvent handler) {
    if (handler == m_OnDeviceData) return;
    const std::vector<THidDevice*> devices = m_DeviceList;
    for (THidDevice* device : devices) {
        if (device->DataHandler() == m_OnDeviceData) device->SetDataHandler(handler);
    }
    m_OnDeviceData = std::move(handler);
}

void THidDeviceController::setOnDeviceDataError(THidDataErrorEvent handler) {
    if (handler == m_OnDeviceDataError) return;
    for (THidDevice* device : m_DeviceList) {
        if (device->DataErrorHandler() == m_OnDeviceDataError) device->setDataErrorHandler(handler);
    }
    m_OnDeviceDataError = std::move(handler);
}

void THidDeviceController::setOnDeviceUnplug(THidPlugEvent handler) {
    if (handler == m_OnDeviceUnplug) return;
    for (THidDevice* device : m_DeviceList) {
        if (device->UnplugHandler() == m_OnDeviceUnplug) device->setUnplugHandler(handler);
    }
    m_OnDeviceUnplug = std::move(handler);
}

void THidDeviceController::setDevThreadSleepTime(std::int32_t ms) {
    if (ms == m_DevThreadSleepTime) return;
    for (THidDevice* device : m_DeviceList) {
        if (device->ReaderSleepTime() == m_DevThreadSleepTime) device->setReaderSleepTime(ms);
    }
    m_DevThreadSleepTime = ms;
}
