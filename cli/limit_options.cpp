#include "cli/limit_options.h"

FixedLocale localeFor(const LimitOptions& options) {
    FixedLocale locale;
    locale.userSeparator = std::string(1, options.decimalSeparator);
    locale.systemSeparator = locale.userSeparator;
    locale.numberFormat.decimalSeparator = options.decimalSeparator;
    locale.numberFormat.thousandSeparator = options.decimalSeparator == ',' ? '.' : ',';
    return locale;
}

std::optional<std::string> applyLimits(LimitComparator& limits, const LimitOptions& options) {
    limits.highText = options.high;
    limits.lowText = options.low;
    limits.adaptLimitTexts();
    limits.LastGoodHigh = limits.highText;
    limits.LastGoodLow = limits.lowText;
    if (!limits.parses(limits.highText)) {
        return "the high limit \"" + limits.highText + "\" is not a number";
    }
    if (!limits.parses(limits.lowText)) {
        return "the low limit \"" + limits.lowText + "\" is not a number";
    }
    return std::nullopt;
}
