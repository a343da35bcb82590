#include "ui/application.h"

#include <exception>

VxmApplication::VxmApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The name, not the display name: a display name would be appended to every window
    // caption on some platforms.
    setApplicationName(QString::fromLatin1(kApplicationTitle));
}

bool VxmApplication::notify(QObject* receiver, QEvent* event) {
    QString message;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        message = QString::fromLocal8Bit(e.what());
    } catch (...) {
        message = QStringLiteral("Unknown error");
    }
    // The report is shown once the failing event has unwound, not as a modal loop inside it.
    // A report that fails itself is dropped, so errors cannot chain; errors of events served
    // while the report's box is open are caught by their own notify and reported in turn.
    if (m_reporter) {
        QMetaObject::invokeMethod(
            this,
            [reporter = m_reporter, message] {
                try {
                    reporter(message);
                } catch (...) {
                }
            },
            Qt::QueuedConnection);
    }
    return false;
}
