#pragma once

#include <QApplication>

#include "ui/error_report.h"

/// The application object. An exception that escapes an event handler ends that event only:
/// it is caught here, and the general error report shows it once that event has unwound; the
/// program goes on serving events.
class VxmApplication : public QApplication {
public:
    /// Sets the application title "VXM-90" used by the task bar and the error report.
    VxmApplication(int& argc, char** argv);

    void setErrorReporter(ErrorReporter reporter) { m_reporter = std::move(reporter); }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    ErrorReporter m_reporter;
};
