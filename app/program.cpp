#include "app/program.h"

#include <QStyleFactory>

#include "app/shell/main_window.h"
#include "app/shell/platform_info.h"
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
    // The one place that reads the environment: the devices bound to COM 1 to COM 4.
    ComPortDeviceResolver comPorts = systemComPortResolver(
        [](const QString& name) { return qEnvironmentVariable(name.toLatin1().constData()); });
    TFCOMM window(WindowEnvironment{dialogs, reportDialogs, locale, clock, timers,
                                    makeQtSerialPlatform(), std::move(comPorts),
                                    &is64BitOperatingSystem});
    window.centreOnScreen();
    window.show();
    if (whenShown) whenShown(window);
    return QApplication::exec();
}
