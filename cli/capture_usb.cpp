#include "cli/capture_usb.h"

#include <QString>

#include "cli/capture_loop.h"
#include "cli/console_dialogs.h"
#include "cli/log_target.h"
#include "link/hid/joined_hid_platform.h"
#include "link/hid/linux_hid_platform.h"
#include "link/hid/usb_connection.h"
#include "session/meter_session.h"
#include "ui/qt_timers.h"

namespace {

constexpr int kConTimerMs = 100;

/// The window's side of the connection without widgets: the toggle is a flag; the toggle
/// coming up while the capture runs means the connection has ended.
class HeadlessUsbHost final : public UsbConnectionHost {
public:
    HeadlessUsbHost(LogTarget& target, CaptureLoop& loop) : m_target(target), m_loop(loop) {}

    void receiveUsbReport(std::uint8_t ReportID, const std::uint8_t* Data,
                          std::uint16_t Size) override {
        if (!m_target.receiveHidReport(ReportID, Data, Size)) m_loop.end(CaptureEnd::CountReached);
    }
    std::int32_t EmptyReportCount() const override {
        return m_target.session().frames().EmptyReportCount();
    }
    void resetEmptyReportCount() override { m_target.session().frames().resetEmptyReportCount(); }
    bool USBConDown() const override { return m_down; }
    void setUSBConDown(bool down) override {
        if (m_down && !down && m_capturing) m_loop.end(CaptureEnd::LinkLost);
        m_down = down;
    }
    void setUSBConCaption(const QString&) override {}
    void hideComControls() override {}
    void showComControls() override {}

    /// The user's click on the toggle.
    void click(UsbConnection& usb, bool down) {
        m_down = down;
        usb.USBConClick();
    }
    void setCapturing(bool capturing) { m_capturing = capturing; }

private:
    LogTarget& m_target;
    CaptureLoop& m_loop;
    bool m_down = false;
    bool m_capturing = false;
};

}  // namespace

std::unique_ptr<HidPlatform> commandLineHidPlatform(bool simulatedCable,
                                                    const SimulatedCableOptions& cable) {
    std::unique_ptr<HidPlatform> system = makeLinuxHidPlatform();
    if (!simulatedCable) return system;
    return std::make_unique<JoinedHidPlatform>(
        std::make_unique<SimulatedCablePlatform>(cable, makeRealTimeCablePacer()),
        std::move(system));
}

CaptureEnd captureUsb(bool simulatedCable, const SimulatedCableOptions& cable, LogTarget& target,
                      StopSignals& stop, StopSignals::Deadline deadline, std::ostream& err) {
    const CommandApplication app;
    const std::unique_ptr<HidPlatform> platform = commandLineHidPlatform(simulatedCable, cable);
    const std::unique_ptr<HidDeviceMonitor> monitor = makeUdevHidMonitor();
    ConsoleDialogs dialogs(err);
    CaptureLoop loop(
        stop, deadline, [&target] { target.wake(); }, LogTarget::kWakeMs);
    HeadlessUsbHost host(target, loop);
    MeterSession& session = target.session();
    const TModelProfile& model = session.profile();
    UsbConnection usb(*platform, *monitor,
                      UsbCableModel{model.UsbHandler != UsbHandlerKind::None,
                                    static_cast<std::uint32_t>(model.UsbCableSpeed)},
                      host, dialogs);
    QtTimers timers;
    const std::unique_ptr<Timer> conTimer = timers.create([&] {
        if (session.ConTimerTick()) usb.emptyReportWatchdog();
    });
    conTimer->setInterval(kConTimerMs);

    host.click(usb, true);
    if (!usb.connected()) return CaptureEnd::Failed;
    const THidDevice* cableDevice = usb.DevListBoxDevice(usb.DevListBoxItemIndex());
    err << "vxm90-cli log: logging from "
        << usb.DevListBox().at(usb.DevListBoxItemIndex()).toStdString() << " at "
        << cableDevice->PnPInfo().DevicePath() << "; Ctrl+C ends the capture and saves\n"
        << std::flush;
    host.setCapturing(true);
    conTimer->start();
    const CaptureEnd end = loop.run();
    host.setCapturing(false);
    conTimer->stop();
    if (usb.connected()) host.click(usb, false);
    return end;
}
