#include "app/program.h"

#include <QStyleFactory>
#include <QTimer>

#include "app/shell/main_window.h"
#include "app/shell/platform_info.h"
#include "journal/journal_file.h"
#include "link/hid/joined_hid_platform.h"
#include "link/hid/linux_hid_platform.h"
#include "link/hid/simulated_cable.h"
#include "link/serial/port_naming.h"
#include "link/serial/serial_platform.h"
#include "log/clock.h"
#include "report/qt_report_dialogs.h"
#include "ui/application.h"
#include "ui/fonts.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_timers.h"
#include "ui/system_locale.h"
#include "ui/window_icons.h"

namespace {

/// The system's HID devices; the simulated cable goes first, so that a real cable, listed
/// after it, is the one selected when both are there.
std::unique_ptr<HidPlatform> hidPlatform(bool simulatedCable) {
    std::unique_ptr<HidPlatform> system = makeLinuxHidPlatform();
    if (!simulatedCable) return system;
    return std::make_unique<JoinedHidPlatform>(
        std::make_unique<SimulatedCablePlatform>(SimulatedCableOptions{}, makeRealTimeCablePacer()),
        std::move(system));
}

}  // namespace

int runProgram(int& argc, char** argv, const std::function<void(TFCOMM&)>& whenShown) {
    VxmApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    installFontSubstitutions();
    QApplication::setWindowIcon(window_icons::application());

    QtDialogs dialogs;
    QtReportDialogs reportDialogs;
    app.setErrorReporter([&dialogs](const QString& message) {
        dialogs.applicationError(punctuateErrorText(message));
    });
    const SystemLocale locale;
    const SystemClock clock;
    QtTimers timers;
    // The one place that reads the environment: the devices bound to COM 1 to COM 4, and
    // whether the simulated USB cable is wanted beside the system's HID devices.
    ComPortDeviceResolver comPorts = systemComPortResolver(
        [](const QString& name) { return qEnvironmentVariable(name.toLatin1().constData()); });
    const bool simulatedCable = simulatedCableWanted(qEnvironmentVariable(kSimulatedCableVariable));
    const SystemTimeZone timeZone;
    const auto journals = journalFolder(qEnvironmentVariable("XDG_STATE_HOME").toStdString(),
                                        qEnvironmentVariable("HOME").toStdString());
    TFCOMM window(WindowEnvironment{.dialogs = dialogs,
                                    .reportDialogs = reportDialogs,
                                    .locale = locale,
                                    .clock = clock,
                                    .timers = timers,
                                    .serialPlatform = makeQtSerialPlatform(),
                                    .comPortDevice = std::move(comPorts),
                                    .is64BitOs = &is64BitOperatingSystem,
                                    .hidPlatform = hidPlatform(simulatedCable),
                                    .hidMonitor = makeUdevHidMonitor(),
                                    .journalFolder = journals,
                                    .timeZone = &timeZone});
    window.centreOnScreen();
    window.show();
    // The question about an earlier run's readings comes with the window behind it.
    QTimer::singleShot(0, &window, [&window] { window.offerLeftoverJournals(); });
    if (whenShown) whenShown(window);
    const int status = QApplication::exec();
    window.finishJournal();
    return status;
}

bool simulatedCableWanted(const QString& value) {
    return !value.isEmpty() && value != QLatin1String("0");
}
