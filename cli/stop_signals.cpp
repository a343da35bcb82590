#include "cli/stop_signals.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>

StopSignals::StopSignals() {
    sigemptyset(&m_signals);
    sigaddset(&m_signals, SIGINT);
    sigaddset(&m_signals, SIGTERM);
    sigprocmask(SIG_BLOCK, &m_signals, &m_previous);
}

StopSignals::~StopSignals() {
    if (m_notifier >= 0) ::close(m_notifier);
    // Drop a stop that is still pending, so that restoring the mask does not end the process.
    const timespec zero{};
    while (sigtimedwait(&m_signals, nullptr, &zero) > 0) {
    }
    sigprocmask(SIG_SETMASK, &m_previous, nullptr);
}

bool StopSignals::requested() {
    if (m_stopped) return true;
    sigset_t pending;
    sigemptyset(&pending);
    if (sigpending(&pending) == 0 &&
        (sigismember(&pending, SIGINT) == 1 || sigismember(&pending, SIGTERM) == 1)) {
        m_stopped = true;
    }
    return m_stopped;
}

bool StopSignals::sleepFor(double seconds) {
    if (requested()) return true;
    if (!(seconds > 0.0)) return false;
    timespec timeout{};
    timeout.tv_sec = static_cast<time_t>(seconds);
    timeout.tv_nsec = static_cast<long>((seconds - std::floor(seconds)) * 1e9);
    if (timeout.tv_nsec >= 1000000000L) timeout.tv_nsec = 999999999L;
    // A timeout or another signal waking us (EINTR) both return false; callers that keep a
    // schedule simply sleep again for what is left.
    if (sigtimedwait(&m_signals, nullptr, &timeout) > 0) m_stopped = true;
    return m_stopped;
}

int StopSignals::notifier() {
    if (m_notifier < 0) m_notifier = signalfd(-1, &m_signals, SFD_NONBLOCK | SFD_CLOEXEC);
    return m_notifier;
}

StopSignals::Wait StopSignals::waitFor(int fd, short events, Deadline deadline) {
    using namespace std::chrono;
    constexpr milliseconds kCheck{100};
    for (;;) {
        if (requested()) return Wait::Stopped;
        milliseconds wait = kCheck;
        if (deadline) {
            const auto left = ceil<milliseconds>(*deadline - steady_clock::now());
            if (left <= milliseconds::zero()) return Wait::TimedOut;
            wait = std::min(wait, left);
        }
        pollfd p{fd, events, 0};
        const int n = poll(&p, 1, static_cast<int>(wait.count()));
        if (n < 0) {
            if (errno == EINTR) continue;
            return Wait::Failed;
        }
        if (n == 0) continue;
        if (p.revents & POLLNVAL) return Wait::Failed;
        // POLLHUP / POLLERR count as ready: the following read or write reports them.
        return Wait::Ready;
    }
}
