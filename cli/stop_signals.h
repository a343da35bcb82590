#pragma once

#include <csignal>

#include <chrono>
#include <optional>

/// Turns SIGINT and SIGTERM into a stop request that a command checks between writes and reads,
/// so that it ends cleanly (output flushed, log saved) instead of dying mid-write. Both signals
/// are blocked while the object lives and stay pending until a wait consumes or sees them; the
/// previous signal mask is restored afterwards. One per command, on the main thread, made
/// before any other thread starts (threads inherit the blocked mask, so no thread takes the
/// signal in its own way).
class StopSignals {
public:
    enum class Wait { Ready, Stopped, TimedOut, Failed };
    using Deadline = std::optional<std::chrono::steady_clock::time_point>;

    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    /// True once SIGINT or SIGTERM has arrived.
    bool requested();
    /// Sleeps for up to `seconds` (0 or less: no sleep; it may end early); true on a stop.
    bool sleepFor(double seconds);
    /// Waits until fd is ready for `events` (POLLIN or POLLOUT), checking for a stop every
    /// 100 ms, at most until deadline (TimedOut). Failed: poll failed or the descriptor is
    /// invalid.
    Wait waitFor(int fd, short events, Deadline deadline = std::nullopt);
    /// A descriptor that is readable while a stop is pending, for an event loop to watch (it
    /// is never read: requested() still sees the stop). -1 when the system has none.
    int notifier();

private:
    sigset_t m_signals;
    sigset_t m_previous;
    bool m_stopped = false;
    int m_notifier = -1;
};
