#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

/// Runs the GUI thread's event loop of the application that exists until done() holds or
/// timeoutMs passed; returns done(). done() is checked after every event, and every few
/// milliseconds for conditions that other threads change without an event.
inline bool runEventsUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    QDeadlineTimer deadline(timeoutMs);
    QTimer recheck;
    recheck.start(2);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}
