#include "link/hid/linux_hid_platform.h"

#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <system_error>

#include "link/hid/hid_report_descriptor.h"
#include "link/hid/hid_strings.h"
#include "link/hid/hid_system_info.h"
#include "link/hid/hidraw_report.h"

namespace {

struct UdevUnref {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
};
using UdevContext = std::shared_ptr<udev>;
using UdevDevice = std::unique_ptr<udev_device, UdevUnref>;

QString reasonFor(int error) {
    return QString::fromStdString(std::generic_category().message(error));
}

HidError lastError() {
    const int error = errno;
    return {static_cast<std::uint32_t>(error), reasonFor(error)};
}

/// An owned file descriptor.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

std::optional<std::vector<std::uint8_t>> readReportDescriptor(int fd) {
    int size = 0;
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size < 0 || size > HID_MAX_DESCRIPTOR_SIZE) {
        return std::nullopt;
    }
    hidraw_report_descriptor descriptor{};
    descriptor.size = static_cast<std::uint32_t>(size);
    if (::ioctl(fd, HIDIOCGRDESC, &descriptor) < 0) return std::nullopt;
    return std::vector<std::uint8_t>(descriptor.value, descriptor.value + size);
}

class PollReadHandle final : public HidReadHandle {
public:
    PollReadHandle(int fd, bool numbered)
        : m_fd(fd), m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), m_numbered(numbered) {}

    HidReadResult read(std::span<std::uint8_t> buffer) override {
        HidReadResult result;
        if (m_wake.get() < 0) return failed(EMFILE);
        const HidrawReadTarget target = hidrawReadTarget(buffer.size(), m_numbered);
        for (;;) {
            std::array<pollfd, 2> fds{{{m_fd.get(), POLLIN, 0}, {m_wake.get(), POLLIN, 0}}};
            if (::poll(fds.data(), fds.size(), -1) < 0) {
                if (errno == EINTR) continue;
                return failed(errno);
            }
            if (fds[1].revents != 0) return result;  // interrupted: a stop wins over data
            if ((fds[0].revents & POLLNVAL) != 0) return failed(EBADF);
            if (fds[0].revents == 0) continue;
            // Readable, or hung up (unplugged): the read tells which.
            const ssize_t n = ::read(m_fd.get(), buffer.data() + target.offset, target.capacity);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN) continue;
                return failed(errno);
            }
            // End of file on a hung-up descriptor: the device is gone.
            if (n == 0 && (fds[0].revents & POLLHUP) != 0) return failed(EIO);
            result.kind = HidReadResult::Kind::Report;
            result.bytes = completeHidrawReport(buffer, static_cast<std::size_t>(n), m_numbered);
            return result;
        }
    }

    void interrupt() override {
        const std::uint64_t one = 1;
        // Never reset: once interrupted, every later read returns at once.
        [[maybe_unused]] const ssize_t n = ::write(m_wake.get(), &one, sizeof one);
    }

    std::optional<std::uint32_t> numInputBuffers() override { return std::nullopt; }
    bool setNumInputBuffers(std::uint32_t) override { return false; }

private:
    static HidReadResult failed(int error) {
        HidReadResult result;
        result.kind = HidReadResult::Kind::Failed;
        result.error = static_cast<std::uint32_t>(error);
        return result;
    }

    Fd m_fd;
    Fd m_wake;
    bool m_numbered;
};

class HidrawHandle final : public HidHandle {
public:
    HidrawHandle(int fd, UdevContext udev) : m_fd(fd), m_udev(std::move(udev)) {}

    std::optional<HidAttributes> attributes() override {
        hidraw_devinfo info{};
        if (::ioctl(m_fd.get(), HIDIOCGRAWINFO, &info) < 0) return std::nullopt;
        HidAttributes a;
        a.VendorID = static_cast<std::uint16_t>(info.vendor);
        a.ProductID = static_cast<std::uint16_t>(info.product);
        if (const char* version = usbAttribute("bcdDevice")) {
            a.VersionNumber = static_cast<std::uint16_t>(std::strtoul(version, nullptr, 16));
        }
        return a;
    }

