#pragma once

#include <QApplication>
#include <QString>

#include <ostream>

#include "ui/fonts.h"

/// The one application object of the report tests, with the program's font substitutions. It
/// lives until the process ends, so Qt's own statics are cleaned up after it.
inline QApplication& reportTestApp() {
    static int argc = 1;
    static char name[] = "report_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* const app = [] {
        auto* created = new QApplication(argc, argv);
        installFontSubstitutions();
        return created;
    }();
    return *app;
}

/// Texts print as text in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
