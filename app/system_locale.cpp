#include "app/system_locale.h"

#include <QFile>
#include <QRegularExpression>
#include <QTime>

#include "app/ansi_text.h"

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

}  // namespace

SystemLocale::SystemLocale() : SystemLocale(QLocale::system(), systemDefaultLocale()) {}

SystemLocale::SystemLocale(const QLocale& user, const QLocale& system)
    : m_user(user), m_system(system) {}

std::string SystemLocale::userDecimalSeparator() const {
    return qStringToAnsi(m_user.decimalPoint());
}

std::string SystemLocale::systemDecimalSeparator() const {
    return qStringToAnsi(m_system.decimalPoint());
}

NumberFormat SystemLocale::userNumberFormat() const {
    NumberFormat format;
    format.decimalSeparator = separatorByte(m_user.decimalPoint(), '.');
    format.thousandSeparator = separatorByte(m_user.groupSeparator(), ',');
    return format;
}

QString SystemLocale::timeFormat() const {
    QString format = m_user.timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    return format.trimmed();
}

std::string SystemLocale::timeSeparator() const {
    static const QRegularExpression kSeparator(QStringLiteral("[hH]+([^hHmsAaPp]+)m"));
    const QRegularExpressionMatch match = kSeparator.match(timeFormat());
    return match.hasMatch() ? qStringToAnsi(match.captured(1)) : std::string(":");
}

std::string SystemLocale::formatTimeOfDay(const TimeOfDay& time) const {
    return qStringToAnsi(m_user.toString(QTime(time.hour, time.minute, time.second), timeFormat()));
}
