#pragma once

#include <QLocale>

#include "decode/locale_info.h"

/// The locale of the user's session (LC_NUMERIC, LC_TIME, LANG as Qt reads them) and the
/// system's default locale (LANG of /etc/default/locale or /etc/locale.conf, else the user's).
/// Both are taken when the object is made; the answers derived from them are worked out then
/// too, because the log asks for the time separator with every row it makes.
class SystemLocale : public LocaleInfo {
public:
    SystemLocale();
    /// For tests: explicit user and system locales.
    SystemLocale(const QLocale& user, const QLocale& system);

    std::string userDecimalSeparator() const override;
    std::string systemDecimalSeparator() const override;
    NumberFormat userNumberFormat() const override;
    std::string timeSeparator() const override;
    std::string formatTimeOfDay(const TimeOfDay& time) const override;

    /// The user's long time format without its time-zone part, e.g. "HH:mm:ss" or "h:mm:ss AP".
    const QString& timeFormat() const { return m_timeFormat; }

private:
    QLocale m_user;
    std::string m_userSeparator;
    std::string m_systemSeparator;
    NumberFormat m_numberFormat;
    QString m_timeFormat;
    std::string m_timeSeparator;
};
