#pragma once

#include <QCoreApplication>
#include <QEventLoop>

#include <functional>
#include <optional>

#include "cli/capture.h"
#include "cli/stop_signals.h"

/// The Qt application of a command that needs an event loop (HID readers hand their reports
/// to it, the serial port is polled on it). No display is needed. One at a time, on the main
/// thread, made after the command's StopSignals.
class CommandApplication {
public:
    CommandApplication() : m_app(m_argc, m_argv) {}

private:
    int m_argc = 1;
    char m_name[10] = "vxm90-cli";
    char* m_argv[2] = {m_name, nullptr};
    QCoreApplication m_app;
};

/// The event loop of a capture from a cable or a serial device: runs until a source ends it,
/// SIGINT or SIGTERM arrives, or the deadline passes; the first reason wins. Main thread.
class CaptureLoop {
public:
    /// onWake: called every wakeMs while the loop runs (none when empty).
    CaptureLoop(StopSignals& stop, StopSignals::Deadline deadline,
                std::function<void()> onWake = {}, int wakeMs = 250);

    /// Serves events until the capture ends; at once when it has ended already.
    CaptureEnd run();
    /// Ends the capture (also from inside a handler the loop runs; the loop returns after it).
    void end(CaptureEnd why);
    bool ended() const { return m_end.has_value(); }

private:
    StopSignals& m_stop;
    StopSignals::Deadline m_deadline;
    std::function<void()> m_onWake;
    int m_wakeMs;
    std::optional<CaptureEnd> m_end;
    QEventLoop m_loop;
};
