#include "decode/locale_info.h"

#include <cstdio>

std::string FixedLocale::formatTimeOfDay(const TimeOfDay& time) const {
    char buf[32];
    if (twelveHourClock) {
        const int h12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
        std::snprintf(buf, sizeof buf, "%d%s%02d%s%02d %s", h12, timeSep.c_str(), time.minute,
                      timeSep.c_str(), time.second, time.hour < 12 ? "AM" : "PM");
    } else {
        std::snprintf(buf, sizeof buf, "%d%s%02d%s%02d", time.hour, timeSep.c_str(), time.minute,
                      timeSep.c_str(), time.second);
    }
    return buf;
}
