// The program's entry: application title, the main window, the event loop. No arguments are
// read. Two development aids: VXM90_FEED_FILE (used by scripts/screenshot.sh), a file of raw
// meter bytes fed through the serial handler, one packet's worth every 100 ms, over and over;
// VXM90_EXIT_WHEN_SHOWN (used by the start-up benchmark), end once the window is shown.
#include <QFile>
#include <QStyleFactory>
#include <QTimer>

#include "app/application.h"
#include "app/fonts.h"
#include "app/main_window.h"
#include "app/platform_info.h"
#include "app/qt_dialogs.h"
#include "app/system_locale.h"
#include "app/window_icons.h"
#include "log/clock.h"

namespace {

void startFeed(TFCOMM& window, const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return;
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty()) return;
    auto* timer = new QTimer(&window);
    auto position = std::make_shared<qsizetype>(0);
    QObject::connect(timer, &QTimer::timeout, &window, [&window, bytes, position] {
        constexpr qsizetype kChunk = 14;
        const qsizetype n = std::min(kChunk, bytes.size() - *position);
        window.receiveSerialData(
            reinterpret_cast<const std::uint8_t*>(bytes.constData()) + *position,
            static_cast<std::int32_t>(n));
        *position = (*position + n) % bytes.size();
    });
    timer->start(100);
}

// Ends the program once the widget it watches has been painted.
class ExitWhenPainted : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            QTimer::singleShot(0, [] { QCoreApplication::quit(); });
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

int main(int argc, char** argv) {
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
    startFeed(window, qEnvironmentVariable("VXM90_FEED_FILE"));
    ExitWhenPainted exitWhenPainted;
    if (qEnvironmentVariableIsSet("VXM90_EXIT_WHEN_SHOWN")) {
        window.clientArea()->installEventFilter(&exitWhenPainted);
    }
    return QApplication::exec();
}
