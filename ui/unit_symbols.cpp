#include "ui/unit_symbols.h"

#include "ui/ansi_text.h"

QString unitSymbolText(std::string_view unit) {
    QString shown;
    shown.reserve(static_cast<qsizetype>(unit.size()) + 1);
    for (const char c : unit) {
        switch (c) {
            case '*':
                shown += QChar(0x03A9);  // Ω
                break;
            case '#':
                shown += QStringLiteral("\u00B0C");
                break;
            case '?':
                shown += QStringLiteral("\u00B0F");
                break;
            default:
                shown += ansiToQString(std::string_view(&c, 1));
        }
    }
    return shown;
}
