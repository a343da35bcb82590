#include "app/ansi_text.h"

#include <array>

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 marks the five unassigned bytes, which map to the
// C1 controls of the same code as Windows does.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t decodeByte(unsigned char b) {
    if (b < 0x80 || b > 0x9F) return b;
    const char16_t c = kHigh[b - 0x80];
    return c != 0 ? c : b;
}

}  // namespace

QString ansiToQString(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes)
        *out++ = QChar(decodeByte(static_cast<unsigned char>(c)));
    return text;
}

std::string qStringToAnsi(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.push_back(static_cast<char>(u));
            continue;
        }
        char mapped = '?';
        for (std::size_t i = 0; i < kHigh.size(); ++i) {
            if (decodeByte(static_cast<unsigned char>(0x80 + i)) == u) {
                mapped = static_cast<char>(0x80 + i);
                break;
            }
        }
        bytes.push_back(mapped);
    }
    return bytes;
}
