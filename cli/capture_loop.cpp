#include "cli/capture_loop.h"

#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <memory>

CaptureLoop::CaptureLoop(StopSignals& stop, StopSignals::Deadline deadline,
                         std::function<void()> onWake, int wakeMs)
    : m_stop(stop), m_deadline(deadline), m_onWake(std::move(onWake)), m_wakeMs(wakeMs) {}

void CaptureLoop::end(CaptureEnd why) {
    if (m_end) return;
    m_end = why;
    m_loop.quit();
}

CaptureEnd CaptureLoop::run() {
    if (m_stop.requested()) end(CaptureEnd::Stopped);
    if (m_end) return *m_end;

    // A pending stop makes the notifier readable; where there is none, look ten times a second.
    std::unique_ptr<QSocketNotifier> stopNotifier;
    QTimer stopCheck;
    const auto checkStop = [this] {
        if (m_stop.requested()) end(CaptureEnd::Stopped);
    };
    if (const int fd = m_stop.notifier(); fd >= 0) {
        stopNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(stopNotifier.get(), &QSocketNotifier::activated, stopNotifier.get(),
                         checkStop);
    } else {
        QObject::connect(&stopCheck, &QTimer::timeout, &stopCheck, checkStop);
        stopCheck.start(100);
    }

    QTimer timeUp;
    timeUp.setSingleShot(true);
    timeUp.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timeUp, &QTimer::timeout, &timeUp, [this] { end(CaptureEnd::TimeUp); });
    if (m_deadline) {
        using namespace std::chrono;
        const auto left = ceil<milliseconds>(*m_deadline - steady_clock::now());
        timeUp.start(static_cast<int>(std::max<milliseconds::rep>(left.count(), 0)));
    }

    QTimer wake;
    if (m_onWake) {
        QObject::connect(&wake, &QTimer::timeout, &wake, [this] { m_onWake(); });
        wake.start(m_wakeMs);
    }

    m_loop.exec();
    return *m_end;
}
