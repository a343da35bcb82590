#pragma once

#include <functional>
#include <memory>

/// One timer of the GUI thread. While active it fires every interval() ms, or once when
/// single-shot (it is inactive again when its callback runs). start() restarts a running
/// timer, so a timer started on every change fires interval() ms after the last one.
/// Destroying a timer stops it. GUI thread only.
class Timer {
public:
    virtual ~Timer() = default;
    /// Milliseconds, at least 0; a running timer restarts with the new interval.
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void setSingleShot(bool singleShot) = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    /// Milliseconds until the next expiry; -1 while stopped.
    virtual int remainingTime() const = 0;
};

/// Where the program's timers come from: the event loop's in the program, a manual clock in
/// tests, so that tests advance time instead of waiting for it.
class Timers {
public:
    virtual ~Timers() = default;
    /// A stopped, periodic timer of interval 0 whose expiries call onTimeout.
    virtual std::unique_ptr<Timer> create(std::function<void()> onTimeout) = 0;
};
