#include <cerrno>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/capture_loop.h"
#include "cli/capture_usb.h"
#include "cli/commands.h"
#include "link/hid/hid_device_controller.h"
#include "link/hid/simulated_cable.h"
#include "link/hid/usb_texts.h"

namespace {

constexpr std::string_view kHelp =
    R"(Usage: vxm90-cli usb list [--simulated-cable]

Lists the HID devices the program sees, one line each, in the order the window lists them:
its caption (as the window's device list words it), vendor and product ID, device node, and
"ok" or why it cannot be used. The window connects to the last one captioned exactly
"USB to Serial". A cable the user may not open is followed by the udev rule that gives
access to it and the command that installs the rule.

Options:
  --simulated-cable   list the simulated cable too, before the system's devices
  --help              show this text

Exit status: 0, also when there is no device; 2 on a usage error.
)";

std::string hexId(std::uint16_t id) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(4, '0');
    for (int i = 3; i >= 0; --i, id = static_cast<std::uint16_t>(id >> 4))
        text[static_cast<std::size_t>(i)] = kDigits[id & 0xF];
    return text;
}

void printLine(std::ostream& out, const QString& caption, std::uint16_t vendorId,
               std::uint16_t productId, const std::string& node, const std::string& status) {
    out << caption.toStdString() << "\tVID=" << hexId(vendorId) << " PID=" << hexId(productId)
        << '\t' << node << '\t' << status << '\n';
}

void printFix(std::ostream& out) {
    out << "  rule: " << kUdevRule << '\n'
        << "  install: " << udevRuleInstallCommand().toStdString() << '\n';
}

}  // namespace

int runUsb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const OptionSpec accepted{{}, {"simulated-cable", "help"}};
    std::string error;
    const auto parsed = parseArgs(args, accepted, error);
    if (parsed && parsed->has("help")) {
        out << kHelp;
        return kExitOk;
    }
    if (!parsed || parsed->operands != std::vector<std::string>{"list"}) {
        err << "vxm90-cli usb: " << (parsed ? "the command is 'usb list'" : error)
            << "\nTry 'vxm90-cli usb --help'.\n";
        return kExitUsage;
    }

    const CommandApplication app;
    const std::unique_ptr<HidPlatform> platform =
        commandLineHidPlatform(parsed->has("simulated-cable"), SimulatedCableOptions{});
    FixedDeviceSetMonitor oneLook;
    THidDeviceController controller(*platform, oneLook);
    int listed = 0;
    // Strings can be read while a device is being enumerated, as the window's list does.
    controller.setOnEnumerate([&](THidDevice& device, std::int32_t) {
        const bool cable = device.ProductString() == QLatin1String(kUsbCableProduct);
        printLine(out, DeviceCaption(device), device.VendorID(), device.ProductID(),
                  device.PnPInfo().DevicePath(),
                  device.ReadWriteAccess() ? "ok" : "opens for queries only: Permission denied");
        if (cable && !device.ReadWriteAccess()) printFix(out);
        ++listed;
        return true;
    });
    controller.EnumerateDevices();
    for (const HidUnopenedDevice& unopened : controller.UnopenedDevices()) {
        const HidSystemInfo& system = unopened.device.system;
        std::string status = "cannot be opened";
        if (unopened.fault == kDeviceCannotBeIdentified) status = "cannot be identified";
        if (!unopened.reason.isEmpty()) status += ": " + unopened.reason.toStdString();
        printLine(out, DeviceCaption(system), system.vendorId, system.productId,
                  unopened.device.path, status);
        const bool denied = unopened.error == EACCES || unopened.error == EPERM;
        if (denied && system.product == kUsbCableProduct) printFix(out);
        ++listed;
    }
    if (listed == 0) err << "vxm90-cli usb list: no HID devices\n";
    return kExitOk;
}
