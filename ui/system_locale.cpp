#include "ui/system_locale.h"

#include <QFile>
#include <QRegularExpression>
#include <QTime>

#include "ui/ansi_text.h"

namespace {

QLocale systemDefaultLocale() {
    for (const char* path : {"/etc/default/locale", "/etc/locale.conf"}) {
        QFile file(QString::fromLatin1(path));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) continue;
        while (!file.atEnd()) {
            QString line = QString::fromLocal8Bit(file.readLine()).trimmed();
            if (!line.startsWith(QLatin1String("LANG="))) continue;
            line = line.mid(5).remove(u'"').remove(u'\'');
            if (!line.isEmpty()) return QLocale(line.section(u'.', 0, 0));
        }
    }
    return QLocale::system();
}

// One 8-bit character for a separator; space-like separators (a narrow no-break space in some
// locales) become the code page's no-break space.
char separatorByte(const QString& separator, char fallback) {
    if (separator.isEmpty()) return fallback;
    if (separator.front().isSpace()) return '\xA0';
    const std::string bytes = qStringToAnsi(separator.left(1));
    return bytes.empty() || bytes == "?" ? fallback : bytes.front();
}

QString longTimeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    return format.trimmed();
}

std::string timeSeparatorOf(const QString& timeFormat) {
    static const QRegularExpression kSeparator(QStringLiteral("[hH]+([^hHmsAaPp]+)m"));
    const QRegularExpressionMatch match = kSeparator.match(timeFormat);
    return match.hasMatch() ? qStringToAnsi(match.captured(1)) : std::string(":");
}

}  // namespace

SystemLocale::SystemLocale() : SystemLocale(QLocale::system(), systemDefaultLocale()) {}

SystemLocale::SystemLocale(const QLocale& user, const QLocale& system)
    : m_user(user),
      m_userSeparator(qStringToAnsi(user.decimalPoint())),
      m_systemSeparator(qStringToAnsi(system.decimalPoint())),
      m_timeFormat(longTimeFormat(user)),
      m_timeSeparator(timeSeparatorOf(m_timeFormat)) {
    m_numberFormat.decimalSeparator = separatorByte(user.decimalPoint(), '.');
    m_numberFormat.thousandSeparator = separatorByte(user.groupSeparator(), ',');
}

std::string SystemLocale::userDecimalSeparator() const {
    return m_userSeparator;
}

std::string SystemLocale::systemDecimalSeparator() const {
    return m_systemSeparator;
}

NumberFormat SystemLocale::userNumberFormat() const {
    return m_numberFormat;
}

std::string SystemLocale::timeSeparator() const {
    return m_timeSeparator;
}

std::string SystemLocale::formatTimeOfDay(const TimeOfDay& time) const {
    return qStringToAnsi(m_user.toString(QTime(time.hour, time.minute, time.second), m_timeFormat));
}
