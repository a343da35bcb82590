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
    if (m_reporter) m_reporter(message);
    return false;
}
