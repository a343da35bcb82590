#include "cli/capture_port.h"

#include <QString>

#include "cli/capture_loop.h"
#include "cli/log_target.h"
#include "link/serial/serial_platform.h"
#include "link/serial/serial_port_driver.h"
#include "session/meter_session.h"
#include "ui/qt_timers.h"

namespace {

constexpr std::uint16_t kPollMs = 100;

}  // namespace

CaptureEnd capturePort(const std::string& device, LogTarget& target, StopSignals& stop,
                       StopSignals::Deadline deadline, std::ostream& err) {
    const CommandApplication app;
    QtTimers timers;
    CaptureLoop loop(
        stop, deadline, [&target] { target.wake(); }, LogTarget::kWakeMs);
    const QString name = QString::fromStdString(device);
    TSerialPortDriver driver(
        makeQtSerialPlatform(),
        [name](TComPortNumber port) { return port == TComPortNumber::pnCOM1 ? name : QString(); },
        timers);
    const TModelProfile& model = target.session().profile();
    driver.setComPort(TComPortNumber::pnCOM1);
    driver.setComPortSpeed(model.ComPortSpeed.value_or(TComPortBaudRate::br2400));
    driver.setComPortPollingDelay(kPollMs);
    driver.setOnReceiveData([&](TSerialPortDriver&, const std::uint8_t* data, std::int32_t size) {
        if (!target.receiveSerial(data, static_cast<std::size_t>(size))) {
            loop.end(CaptureEnd::CountReached);
        }
    });
    driver.setOnPortLost([&](const QString& lost, const QString& reason) {
        err << "vxm90-cli log: " << lost.toStdString()
            << " was disconnected: " << reason.toStdString() << '\n';
        loop.end(CaptureEnd::LinkLost);
    });
    if (!driver.OpenPort()) {
        const SerialOpenResult& result = driver.lastOpenResult();
        err << "vxm90-cli log: cannot open " << device << ": " << result.reason.toStdString()
            << '\n';
        if (result.error == SerialOpenError::PermissionDenied) {
            err << "vxm90-cli log: to get access, add your user to the dialout group: sudo "
                   "usermod -aG dialout $USER, then log in again\n";
        }
        return CaptureEnd::Failed;
    }
    err << "vxm90-cli log: logging from " << device << "; Ctrl+C ends the capture and saves\n"
        << std::flush;
    const CaptureEnd end = loop.run();
    driver.ClosePort();
    return end;
}
