#pragma once

#include "decode/locale_info.h"

/// Where the log takes the time of day of a new row. Tests pass a fixed clock.
class Clock {
public:
    virtual ~Clock() = default;
    /// The current local time of day (hours 0 to 23).
    virtual TimeOfDay timeOfDay() const = 0;
};

/// The machine's local wall clock.
class SystemClock : public Clock {
public:
    TimeOfDay timeOfDay() const override;
};

/// A clock that always answers `now`; tests move it by assigning.
class FixedClock : public Clock {
public:
    TimeOfDay now;
    TimeOfDay timeOfDay() const override { return now; }
};
