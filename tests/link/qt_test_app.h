#pragma once

#include <QApplication>
#include <QTest>

#include <functional>

/// The one application object of a test binary (widgets need it, timers need its loop).
/// It lives until the process ends: destroying it among the static destructors would pull
/// Qt's input devices out from under their own static cleanup.
inline QApplication& testApp() {
    static int argc = 1;
    static char name[] = "link_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

/// Runs the event loop until done() holds or timeoutMs passed; returns done().
inline bool runUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
    testApp();
    return QTest::qWaitFor(done, timeoutMs);
}

/// Runs the event loop for ms milliseconds.
inline void runFor(int ms) {
    testApp();
    QTest::qWait(ms);
}
