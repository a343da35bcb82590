#pragma once

#include <string>
#include <string_view>

#include "decode/locale_info.h"

/// The limit verdict of one reading.
enum class Verdict { None, Pass, Fail };

/// Judges readings against the high and low limit texts, keeps the limits' decimal separator in
/// step with the user locale, filters the keys typed into the limit edits and restores the last
/// accepted text of a limit that is not a number.
///
/// Numbers use the locale's decimal separator; a text "parses" when its conversion does not give
/// -999999 (the failure value). All calls come from one thread (the GUI thread in the program).
class LimitComparator {
public:
    /// Reads the user and system decimal separators and the number format once.
    /// locale: not owned, must outlive this.
    explicit LimitComparator(const LocaleInfo& locale);

    // Mirrors of the edits T1HI / T1LO; the window writes them on every text change and reads
    // them back after every decoded packet (adaptation may have changed them).
    std::string highText = "6000", lowText = "-6000";
    std::string LastGoodHigh = "6000", LastGoodLow = "-6000";

    /// Reads DecimalSeparatorText and NumberFormat from the user locale again.
    void refreshLocale();
    const std::string& DecimalSeparatorText() const { return m_decimalSeparatorText; }
    const NumberFormat& numberFormat() const { return m_numberFormat; }
    /// The system default locale's decimal separator as read at construction (the hidden edit
    /// `systeminfomation`); empty when the query failed.
    const std::string& systemSeparatorText() const { return m_systemSeparatorText; }

    /// First step of every decoded packet: refreshes the locale, then replaces the first
    /// occurrence of the other separator ("," when the locale uses ".", else ".") by
    /// DecimalSeparatorText in highText, then in lowText. With an empty DecimalSeparatorText
    /// (a failed locale query) nothing is replaced, so no separator is ever deleted.
    void adaptLimitTexts();

    /// Judges ValueText: Pass when low <= value <= high, Fail otherwise or when ValueText does
    /// not parse (an overload). Returns None, and keeps the previous verdict and JudgeText, when
    /// a limit text does not parse.
    Verdict judge(const std::string& ValueText);
    /// The last verdict; None before the first.
    Verdict verdict() const { return m_verdict; }
    /// "pass" after a Pass, "Fail" after a Fail, empty before the first verdict.
    const std::string& JudgeText() const { return m_judgeText; }

    /// Locale-aware conversion; -999999 when the text is not a number.
    double toNumber(std::string_view text) const;
    bool parses(std::string_view text) const;

    /// Key filter of both limit edits: false discards the key. A second system decimal separator
    /// is refused; accepted are backspace (8), apostrophe, grave accent, "+", "-", the digits
    /// and the first character of DecimalSeparatorText.
    bool acceptLimitKey(char key, std::string_view editText) const;

    /// Validation of highText (500 ms after its last change): a text that does not parse is put
    /// back to LastGoodHigh; LastGoodHigh then takes the text.
    void Timer1Timer();
    /// The same for lowText and LastGoodLow.
    void Timer4Timer();

private:
    const LocaleInfo& m_locale;
    std::string m_decimalSeparatorText;
    std::string m_systemSeparatorText;
    NumberFormat m_numberFormat;
    Verdict m_verdict = Verdict::None;
    std::string m_judgeText;
};
