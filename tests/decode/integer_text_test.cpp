#include "decode/integer_text.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

namespace {

constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMax32 = std::numeric_limits<std::int32_t>::max();

constexpr IntegerSyntax kMinusOnly{};
constexpr IntegerSyntax kBothSigns{true, true, '\0'};
constexpr IntegerSyntax kNoSign{false, false, '\0'};
constexpr IntegerSyntax kCommaGroups{true, true, ','};
constexpr IntegerSyntax kDotGroups{true, true, '.'};
constexpr IntegerSyntax kDigitAsGroup{true, true, '5'};

struct IntegerCase {
    const char* name;
    const char* text;
    std::int64_t minimum;
    std::int64_t maximum;
    IntegerSyntax syntax;
    std::optional<std::int64_t> value;
};
void PrintTo(const IntegerCase& c, std::ostream* os) {
    *os << c.name;
}

class IntegerText : public testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerText, ConvertsExactlyTheAcceptedForms) {
    const IntegerCase& c = GetParam();
    EXPECT_EQ(parseInteger(c.text, c.minimum, c.maximum, c.syntax), c.value) << c.text;
}

const IntegerCase kCases[] = {
    {"Zero", "0", kMin32, kMax32, kMinusOnly, 0},
    {"MinusZero", "-0", kMin32, kMax32, kMinusOnly, 0},
    {"LeadingZeros", "0000000000000000000000007", kMin32, kMax32, kMinusOnly, 7},
    {"Negative", "-42", kMin32, kMax32, kMinusOnly, -42},
    {"PlusRefusedByDefault", "+42", kMin32, kMax32, kMinusOnly, std::nullopt},
    {"PlusWhenAllowed", "+42", kMin32, kMax32, kBothSigns, 42},
    {"MinusRefusedWithoutSigns", "-1", 0, 255, kNoSign, std::nullopt},
    {"PlusRefusedWithoutSigns", "+1", 0, 255, kNoSign, std::nullopt},
    {"TwoSigns", "+-5", kMin32, kMax32, kBothSigns, std::nullopt},
    {"SignAlone", "-", kMin32, kMax32, kMinusOnly, std::nullopt},
    {"Empty", "", kMin32, kMax32, kMinusOnly, std::nullopt},
    {"LeadingBlank", " 1", kMin32, kMax32, kMinusOnly, std::nullopt},
    {"TrailingBlank", "1 ", kMin32, kMax32, kMinusOnly, std::nullopt},
    {"Fraction", "1.5", kMin32, kMax32, kMinusOnly, std::nullopt},
    {"Exponent", "1e3", kMin32, kMax32, kMinusOnly, std::nullopt},
    {"Hex", "0x10", kMin32, kMax32, kMinusOnly, std::nullopt},
    {"Word", "NULL", kMin32, kMax32, kMinusOnly, std::nullopt},
    {"Int32Max", "2147483647", kMin32, kMax32, kMinusOnly, kMax32},
    {"Int32MaxPlusOne", "2147483648", kMin32, kMax32, kMinusOnly, std::nullopt},
    {"Int32Min", "-2147483648", kMin32, kMax32, kMinusOnly, kMin32},
    {"Int32MinMinusOne", "-2147483649", kMin32, kMax32, kMinusOnly, std::nullopt},
    {"ByteMax", "255", 0, 255, kNoSign, 255},
    {"ByteMaxPlusOne", "256", 0, 255, kNoSign, std::nullopt},
    {"BelowMinimum", "-1", 0, kMax64, kMinusOnly, std::nullopt},
    {"Int64Max", "9223372036854775807", kMin64, kMax64, kMinusOnly, kMax64},
    {"Int64MaxPlusOne", "9223372036854775808", kMin64, kMax64, kMinusOnly, std::nullopt},
    {"Int64Min", "-9223372036854775808", kMin64, kMax64, kMinusOnly, kMin64},
    {"Int64MinMinusOne", "-9223372036854775809", kMin64, kMax64, kMinusOnly, std::nullopt},
    {"FarBeyondInt64", "99999999999999999999999999", kMin64, kMax64, kMinusOnly, std::nullopt},
    {"Grouped", "12,345,678", kMin32, kMax32, kCommaGroups, 12345678},
    {"GroupedNegative", "-1,234", kMin32, kMax32, kCommaGroups, -1234},
    {"UngroupedWithGroupsAllowed", "1234567", kMin32, kMax32, kCommaGroups, 1234567},
    {"DotGroups", "1.234", kMin32, kMax32, kDotGroups, 1234},
    {"CommaWithoutGroups", "1,234", kMin32, kMax32, kBothSigns, std::nullopt},
    {"DotWhenCommaGroups", "1.234", kMin32, kMax32, kCommaGroups, std::nullopt},
    {"ShortLaterGroup", "12,34", kMin32, kMax32, kCommaGroups, std::nullopt},
    {"LongFirstGroup", "1234,567", kMin32, kMax32, kCommaGroups, std::nullopt},
    {"LeadingSeparator", ",123", kMin32, kMax32, kCommaGroups, std::nullopt},
    {"TrailingSeparator", "1,234,", kMin32, kMax32, kCommaGroups, std::nullopt},
    {"DoubleSeparator", "1,,234", kMin32, kMax32, kCommaGroups, std::nullopt},
    {"GroupedBeyondInt32", "2,147,483,648", kMin32, kMax32, kCommaGroups, std::nullopt},
    {"DigitIsNoSeparator", "15234", kMin32, kMax32, kDigitAsGroup, 15234},
};

INSTANTIATE_TEST_SUITE_P(Cases, IntegerText, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<IntegerCase>& p) { return p.param.name; });

TEST(IntegerText, Int32FormKeepsTheSyntax) {
    EXPECT_EQ(parseInt32("-2147483648"), std::int32_t{-2147483647 - 1});
    EXPECT_EQ(parseInt32("2147483648"), std::nullopt);
    EXPECT_EQ(parseInt32("+7"), std::nullopt);
    EXPECT_EQ(parseInt32("+7", kBothSigns), 7);
    EXPECT_EQ(parseInt32("7,000", kCommaGroups), 7000);
}

}  // namespace
