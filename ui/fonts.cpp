#include "ui/fonts.h"

#include <QStringList>

void installFontSubstitutions() {
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Calibri"),
                               {QStringLiteral("Carlito"), QStringLiteral("DejaVu Sans")});
    // The meter's LCD font is not ours to ship; where it is not installed the report prints
    // its texts in the window's face, with the unit symbols spelled out (ui/unit_symbols.h).
    QFont::insertSubstitutions(QStringLiteral("QMEX-A2"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
}

QFont designFont(const char* family, int pixelSize, bool bold) {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}
