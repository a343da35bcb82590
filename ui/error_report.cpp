#include "ui/error_report.h"

QString punctuateErrorText(const QString& message) {
    if (message.isEmpty() || message.back().unicode() <= u'.') return message;
    return message + u'.';
}
