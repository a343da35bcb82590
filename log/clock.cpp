#include "log/clock.h"

#include <ctime>

TimeOfDay SystemClock::timeOfDay() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    // A leap second (60) is shown as 59: the log's times run 00 to 59.
    return TimeOfDay{local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec};
}
