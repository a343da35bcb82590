#include "app/program.h"

#include <QStyleFactory>

#include "app/application.h"
#include "app/fonts.h"
#include "app/main_window.h"
#include "app/platform_info.h"
#include "app/qt_dialogs.h"
#include "app/system_locale.h"
#include "app/window_icons.h"
#include "log/clock.h"

int runProgram(int& argc, char** argv, const std::function<void(TFCOMM&)>& whenShown) {
    VxmApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    installFontSubstitutions();
    QApplication::setWindowIcon(window_icons::application());

    QtDialogs dialogs;
    app.setErrorReporter([&dialogs](const QString& message) {
        dialogs.applicationError(punctuateErrorText(message));
    });
    const SystemLocale locale;
    const SystemClock clock;
    TFCOMM window(WindowEnvironment{dialogs, locale, clock, &is64BitOperatingSystem});
    window.centreOnScreen();
    window.show();
    if (whenShown) whenShown(window);
    return QApplication::exec();
}
