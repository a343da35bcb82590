#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "ui/timers.h"

/// Timers on a clock that moves only when the test says so. advance() fires every expiry up
/// to the new time in time order (equal times in the order the timers were started), each at
/// its own instant, so callbacks that start, stop or destroy timers see the times they would
/// see on the event loop. Single-threaded, like the GUI thread it stands for.
class ManualTimers : public Timers {
public:
    ManualTimers() = default;
    ManualTimers(const ManualTimers&) = delete;
    ManualTimers& operator=(const ManualTimers&) = delete;

    std::unique_ptr<Timer> create(std::function<void()> onTimeout) override {
        return std::make_unique<ManualTimer>(*this, std::move(onTimeout));
    }

    /// Milliseconds since construction.
    std::int64_t now() const { return m_now; }

    /// Moves the clock on by milliseconds, firing what falls due on the way (also at the end).
    void advance(std::int64_t milliseconds) {
        const std::int64_t target = m_now + std::max<std::int64_t>(milliseconds, 0);
        // A periodic timer of interval 0 fires once per pass, as on an idle event loop.
        std::vector<const void*> firedAtZero;
        while (ManualTimer* next = nextDue(target, firedAtZero)) {
            m_now = next->m_deadline;
            if (next->m_interval == 0 && !next->m_singleShot) firedAtZero.push_back(next);
            next->expire();
        }
        m_now = target;
    }

    /// Timers created and not yet destroyed.
    std::size_t timerCount() const { return m_timers.size(); }

private:
    class ManualTimer : public Timer {
    public:
        ManualTimer(ManualTimers& owner, std::function<void()> onTimeout)
            : m_owner(owner), m_onTimeout(std::move(onTimeout)) {
            m_owner.m_timers.push_back(this);
        }
        ~ManualTimer() override { std::erase(m_owner.m_timers, this); }

        void setInterval(int milliseconds) override {
            m_interval = std::max(milliseconds, 0);
            if (m_active) start();
        }
        int interval() const override { return m_interval; }
        void setSingleShot(bool singleShot) override { m_singleShot = singleShot; }
        void start() override {
            m_active = true;
            m_deadline = m_owner.m_now + m_interval;
            m_order = ++m_owner.m_starts;
        }
        void stop() override { m_active = false; }
        bool isActive() const override { return m_active; }
        int remainingTime() const override {
            return m_active ? static_cast<int>(m_deadline - m_owner.m_now) : -1;
        }

        void expire() {
            if (m_singleShot) {
                m_active = false;
            } else {
                m_deadline += m_interval;
            }
            // A copy: the callback may destroy this timer.
            const std::function<void()> onTimeout = m_onTimeout;
            if (onTimeout) onTimeout();
        }

        ManualTimers& m_owner;
        std::function<void()> m_onTimeout;
        int m_interval = 0;
        bool m_singleShot = false;
        bool m_active = false;
        std::int64_t m_deadline = 0;
        std::uint64_t m_order = 0;
    };

    ManualTimer* nextDue(std::int64_t target, const std::vector<const void*>& firedAtZero) const {
        ManualTimer* best = nullptr;
        for (ManualTimer* t : m_timers) {
            if (!t->m_active || t->m_deadline > target) continue;
            if (std::find(firedAtZero.begin(), firedAtZero.end(), t) != firedAtZero.end()) continue;
            if (best == nullptr || t->m_deadline < best->m_deadline ||
                (t->m_deadline == best->m_deadline && t->m_order < best->m_order)) {
                best = t;
            }
        }
        return best;
    }

    std::int64_t m_now = 0;
    std::uint64_t m_starts = 0;
    std::vector<ManualTimer*> m_timers;
};
