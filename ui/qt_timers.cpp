#include "ui/qt_timers.h"

#include <QTimer>

namespace {

class QtTimer : public Timer {
public:
    explicit QtTimer(std::function<void()> onTimeout) {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(onTimeout));
    }

    void setInterval(int milliseconds) override { m_timer.setInterval(milliseconds); }
    int interval() const override { return m_timer.interval(); }
    void setSingleShot(bool singleShot) override { m_timer.setSingleShot(singleShot); }
    void start() override { m_timer.start(); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }
    int remainingTime() const override { return m_timer.remainingTime(); }

private:
    QTimer m_timer;
};

}  // namespace

std::unique_ptr<Timer> QtTimers::create(std::function<void()> onTimeout) {
    return std::make_unique<QtTimer>(std::move(onTimeout));
}
