#include "decode/limit_comparator.h"

#include "decode/locale_number.h"

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

void replaceFirst(std::string& text, std::string_view from, std::string_view to) {
    const std::size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
}

}  // namespace

LimitComparator::LimitComparator(const LocaleInfo& locale)
    : m_locale(locale), m_systemSeparatorText(locale.systemDecimalSeparator()) {
    refreshLocale();
}

void LimitComparator::refreshLocale() {
    m_decimalSeparatorText = m_locale.userDecimalSeparator();
    m_numberFormat = m_locale.userNumberFormat();
}

void LimitComparator::adaptLimitTexts() {
    refreshLocale();
    // Without a separator the replacement would delete the user's decimal point.
    if (m_decimalSeparatorText.empty()) return;
    const std::string_view other = m_decimalSeparatorText == "." ? "," : ".";
    replaceFirst(highText, other, m_decimalSeparatorText);
    replaceFirst(lowText, other, m_decimalSeparatorText);
}

double LimitComparator::toNumber(std::string_view text) const {
    return strToFloatDef(text, kConversionFailure, m_numberFormat.decimalSeparator);
}

bool LimitComparator::parses(std::string_view text) const {
    return toNumber(text) != kConversionFailure;
}

Verdict LimitComparator::judge(const std::string& ValueText) {
    if (!parses(highText) || !parses(lowText)) return Verdict::None;
    Verdict v = Verdict::Fail;
    const double value = toNumber(ValueText);
    if (value != kConversionFailure) {
        const double high = toNumber(highText);
        const double low = toNumber(lowText);
        if (low <= value && value <= high) v = Verdict::Pass;
    }
    m_verdict = v;
    m_judgeText = v == Verdict::Pass ? "pass" : "Fail";
    return v;
}

bool LimitComparator::acceptLimitKey(char key, std::string_view editText) const {
    const std::string_view system = trimmed(m_systemSeparatorText);
    if (!system.empty() && key == system.front() && editText.find(key) != std::string_view::npos) {
        return false;
    }
    if (key == 8 || key == '\'' || key == '+' || key == '-' || key == '`') return true;
    if (key >= '0' && key <= '9') return true;
    return !m_decimalSeparatorText.empty() && key == m_decimalSeparatorText.front();
}

void LimitComparator::Timer1Timer() {
    if (!parses(highText)) highText = LastGoodHigh;
    LastGoodHigh = highText;
}

void LimitComparator::Timer4Timer() {
    if (!parses(lowText)) lowText = LastGoodLow;
    LastGoodLow = lowText;
}
