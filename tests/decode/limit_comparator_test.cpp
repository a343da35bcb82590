#include "decode/limit_comparator.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "decode/locale_number.h"

namespace {

struct NumberCase {
    const char* name;
    std::string text;
    char separator;
    std::optional<double> value;
};

void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << c.name;
}

class TextToFloat : public testing::TestWithParam<NumberCase> {};

TEST_P(TextToFloat, AcceptsOnlyLocaleNumbers) {
    const NumberCase& c = GetParam();
    EXPECT_EQ(textToFloat(c.text, c.separator), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextToFloat,
    testing::Values(
        NumberCase{"Integer", "6000", '.', 6000.0},
        NumberCase{"SignedWithBlanks", " \t-12.5  ", '.', -12.5},
        NumberCase{"PlusSign", "+3", '.', 3.0}, NumberCase{"Exponent", "-2.5E3", '.', -2500.0},
        NumberCase{"LowerExponentSigned", "15e-1", '.', 1.5},
        NumberCase{"LeadingSeparator", ".5", '.', 0.5},
        NumberCase{"TrailingSeparator", "5.", '.', 5.0}, NumberCase{"CommaLocale", "1,5", ',', 1.5},
        NumberCase{"PointInCommaLocale", "1.5", ',', std::nullopt},
        NumberCase{"CommaInPointLocale", "1,5", '.', std::nullopt},
        NumberCase{"TwoSeparators", "1.2.3", '.', std::nullopt},
        NumberCase{"SignOnly", "-", '.', std::nullopt},
        NumberCase{"SeparatorOnly", ".", '.', std::nullopt},
        NumberCase{"Empty", "", '.', std::nullopt},
        NumberCase{"ExponentWithoutDigits", "1e", '.', std::nullopt},
        NumberCase{"Overload", "0.L", '.', std::nullopt},
        NumberCase{"Hex", "0x10", '.', std::nullopt},
        NumberCase{"Infinity", "inf", '.', std::nullopt},
        NumberCase{"OutOfRange", "1e999", '.', std::nullopt},
        NumberCase{"InnerBlank", "1 5", '.', std::nullopt},
        NumberCase{"Apostrophe", "1'5", '.', std::nullopt},
        NumberCase{"LongerThanTheStackBuffer", std::string(300, '0') + "42", '.', 42.0}),
    [](const testing::TestParamInfo<NumberCase>& row) { return std::string(row.param.name); });

class Comparator : public testing::Test {
protected:
    void useSeparator(const std::string& s) {
        locale.userSeparator = s;
        locale.numberFormat.decimalSeparator = s.empty() ? '.' : s[0];
        limits.refreshLocale();
    }
    FixedLocale locale;
    LimitComparator limits{locale};
};

struct JudgeCase {
    const char* name;
    const char* high;
    const char* low;
    const char* value;
    Verdict verdict;
};

void PrintTo(const JudgeCase& c, std::ostream* os) {
    *os << c.name;
}

class Judge : public testing::TestWithParam<JudgeCase> {};

TEST_P(Judge, BothBoundsBelongToTheBand) {
    const JudgeCase& c = GetParam();
    FixedLocale locale;
    LimitComparator limits(locale);
    limits.highText = c.high;
    limits.lowText = c.low;
    EXPECT_EQ(limits.judge(c.value), c.verdict);
    const char* text = c.verdict == Verdict::Pass   ? "pass"
                       : c.verdict == Verdict::Fail ? "Fail"
                                                    : "";
    EXPECT_EQ(limits.JudgeText(), text);
    EXPECT_EQ(limits.verdict(), c.verdict);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, Judge,
    testing::Values(JudgeCase{"InsideDefaultLimits", "6000", "-6000", "05.99", Verdict::Pass},
                    JudgeCase{"AboveHigh", "5", "-5", "05.99", Verdict::Fail},
                    JudgeCase{"BelowLow", "5", "-5", "-05.99", Verdict::Fail},
                    JudgeCase{"EqualToHigh", "5.99", "-5", "05.99", Verdict::Pass},
                    JudgeCase{"EqualToLow", "5", "-5.99", "-05.99", Verdict::Pass},
                    JudgeCase{"LowAboveHigh", "1", "2", "1.5", Verdict::Fail},
                    JudgeCase{"OverloadFails", "6000", "-6000", "0.L", Verdict::Fail},
                    JudgeCase{"HighNotANumber", "-", "-6000", "05.99", Verdict::None},
                    JudgeCase{"LowIsTheFailureValue", "6000", "-999999", "05.99", Verdict::None}),
    [](const testing::TestParamInfo<JudgeCase>& row) { return std::string(row.param.name); });

TEST_F(Comparator, UnparsableLimitKeepsThePreviousVerdict) {
    ASSERT_EQ(limits.judge("05.99"), Verdict::Pass);
    limits.highText = "1.2.";
    EXPECT_EQ(limits.judge("9999"), Verdict::None);
    EXPECT_EQ(limits.verdict(), Verdict::Pass);
    EXPECT_EQ(limits.JudgeText(), "pass");
}

TEST_F(Comparator, TheFailureValueNeverParses) {
    EXPECT_FALSE(limits.parses("-999999"));
    EXPECT_FALSE(limits.parses("-999999.0"));
    EXPECT_FALSE(limits.parses("-9.99999E5"));
    EXPECT_EQ(limits.toNumber("abc"), -999999.0);
    EXPECT_TRUE(limits.parses("-999998"));
}

struct AdaptCase {
    const char* name;
    const char* separator;
    const char* high;
    const char* low;
    const char* adaptedHigh;
    const char* adaptedLow;
};

void PrintTo(const AdaptCase& c, std::ostream* os) {
    *os << c.name;
}

class AdaptLimits : public testing::TestWithParam<AdaptCase> {};

TEST_P(AdaptLimits, ReplacesTheFirstOtherSeparator) {
    const AdaptCase& c = GetParam();
    FixedLocale locale;
    LimitComparator limits(locale);
    locale.userSeparator = c.separator;
    locale.numberFormat.decimalSeparator = c.separator[0] == '\0' ? '.' : c.separator[0];
    limits.highText = c.high;
    limits.lowText = c.low;
    limits.adaptLimitTexts();
    EXPECT_EQ(limits.DecimalSeparatorText(), c.separator);
    EXPECT_EQ(limits.highText, c.adaptedHigh);
    EXPECT_EQ(limits.lowText, c.adaptedLow);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, AdaptLimits,
    testing::Values(AdaptCase{"PointToComma", ",", "1.5", "-2.5", "1,5", "-2,5"},
                    AdaptCase{"CommaToPoint", ".", "1,5", "-6000", "1.5", "-6000"},
                    AdaptCase{"OnlyTheFirstOccurrence", ",", "1.5.5", "-1", "1,5.5", "-1"},
                    AdaptCase{"OtherSeparatorMeansPoint", "\xB7", "1.5", "1,5",
                              "1\xB7"
                              "5",
                              "1,5"},
                    // A failed locale query must not delete the user's decimal point.
                    AdaptCase{"EmptySeparatorChangesNothing", "", "1.5", "-2,5", "1.5", "-2,5"}),
    [](const testing::TestParamInfo<AdaptCase>& row) { return std::string(row.param.name); });

TEST_F(Comparator, AdaptedLimitParsesInCommaLocale) {
    limits.highText = "1.5";
    useSeparator(",");
    EXPECT_FALSE(limits.parses(limits.highText));
    limits.adaptLimitTexts();
    EXPECT_EQ(limits.toNumber(limits.highText), 1.5);
}

struct KeyCase {
    const char* name;
    const char* userSeparator;
    const char* systemSeparator;
    char key;
    const char* editText;
    bool accepted;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.name;
}

class KeyFilter : public testing::TestWithParam<KeyCase> {};

TEST_P(KeyFilter, AcceptsOnlyNumberKeys) {
    const KeyCase& c = GetParam();
    FixedLocale locale;
    locale.userSeparator = c.userSeparator;
    locale.systemSeparator = c.systemSeparator;
    const LimitComparator limits(locale);
    EXPECT_EQ(limits.acceptLimitKey(c.key, c.editText), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyFilter,
    testing::Values(KeyCase{"SecondSystemSeparator", ".", ".", '.', "1.5", false},
                    KeyCase{"FirstSeparator", ".", ".", '.', "15", true},
                    KeyCase{"Letter", ".", ".", 'x', "1", false},
                    KeyCase{"Plus", ".", ".", '+', "1", true},
                    KeyCase{"Minus", ".", ".", '-', "", true},
                    KeyCase{"Digit", ".", ".", '7', "1.5", true},
                    KeyCase{"Backspace", ".", ".", '\b', "1.5", true},
                    KeyCase{"Apostrophe", ".", ".", '\'', "1", true},
                    KeyCase{"GraveAccent", ".", ".", '`', "1", true},
                    KeyCase{"CommaInPointLocale", ".", ".", ',', "1", false},
                    KeyCase{"CommaInCommaLocale", ",", ",", ',', "1", true},
                    KeyCase{"SecondCommaInCommaLocale", ",", " , ", ',', "1,5", false},
                    KeyCase{"EmptySystemSeparatorSkipsTheTest", ".", "", '.', "1.5", true},
                    KeyCase{"SystemPointUserComma", ",", ".", '.', "1", false}),
    [](const testing::TestParamInfo<KeyCase>& row) { return std::string(row.param.name); });

struct ValidateCase {
    const char* name;
    const char* typed;
    const char* high;  // text and last good text after validation
    const char* low;
};

void PrintTo(const ValidateCase& c, std::ostream* os) {
    *os << c.name;
}

class Validation : public testing::TestWithParam<ValidateCase> {};

TEST_P(Validation, PutsBackTheLastAcceptedText) {
    const ValidateCase& c = GetParam();
    FixedLocale locale;
    LimitComparator limits(locale);
    limits.highText = c.typed;
    limits.lowText = c.typed;
    limits.Timer1Timer();
    limits.Timer4Timer();
    EXPECT_EQ(limits.highText, c.high);
    EXPECT_EQ(limits.LastGoodHigh, c.high);
    EXPECT_EQ(limits.lowText, c.low);
    EXPECT_EQ(limits.LastGoodLow, c.low);
}

INSTANTIATE_TEST_SUITE_P(Texts, Validation,
                         testing::Values(ValidateCase{"Number", "2.5", "2.5", "2.5"},
                                         ValidateCase{"LoneMinus", "-", "6000", "-6000"},
                                         ValidateCase{"FailureValue", "-999999", "6000", "-6000"},
                                         ValidateCase{"Empty", "", "6000", "-6000"}),
                         [](const testing::TestParamInfo<ValidateCase>& row) {
                             return std::string(row.param.name);
                         });

}  // namespace
