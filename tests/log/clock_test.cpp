#include "log/clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <tuple>

namespace {

struct ZoneCase {
    const char* name;
    int offsetMinutes;
    std::int64_t utcMs;
    LocalDateTime expected;
};

void PrintTo(const ZoneCase& c, std::ostream* os) {
    *os << c.name;
}

class FixedZone : public testing::TestWithParam<ZoneCase> {};

TEST_P(FixedZone, GivesTheLocalDateAndTime) {
    const LocalDateTime got = FixedOffsetTimeZone(GetParam().offsetMinutes).local(GetParam().utcMs);
    const LocalDateTime& want = GetParam().expected;
    EXPECT_EQ(std::tie(got.year, got.month, got.day, got.hour, got.minute, got.second,
                       got.millisecond, got.utcOffsetMinutes),
              std::tie(want.year, want.month, want.day, want.hour, want.minute, want.second,
                       want.millisecond, want.utcOffsetMinutes));
}

// 1'796'947'199'900 is 2026-12-10 23:59:59.900 UTC.
const ZoneCase kZoneCases[] = {
    {"Utc", 0, 1'796'947'199'900, {2026, 12, 10, 23, 59, 59, 900, 0}},
    {"EastCrossesMidnight", 60, 1'796'947'199'900, {2026, 12, 11, 0, 59, 59, 900, 60}},
    {"WestStaysOnTheDay", -330, 1'796'947'199'900, {2026, 12, 10, 18, 29, 59, 900, -330}},
    {"IntoANewYear", 0, 1'798'761'600'000, {2027, 1, 1, 0, 0, 0, 0, 0}},
    {"LeapDay", 0, 1'709'208'000'123, {2024, 2, 29, 12, 0, 0, 123, 0}},
    {"BeforeTheEpochKeepsPositiveMilliseconds", 0, -1, {1969, 12, 31, 23, 59, 59, 999, 0}},
};
INSTANTIATE_TEST_SUITE_P(Clock, FixedZone, testing::ValuesIn(kZoneCases),
                         [](const testing::TestParamInfo<ZoneCase>& c) {
                             return std::string(c.param.name);
                         });

// Sets TZ for one test and puts back what was there, so no other test sees the zone.
class ScopedZone {
public:
    explicit ScopedZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) m_old = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedZone() {
        if (m_old) {
            ::setenv("TZ", m_old->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
    ScopedZone(const ScopedZone&) = delete;
    ScopedZone& operator=(const ScopedZone&) = delete;

private:
    std::optional<std::string> m_old;
};

// The offset follows daylight saving, and a moment's local time is what the zone shows then.
TEST(SystemTimeZone, FollowsTheZoneAndItsDaylightSaving) {
    const ScopedZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const SystemTimeZone system;
    const LocalDateTime winter = system.local(1'796'947'199'900);  // 2026-12-10 23:59:59.900 UTC
    EXPECT_EQ(winter.utcOffsetMinutes, 60);
    EXPECT_EQ(winter.day, 11);
    EXPECT_EQ(winter.hour, 0);
    EXPECT_EQ(winter.millisecond, 900);
    const LocalDateTime summer = system.local(1'782'907'200'000);  // 2026-07-01 12:00 UTC
    EXPECT_EQ(summer.utcOffsetMinutes, 120);
    EXPECT_EQ(summer.hour, 14);
}

TEST(SystemClock, ReadsTheMomentAndItsLocalTimeTogether) {
    const ScopedZone zone("UTC0");
    const SystemClock clock;
    const auto before = static_cast<std::int64_t>(std::time(nullptr)) * 1000;
    const ClockReading now = clock.read();
    EXPECT_GE(now.utcMs, before);
    const std::int64_t secondOfDay = (now.utcMs / 1000) % 86400;
    EXPECT_EQ(now.local.hour * 3600 + now.local.minute * 60 + now.local.second, secondOfDay);
}

}  // namespace
