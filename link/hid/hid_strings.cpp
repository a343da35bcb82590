#include "link/hid/hid_strings.h"

#include <algorithm>

namespace {

constexpr char16_t kUnwritten = 0xFFFF;

}  // namespace

QString textUpToZero(const HidStringBuffer& buffer) {
    const auto end = std::find(buffer.begin(), buffer.end(), u'\0');
    return QString(reinterpret_cast<const QChar*>(buffer.data()),
                   static_cast<qsizetype>(end - buffer.begin()));
}

std::size_t languageTableLength(const HidStringBuffer& languageTable) {
    for (std::size_t i = languageTable.size(); i-- > 0;) {
        if (languageTable[i] == kUnwritten) continue;
        return languageTable[i] == 0 ? i : i + 1;
    }
    return 0;
}

QString serialStringRule(const HidStringBuffer& serial, const HidStringBuffer& languageTable) {
    const std::size_t n = languageTableLength(languageTable);
    if (n == 0) return {};
    if (std::equal(serial.begin(), serial.begin() + static_cast<std::ptrdiff_t>(n),
                   languageTable.begin())) {
        return {};
    }
    return textUpToZero(serial);
}

void fillFromSystemText(std::string_view utf8, HidStringBuffer& buffer) {
    if (!utf8.empty() && utf8.back() == '\n') utf8.remove_suffix(1);
    const auto zero = utf8.find('\0');
    if (zero != std::string_view::npos) utf8 = utf8.substr(0, zero);
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(text.size()), buffer.size());
    if (n < static_cast<std::size_t>(text.size()) && n > 0 &&
        text.at(static_cast<qsizetype>(n - 1)).isHighSurrogate()) {
        --n;
    }
    std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), n, buffer.begin());
}
