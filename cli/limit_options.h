#pragma once

#include <optional>
#include <string>

#include "decode/limit_comparator.h"
#include "decode/locale_info.h"

/// Limits and number format of a command-line decode or log.
struct LimitOptions {
    std::string high = "6000";
    std::string low = "-6000";
    char decimalSeparator = '.';
};

/// The locale the tool works in: the chosen decimal separator, the other one of "." and ","
/// as thousands separator, and the fixed locale's time format.
FixedLocale localeFor(const LimitOptions& options);

/// Puts the limits into the comparator as the limit edits would hold them once the locale
/// adapted them ("1.5" becomes "1,5" with ","), accepted as the last good texts. Returns why
/// they cannot be used (a limit that is not a number in the chosen format), or std::nullopt.
std::optional<std::string> applyLimits(LimitComparator& limits, const LimitOptions& options);
