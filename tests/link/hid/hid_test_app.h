#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <exception>
#include <functional>
#include <string>
#include <thread>

/// The application of the HID tests. Like the program's own, it ends an event whose handler
/// throws and records what was thrown.
class HidTestApp final : public QCoreApplication {
public:
    using QCoreApplication::QCoreApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QCoreApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            lastError = e.what();
        }
        return false;
    }
    std::string lastError;
};

/// The one application object; it lives until the process ends.
inline HidTestApp& hidTestApp() {
    static int argc = 1;
    static char name[] = "hid_tests";
    static char* argv[] = {name, nullptr};
    static auto* app = new HidTestApp(argc, argv);
    return *app;
}

/// Runs the GUI thread's event loop until done() holds or timeoutMs passed; returns done().
/// done() is checked after every event, and every few milliseconds for conditions that other
/// threads change without an event.
inline bool runUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    hidTestApp();
    QDeadlineTimer deadline(timeoutMs);
    QTimer recheck;
    recheck.start(2);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

/// Waits without running the event loop until done() holds (set by another thread) or
/// timeoutMs passed; returns done().
inline bool waitWithoutEvents(const std::function<bool()>& done, int timeoutMs = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::yield();
    }
    return true;
}