    bool productString(HidStringBuffer& buffer) override {
        return systemString("product", HIDIOCGRAWNAME(kNameBytes), buffer);
    }
    bool serialNumberString(HidStringBuffer& buffer) override {
        return systemString("serial", HIDIOCGRAWUNIQ(kNameBytes), buffer);
    }
    HidLanguageTableQuery languageTable(HidStringBuffer&) override {
        return HidLanguageTableQuery::Withheld;
    }
    std::optional<std::vector<std::uint8_t>> reportDescriptor() override {
        return readReportDescriptor(m_fd.get());
    }
    bool setFeature(std::span<const std::uint8_t> report) override {
        if (report.empty()) return false;
        std::vector<std::uint8_t> copy(report.begin(), report.end());  // the ioctl writes back
        return ::ioctl(m_fd.get(), HIDIOCSFEATURE(copy.size()), copy.data()) >= 0;
    }
    std::optional<std::uint32_t> numInputBuffers() override { return std::nullopt; }
    bool setNumInputBuffers(std::uint32_t) override { return false; }

private:
    static constexpr int kNameBytes = 256;

    /// The hidraw node's udev device, found from the open descriptor.
    udev_device* node() {
        if (!m_node && m_udev) {
            struct stat st {};
            if (::fstat(m_fd.get(), &st) == 0) {
                m_node.reset(udev_device_new_from_devnum(m_udev.get(), 'c', st.st_rdev));
            }
        }
        return m_node.get();
    }
    udev_device* usbDevice() {
        udev_device* n = node();
        return n ? udev_device_get_parent_with_subsystem_devtype(n, "usb", "usb_device") : nullptr;
    }
    const char* usbAttribute(const char* name) {
        udev_device* usb = usbDevice();
        return usb ? udev_device_get_sysattr_value(usb, name) : nullptr;
    }
    /// A USB device's string attribute; without a USB parent, hidraw's own name or unique id.
    bool systemString(const char* usbName, unsigned long request, HidStringBuffer& buffer) {
        if (usbDevice() != nullptr) {
            const char* text = usbAttribute(usbName);
            if (text == nullptr) return false;  // the device has no such string
            fillFromSystemText(text, buffer);
            return true;
        }
        std::array<char, kNameBytes> text{};
        const int n = ::ioctl(m_fd.get(), request, text.data());
        if (n <= 0 || text[0] == '\0') return false;
        fillFromSystemText(std::string_view(text.data(), static_cast<std::size_t>(n)), buffer);
        return true;
    }

    Fd m_fd;
    UdevContext m_udev;
    UdevDevice m_node;
};

/// Names and IDs from sysfs, readable without access to the node: the USB device's product
/// string and IDs, else the IDs of the HID device's HID_ID.
HidSystemInfo systemInfo(udev_device* node, udev_device* hid) {
    HidSystemInfo info;
    if (udev_device* usb =
            udev_device_get_parent_with_subsystem_devtype(node, "usb", "usb_device")) {
        if (const char* product = udev_device_get_sysattr_value(usb, "product")) {
            info.product = sysfsText(product);
        }
        const char* vendorId = udev_device_get_sysattr_value(usb, "idVendor");
        const char* productId = udev_device_get_sysattr_value(usb, "idProduct");
        const auto vendor = vendorId ? usbIdFromSysfs(vendorId) : std::nullopt;
        const auto product = productId ? usbIdFromSysfs(productId) : std::nullopt;
        if (vendor && product) {
            info.vendorId = *vendor;
            info.productId = *product;
            return info;
        }
    }
    const char* hidId = hid ? udev_device_get_property_value(hid, "HID_ID") : nullptr;
    if (const auto ids = hidId ? idsFromHidId(hidId) : std::nullopt) {
        info.vendorId = ids->first;
        info.productId = ids->second;
    }
    return info;
}

class LinuxHidPlatform final : public HidPlatform {
public:
    LinuxHidPlatform() : m_udev(udev_new(), [](udev* u) { UdevUnref{}(u); }) {
        if (!m_udev.get()) m_udev.reset();
    }

    bool available() const override { return m_udev != nullptr; }

