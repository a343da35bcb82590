#include "link/hid/hand_over.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <atomic>
#include <utility>

namespace {

QEvent::Type handOverEventType() {
    static const auto kType = static_cast<QEvent::Type>(QEvent::registerEventType());
    return kType;
}

}  // namespace

/// Lives on the GUI thread; an event posted to it makes the GUI thread serve the hand-over.
/// Events are coalesced: at most one is queued at a time.
class HandOverWaker final : public QObject {
public:
    explicit HandOverWaker(HandOver& handOver) : m_handOver(&handOver) {}

    /// Any thread.
    void wake() {
        // The event is made before the flag is raised, so the GUI thread's acquire of the flag
        // orders its making before Qt frees it there.
        auto* event = new QEvent(handOverEventType());
        if (m_queued.exchange(true, std::memory_order_acq_rel)) {
            delete event;
            return;
        }
        QCoreApplication::postEvent(this, event);
    }

    /// GUI thread: the hand-over is gone; a queued event finds nothing to do.
    void detach() { m_handOver = nullptr; }
    bool inEvent() const { return m_inEvent; }

protected:
    bool event(QEvent* e) override {
        // Acquired before the event is read: the worker made it before raising the flag.
        m_queued.load(std::memory_order_acquire);
        if (e->type() != handOverEventType()) return QObject::event(e);
        m_queued.store(false, std::memory_order_release);
        if (m_handOver == nullptr) return true;
        struct InEvent {
            bool& flag;
            explicit InEvent(bool& f) : flag(f) { flag = true; }
            ~InEvent() { flag = false; }
            InEvent(const InEvent&) = delete;
            InEvent& operator=(const InEvent&) = delete;
        } inEvent(m_inEvent);
        // serve() may release the hand-over (and detach this waker): nothing here touches it
        // afterwards.
        m_handOver->serve();
        return true;
    }

private:
    HandOver* m_handOver;
    std::atomic<bool> m_queued{false};
    bool m_inEvent = false;
};

HandOver::HandOver() : m_waker(std::make_unique<HandOverWaker>(*this)) {}

HandOver::~HandOver() {
    m_waker->detach();
    // Released from inside its own event (a worker stopped from inside its call): Qt must not
    // find its receiver gone when the event returns, so it goes once the event loop is back.
    if (m_waker->inEvent()) {
        m_waker.release()->deleteLater();
    }
}

bool HandOver::run(std::stop_token token, const std::function<void()>& call) {
    // Made before the mutex is taken: a stop already requested runs it here at once.
    const std::stop_callback wakeOnStop(token, [this] {
        const std::lock_guard lock(m_mutex);
        m_cv.notify_all();
    });
    std::unique_lock lock(m_mutex);
    if (token.stop_requested()) return false;
    m_call = &call;
    m_token = token;
    m_state = State::Pending;
    lock.unlock();
    m_waker->wake();
    lock.lock();
    m_cv.wait(lock, [&] {
        return m_state == State::Done || (m_state == State::Pending && token.stop_requested());
    });
    const bool ran = m_state == State::Done;
    m_state = State::Idle;
    m_call = nullptr;
    m_token = {};
    return ran;
}

bool HandOver::running() const {
    const std::lock_guard lock(m_mutex);
    return m_state == State::Running;
}

bool HandOver::pending() const {
    const std::lock_guard lock(m_mutex);
    return m_state == State::Pending;
}

void HandOver::releaseAfterCall(std::shared_ptr<void> owner) {
    const std::lock_guard lock(m_mutex);
    m_releaseAfterCall = std::move(owner);
}

void HandOver::serve() {
    std::unique_lock lock(m_mutex);
    if (m_state != State::Pending || m_token.stop_requested()) return;
    m_state = State::Running;
    const std::function<void()>& call = *m_call;
    lock.unlock();
    ++m_callsRun;
    // The worker is let go also when the call throws (the exception goes on to the
    // application's handler).
    struct Finish {
        HandOver& handOver;
        ~Finish() { handOver.finishCall(); }
    } finish{*this};
    call();
}

void HandOver::finishCall() {
    std::shared_ptr<void> owner;
    {
        const std::lock_guard lock(m_mutex);
        m_state = State::Done;
        owner = std::move(m_releaseAfterCall);
        m_cv.notify_all();
    }
    // Releasing owner joins the worker and may destroy this hand-over: no member is touched
    // from here on.
    owner.reset();
}
