#pragma once

#include "ui/timers.h"

/// Timers of the Qt event loop (QTimer, precise to the millisecond).
class QtTimers : public Timers {
public:
    std::unique_ptr<Timer> create(std::function<void()> onTimeout) override;
};
