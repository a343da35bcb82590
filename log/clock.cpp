#include "log/clock.h"

#include <chrono>
#include <ctime>

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = floorDiv(y, 400);
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// A moment as the whole second the C library converts and the milliseconds into it.
struct SplitMoment {
    std::time_t seconds;
    int millisecond;
};

SplitMoment split(std::int64_t ms) {
    const std::int64_t seconds = floorDiv(ms, 1000);
    return {static_cast<std::time_t>(seconds), static_cast<int>(ms - seconds * 1000)};
}

LocalDateTime fromTm(const std::tm& tm, int millisecond, int offsetMinutes) {
    LocalDateTime result;
    result.year = tm.tm_year + 1900;
    result.month = tm.tm_mon + 1;
    result.day = tm.tm_mday;
    result.hour = tm.tm_hour;
    result.minute = tm.tm_min;
    // A leap second (60) is shown as 59: the log's times run 00 to 59.
    result.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
    result.millisecond = millisecond;
    result.utcOffsetMinutes = offsetMinutes;
    return result;
}

}  // namespace

LocalDateTime SystemTimeZone::local(std::int64_t utcMs) const {
    const SplitMoment moment = split(utcMs);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &moment.seconds);
#else
    localtime_r(&moment.seconds, &local);
#endif
    // The offset is what the local wall clock shows minus the moment, both read as UTC.
    const std::int64_t wall =
        daysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                      static_cast<unsigned>(local.tm_mday)) *
            86400 +
        local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    const auto offset = static_cast<int>(floorDiv(wall - moment.seconds, 60));
    return fromTm(local, moment.millisecond, offset);
}

LocalDateTime FixedOffsetTimeZone::local(std::int64_t utcMs) const {
    const SplitMoment moment = split(utcMs + std::int64_t{m_offsetMinutes} * 60'000);
    std::tm shifted{};
#ifdef _WIN32
    gmtime_s(&shifted, &moment.seconds);
#else
    gmtime_r(&moment.seconds, &shifted);
#endif
    return fromTm(shifted, moment.millisecond, m_offsetMinutes);
}

ClockReading SystemClock::read() const {
    const auto now =
        std::chrono::time_point_cast<std::chrono::milliseconds>(std::chrono::system_clock::now());
    const std::int64_t utcMs = now.time_since_epoch().count();
    return ClockReading{m_zone.local(utcMs).timeOfDay(), utcMs};
}
