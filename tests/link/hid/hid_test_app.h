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

#include "tests/support/run_until.h"

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

/// Runs the GUI thread's event loop until done() holds or timeoutMs passed; returns done()
/// (see runEventsUntil).
inline bool runUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    hidTestApp();
    return runEventsUntil(done, timeoutMs);
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