    std::vector<HidInterface> enumerate() override {
        std::vector<HidInterface> list;
        if (!m_udev) return list;
        const std::unique_ptr<udev_enumerate, UdevUnref> scan(udev_enumerate_new(m_udev.get()));
        if (!scan || udev_enumerate_add_match_subsystem(scan.get(), "hidraw") < 0 ||
            udev_enumerate_scan_devices(scan.get()) < 0) {
            return list;
        }
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(scan.get())) {
            const UdevDevice device(
                udev_device_new_from_syspath(m_udev.get(), udev_list_entry_get_name(entry)));
            if (!device) continue;
            const char* node = udev_device_get_devnode(device.get());
            if (node == nullptr) continue;
            udev_device* hid =
                udev_device_get_parent_with_subsystem_devtype(device.get(), "hid", nullptr);
            const char* identity = udev_device_get_syspath(hid != nullptr ? hid : device.get());
            list.push_back({identity, node, systemInfo(device.get(), hid)});
        }
        return list;
    }

    HidOpenResult<std::unique_ptr<HidHandle>> open(const std::string& path,
                                                   HidAccess access) override {
        const int flags =
            (access == HidAccess::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK;
        const int fd = ::open(path.c_str(), flags);
        if (fd < 0) return {nullptr, lastError()};
        return {std::make_unique<HidrawHandle>(fd, m_udev), {}};
    }

    HidOpenResult<std::shared_ptr<HidReadHandle>> openForReading(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return {nullptr, lastError()};
        const auto descriptor = readReportDescriptor(fd);
        const auto layout = descriptor ? parseReportDescriptor(*descriptor) : std::nullopt;
        if (!layout) {
            const HidError error = lastError();
            ::close(fd);
            return {nullptr, error.code != 0 ? error : HidError{EIO, reasonFor(EIO)}};
        }
        return {makePollReadHandle(fd, layout->numbered), {}};
    }

    QString errorText(std::uint32_t code) const override {
        return reasonFor(static_cast<int>(code));
    }

private:
    UdevContext m_udev;
};

class UdevHidMonitor final : public HidDeviceMonitor {
public:
    // Several nodes of one device and their parents arrive within a few milliseconds.
    static constexpr int kSettleMs = 50;

    UdevHidMonitor() {
        m_settle.setSingleShot(true);
        m_settle.setInterval(kSettleMs);
        QObject::connect(&m_settle, &QTimer::timeout, &m_settle, [this] {
            if (m_onChange) m_onChange();
        });
    }

    void start(std::function<void()> onChange) override {
        stop();
        m_onChange = std::move(onChange);
        m_udev.reset(udev_new());
        if (!m_udev) return;
        m_monitor.reset(udev_monitor_new_from_netlink(m_udev.get(), "udev"));
        if (!m_monitor ||
            udev_monitor_filter_add_match_subsystem_devtype(m_monitor.get(), "hidraw", nullptr) <
                0 ||
            udev_monitor_enable_receiving(m_monitor.get()) < 0) {
            m_monitor.reset();
            return;
        }
        m_notifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_monitor.get()),
                                                       QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                         [this] { drain(); });
    }

    void stop() override {
        m_notifier.reset();
        m_monitor.reset();
        m_udev.reset();
        m_settle.stop();
        m_onChange = {};
    }

    ~UdevHidMonitor() override { stop(); }
    UdevHidMonitor(const UdevHidMonitor&) = delete;
    UdevHidMonitor& operator=(const UdevHidMonitor&) = delete;

private:
    void drain() {
        bool any = false;
        while (udev_device* device = udev_monitor_receive_device(m_monitor.get())) {
            udev_device_unref(device);
            any = true;
        }
        if (any && !m_settle.isActive()) m_settle.start();
    }

    std::function<void()> m_onChange;
    std::unique_ptr<udev, UdevUnref> m_udev;
    std::unique_ptr<udev_monitor, UdevUnref> m_monitor;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_settle;
};

}  // namespace

std::unique_ptr<HidPlatform> makeLinuxHidPlatform() {
    return std::make_unique<LinuxHidPlatform>();
}

std::unique_ptr<HidDeviceMonitor> makeUdevHidMonitor() {
    return std::make_unique<UdevHidMonitor>();
}

std::shared_ptr<HidReadHandle> makePollReadHandle(int fd, bool numbered) {
    return std::make_shared<PollReadHandle>(fd, numbered);
}
