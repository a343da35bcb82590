#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>

class HandOverWaker;

/// Hands calls from one worker thread to the GUI thread, one at a time, and waits for each.
///
/// How it works: the call, its state and the worker's wait are guarded by a std::mutex and a
/// std::condition_variable; Qt only wakes the GUI thread (an event posted to a QObject that
/// lives there), and the GUI thread then takes the call under the mutex. So every piece of
/// state is shared through one standard mutex that ThreadSanitizer sees.
///
/// Stopping never waits for the GUI thread: once stop is requested on the worker's
/// std::stop_token, a call that the GUI thread has not taken yet is withdrawn and run() returns
/// false at once. A call that the GUI thread has taken runs to its end and the worker waits for
/// that end, so memory the call uses stays the worker's until the call returned. A stop asked
/// from inside the running call (the worker then cannot be joined yet) hands the worker's owner
/// over with releaseAfterCall(), and the owner is released, i.e. the worker joined, right after
/// the call returned.
class HandOver {
public:
    /// On the GUI thread: calls run on the thread that creates the hand-over.
    HandOver();
    /// On the GUI thread, after the worker has ended.
    ~HandOver();
    HandOver(const HandOver&) = delete;
    HandOver& operator=(const HandOver&) = delete;

    /// Worker thread. Runs call on the GUI thread and waits until it has returned: true then.
    /// False, without running it, when stop is requested on token before the GUI thread took
    /// the call. call must stay valid until run() returns.
    bool run(std::stop_token token, const std::function<void()>& call);

    /// GUI thread: the caller is inside this hand-over's running call.
    bool running() const;
    /// GUI thread: a call waits for the GUI thread.
    bool pending() const;
    /// GUI thread, inside the running call only: keeps owner until the call has returned and the
    /// worker was let go, then releases it. owner may own this hand-over.
    void releaseAfterCall(std::shared_ptr<void> owner);

    /// Calls the GUI thread has run (GUI thread).
    std::uint64_t callsRun() const { return m_callsRun; }

private:
    friend class HandOverWaker;
    enum class State : std::uint8_t { Idle, Pending, Running, Done };

    /// GUI thread, from the waker's event.
    void serve();
    void finishCall();

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    State m_state = State::Idle;                    // guarded
    const std::function<void()>* m_call = nullptr;  // guarded
    std::stop_token m_token;                        // guarded: the waiting worker's
    std::shared_ptr<void> m_releaseAfterCall;       // guarded
    std::uint64_t m_callsRun = 0;                   // GUI thread only
    std::unique_ptr<HandOverWaker> m_waker;         // set before the worker starts
};
