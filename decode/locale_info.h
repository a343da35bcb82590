#pragma once

#include <string>

/// Separators of the user's number format, used for every text-to-number conversion.
struct NumberFormat {
    char decimalSeparator = '.';
    char thousandSeparator = ',';
};

struct TimeOfDay {
    int hour = 0;    ///< 0 to 23
    int minute = 0;  ///< 0 to 59
    int second = 0;  ///< 0 to 59
};

/// The platform's locale, as the program asks it. Tests pass fixed answers.
class LocaleInfo {
public:
    virtual ~LocaleInfo() = default;
    /// The user default locale's decimal separator (normally "." or ",").
    virtual std::string userDecimalSeparator() const = 0;
    /// The system default locale's decimal separator; empty when the query fails.
    virtual std::string systemDecimalSeparator() const = 0;
    /// The user default locale's number format.
    virtual NumberFormat userNumberFormat() const = 0;
    /// The user locale's time separator (":" in most locales).
    virtual std::string timeSeparator() const = 0;
    /// A time of day in the user's own time format, e.g. "15:15:30" or "3:15:30 PM".
    virtual std::string formatTimeOfDay(const TimeOfDay& time) const = 0;
};

/// A locale with fixed answers: the default is "." with a 24-hour "H:mm:ss" clock.
class FixedLocale : public LocaleInfo {
public:
    std::string userSeparator = ".";
    std::string systemSeparator = ".";
    NumberFormat numberFormat;
    std::string timeSep = ":";
    bool twelveHourClock = false;

    std::string userDecimalSeparator() const override { return userSeparator; }
    std::string systemDecimalSeparator() const override { return systemSeparator; }
    NumberFormat userNumberFormat() const override { return numberFormat; }
    std::string timeSeparator() const override { return timeSep; }
    std::string formatTimeOfDay(const TimeOfDay& time) const override;
};
