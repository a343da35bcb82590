#include "ui/save_file_name.h"

#include <QStringList>

namespace {

bool hasExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0) return false;
    for (qsizetype i = dot + 1; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c == u'/' || c == u'\\' || c == u':') return false;
    }
    return true;
}

}  // namespace

QString filterSuffix(const QString& filterEntry) {
    const qsizetype open = filterEntry.lastIndexOf(u'(');
    const qsizetype close = filterEntry.lastIndexOf(u')');
    if (open < 0 || close < open) return {};
    const QStringList patterns =
        filterEntry.mid(open + 1, close - open - 1).split(u' ', Qt::SkipEmptyParts);
    if (patterns.size() != 1 || !patterns.front().startsWith(QStringLiteral("*."))) return {};
    const QString suffix = patterns.front().mid(2);
    for (const QChar c : suffix) {
        if (c == u'*' || c == u'?' || c == u'.' || c == u'[') return {};
    }
    return suffix;
}

QString savedFileName(const QString& typedName, const QString& filterEntry,
                      const QString& defaultSuffix) {
    if (defaultSuffix.isEmpty() || hasExtension(typedName)) return typedName;
    const QString offered = filterSuffix(filterEntry);
    return typedName + u'.' + (offered.isEmpty() ? defaultSuffix : offered);
}
