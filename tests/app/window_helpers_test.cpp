#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "app/grid/log_grid_columns.h"
#include "app/shell/platform_info.h"
#include "decode/limit_comparator.h"
#include "ui/ansi_text.h"
#include "ui/error_report.h"
#include "ui/key_filter.h"
#include "ui/save_file_name.h"

namespace {

struct PunctuationCase {
    const char* name;
    const char* message;
    const char* shown;
};

void PrintTo(const PunctuationCase& c, std::ostream* os) {
    *os << c.name;
}

class ErrorReportText : public testing::TestWithParam<PunctuationCase> {};

TEST_P(ErrorReportText, AppendsFullStopOnlyAfterCodesAboveIt) {
    EXPECT_EQ(punctuateErrorText(QString::fromUtf8(GetParam().message)),
              QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Rule, ErrorReportText,
    testing::Values(PunctuationCase{"Letter", "Cannot create file", "Cannot create file."},
                    PunctuationCase{"Digit", "Error 5", "Error 5."},
                    PunctuationCase{"Exclamation", "Failed!", "Failed!"},
                    PunctuationCase{"FullStop", "Done.", "Done."},
                    PunctuationCase{"Slash", "in /tmp/", "in /tmp/."},
                    PunctuationCase{"Quote", "file \"a\"", "file \"a\""},
                    PunctuationCase{"Hyphen", "range -", "range -"},
                    PunctuationCase{"NonAscii", "Gerät", "Gerät."},
                    PunctuationCase{"Empty", "", ""}),
    [](const testing::TestParamInfo<PunctuationCase>& p) { return p.param.name; });

TEST(PlatformInfo, SixtyFourBitMachinesGiveX64) {
    struct Row {
        const char* machine;
        bool is64;
    };
    for (const Row& row :
         {Row{"x86_64", true}, Row{"aarch64", true}, Row{"arm64", true}, Row{"ppc64le", true},
          Row{"riscv64", true}, Row{"s390x", true}, Row{"i686", false}, Row{"i386", false},
          Row{"armv7l", false}, Row{"", false}}) {
        EXPECT_EQ(is64BitMachineName(row.machine), row.is64) << row.machine;
    }
    EXPECT_STREQ(platformCaptionSuffix(true), "(x64)");
    EXPECT_STREQ(platformCaptionSuffix(false), "(x86)");
}

TEST(AnsiText, CodePageBytesSurviveTheWidgetsRoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const QString shown = ansiToQString(all);
    EXPECT_EQ(shown.at(0x80 - 1), QChar(0x20AC));  // euro sign
    EXPECT_EQ(shown.at(0xB5 - 1), QChar(0xB5));    // micro sign
    EXPECT_EQ(qStringToAnsi(shown), all);
    EXPECT_EQ(qStringToAnsi(QStringLiteral("Ω")), "?");
}

struct SaveNameCase {
    const char* name;
    const char* typed;
    const char* filter;
    const char* defaultSuffix;
    const char* saved;
};

void PrintTo(const SaveNameCase& c, std::ostream* os) {
    *os << c.name;
}

class SaveName : public testing::TestWithParam<SaveNameCase> {};

TEST_P(SaveName, ATypedExtensionIsKeptOtherwiseTheChosenEntryGivesIt) {
    const SaveNameCase& c = GetParam();
    EXPECT_EQ(savedFileName(QString::fromUtf8(c.typed), QString::fromUtf8(c.filter),
                            QString::fromUtf8(c.defaultSuffix))
                  .toStdString(),
              c.saved);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, SaveName,
    testing::Values(
        SaveNameCase{"TxtEntry", "/d/log", "Txt File(*.txt)", "xls", "/d/log.txt"},
        SaveNameCase{"XmlEntry", "/d/log", "XML(*.xml)", "xls", "/d/log.xml"},
        SaveNameCase{"ExcelEntry", "/d/log", "Excel File(*.xls)", "xls", "/d/log.xls"},
        SaveNameCase{"TypedExtensionKept", "/d/log.dat", "Txt File(*.txt)", "xls", "/d/log.dat"},
        SaveNameCase{"OtherFormatsExtensionKept", "/d/log.xml", "Txt File(*.txt)", "xls",
                     "/d/log.xml"},
        SaveNameCase{"DotInFolderOnly", "/d.v1/log", "Txt File(*.txt)", "xls", "/d.v1/log.txt"},
        SaveNameCase{"BackslashAfterDot", "a.b\\log", "Txt File(*.txt)", "xls", "a.b\\log.txt"},
        SaveNameCase{"EntryWithoutOneExtension", "/d/log", "All files (*)", "xls", "/d/log.xls"},
        SaveNameCase{"EntryWithTwoExtensions", "/d/log", "Text (*.txt *.csv)", "xls", "/d/log.xls"},
        SaveNameCase{"NoDefaultExtension", "/d/log", "Txt File(*.txt)", "", "/d/log"},
        SaveNameCase{"NonAsciiName", "/d/Messung", "Txt File(*.txt)", "xls", "/d/Messung.txt"}),
    [](const testing::TestParamInfo<SaveNameCase>& p) { return p.param.name; });

TEST(SaveName, FilterSuffixIsTheEntrysOnePattern) {
    EXPECT_EQ(filterSuffix(QStringLiteral("Excel File(*.xls)")), "xls");
    EXPECT_EQ(filterSuffix(QStringLiteral("XML (*.xml)")), "xml");
    EXPECT_EQ(filterSuffix(QStringLiteral("Any (*.*)")), "");
    EXPECT_EQ(filterSuffix(QStringLiteral("Broken (*.txt")), "");
    EXPECT_EQ(filterSuffix(QStringLiteral("*.txt")), "");
}

struct ShareCase {
    const char* name;
    std::vector<int> needed, weights;
    int available;
    std::vector<int> widths;
};

void PrintTo(const ShareCase& c, std::ostream* os) {
    *os << c.name;
}

class ColumnShare : public testing::TestWithParam<ShareCase> {};

TEST_P(ColumnShare, EveryColumnGetsItsNeedAndTheRestByWeight) {
    const ShareCase& c = GetParam();
    EXPECT_EQ(shareColumnWidths(c.needed, c.weights, c.available), c.widths);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, ColumnShare,
    testing::Values(
        ShareCase{"RestByWeight", {10, 20}, {1, 3}, 46, {14, 32}},
        ShareCase{"RemaindersToLargestFractionsThenEarlier", {0, 0, 0}, {1, 1, 1}, 10, {4, 3, 3}},
        ShareCase{"ExactFit", {10, 20}, {1, 1}, 30, {10, 20}},
        ShareCase{"NeedsBeyondTheWidthKeepTheirNeed", {30, 30}, {1, 1}, 50, {30, 30}},
        ShareCase{"ZeroWeightsShareEqually", {0, 0}, {0, 0}, 5, {3, 2}},
        ShareCase{"TheGridsColumns",
                  {57, 51, 59, 38, 29, 37},
                  {39, 53, 42, 51, 36, 38},
                  287,
                  {60, 54, 62, 41, 31, 39}}),
    [](const testing::TestParamInfo<ShareCase>& p) { return p.param.name; });

// An inserted text passes when typing it would: the limits' rule with "." as the user's and
// the system's separator.
TEST(InsertedText, PassesTheKeyRuleCharacterByCharacter) {
    const FixedLocale locale;
    const LimitComparator limits(locale);
    const EditKeyRule rule = [&limits](char key, std::string_view text) {
        return limits.acceptLimitKey(key, text);
    };
    struct Row {
        const char* text;
        const char* inserted;
        bool accepted;
    };
    for (const Row& row : {Row{"", "-2.5", true}, Row{"", "+'`09", true}, Row{"1.5", "2", true},
                           Row{"1.5", ".5", false}, Row{"", "1.2.3", false}, Row{"", "1e3", false},
                           Row{"", "1,5", false}, Row{"", "1 ", false}, Row{"", "1\t", false},
                           Row{"", "1\b", false}, Row{"7", "", true}}) {
        EXPECT_EQ(acceptsInsertedText(rule, row.text, row.inserted), row.accepted)
            << "'" << row.inserted << "' into '" << row.text << "'";
    }
}

}  // namespace
