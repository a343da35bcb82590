// The program with development aids, for the screenshot script and the start-up benchmark;
// the program itself reads only its own variables. VXM90_FEED_FILE: a file of raw meter bytes
// fed through the serial handler, one packet's worth every 100 ms, over and over.
// VXM90_EXIT_WHEN_SHOWN: end once the window has been painted. VXM90_CONNECT_USB: click
// "USB Connection" once the window is shown (with VXM90_SIMULATED_CABLE=1, the simulated cable
// connects as if the user had clicked).
#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <memory>

#include "app/program.h"
#include "app/shell/main_window.h"

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
public:
    using QObject::QObject;

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
    return runProgram(argc, argv, [](TFCOMM& window) {
        startFeed(window, qEnvironmentVariable("VXM90_FEED_FILE"));
        if (qEnvironmentVariableIsSet("VXM90_CONNECT_USB")) {
            QTimer::singleShot(0, &window, [&window] { window.USBCon()->click(); });
        }
        if (qEnvironmentVariableIsSet("VXM90_EXIT_WHEN_SHOWN")) {
            window.clientArea()->installEventFilter(new ExitWhenPainted(&window));
        }
    });
}
