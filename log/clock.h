#pragma once

#include <cstdint>

#include "decode/locale_info.h"

/// Division rounding towards minus infinity, so that moments before 1970 split into whole
/// seconds (or minutes) and a remainder that is never negative.
constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

/// A moment as a local calendar date and time, with the zone's offset from UTC at that moment.
struct LocalDateTime {
    int year = 1970;
    int month = 1;  ///< 1 to 12
    int day = 1;    ///< 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;  ///< 0 to 59: a leap second is shown as 59
    int millisecond = 0;
    int utcOffsetMinutes = 0;  ///< local time minus UTC (120 for UTC+02:00)

    TimeOfDay timeOfDay() const { return TimeOfDay{hour, minute, second}; }
};

/// Turns moments (milliseconds since 1970-01-01 UTC) into local date-times. Tests pass a zone
/// with a fixed offset so that their results do not depend on the machine's zone.
class TimeZone {
public:
    virtual ~TimeZone() = default;
    virtual LocalDateTime local(std::int64_t utcMs) const = 0;
};

/// The machine's zone, as the C library knows it (TZ, /etc/localtime), daylight saving included.
class SystemTimeZone : public TimeZone {
public:
    LocalDateTime local(std::int64_t utcMs) const override;
};

/// A zone that is always `offsetMinutes` ahead of UTC.
class FixedOffsetTimeZone : public TimeZone {
public:
    explicit FixedOffsetTimeZone(int offsetMinutes = 0) : m_offsetMinutes(offsetMinutes) {}
    LocalDateTime local(std::int64_t utcMs) const override;

private:
    int m_offsetMinutes;
};

/// One reading of a clock: the moment, and its local time of day, taken together so that the
/// two can never straddle a second.
struct ClockReading {
    TimeOfDay local;
    std::int64_t utcMs = 0;  ///< milliseconds since 1970-01-01 UTC
};

/// Where the log takes the time of a new row. Tests pass a fixed clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual ClockReading read() const = 0;
    /// The current local time of day (hours 0 to 23).
    TimeOfDay timeOfDay() const { return read().local; }
};

/// The machine's wall clock in its zone.
class SystemClock : public Clock {
public:
    ClockReading read() const override;

private:
    SystemTimeZone m_zone;
};

/// A clock that always answers `now` at the moment `utcMs`; tests move it by assigning.
class FixedClock : public Clock {
public:
    TimeOfDay now;
    std::int64_t utcMs = 0;
    ClockReading read() const override { return ClockReading{now, utcMs}; }
};
