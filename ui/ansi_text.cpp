#include "ui/ansi_text.h"

#include "files/code_page.h"

QString ansiToQString(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes)
        *out++ = QChar(cp1252ToCodePoint(static_cast<unsigned char>(c)));
    return text;
}

std::string qStringToAnsi(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar ch : text)
        bytes.push_back(codePointToCp1252(ch.unicode()));
    return bytes;
}
