#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "cli/hid_line.h"
#include "cli/json_writer.h"
#include "json_line.h"

namespace {

struct JsonCase {
    const char* name;
    std::string text;
    std::string json;
    std::string decoded;  // what a JSON reader gets back, as UTF-8
};
void PrintTo(const JsonCase& c, std::ostream* os) {
    *os << c.name;
}

class JsonStringEscape : public ::testing::TestWithParam<JsonCase> {};

TEST_P(JsonStringEscape, KeepsTheLineValidAsciiJson) {
    const JsonCase& c = GetParam();
    std::string json;
    appendJsonString(c.text, json);
    EXPECT_EQ(json, c.json);
    const auto object = parseJsonLine("{\"k\":" + json + "}");
    ASSERT_TRUE(object.has_value()) << json;
    EXPECT_EQ(std::get<std::string>(object->at("k")), c.decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, JsonStringEscape,
    ::testing::Values(JsonCase{"Plain", "05.99", "\"05.99\"", "05.99"},
                      JsonCase{"QuoteAndBackslash", "a\"b\\c", R"("a\"b\\c")", "a\"b\\c"},
                      JsonCase{"Controls", std::string("\r\n\t\x01", 4), R"("\r\n\t\u0001")",
                               std::string("\r\n\t\x01", 4)},
                      JsonCase{"EuroSign", "\x80", R"("\u20ac")", "\xE2\x82\xAC"},
                      JsonCase{"UndefinedCp1252Byte", "\x81", R"("\u0081")", "\xC2\x81"},
                      JsonCase{"LatinSmallEAcute", "\xE9", R"("\u00e9")", "\xC3\xA9"},
                      JsonCase{"Degree", "25\xB0", R"("25\u00b0")", "25\xC2\xB0"}),
    [](const ::testing::TestParamInfo<JsonCase>& param) { return param.param.name; });

TEST(JsonNumber, ShortestExactFormAndNullForNonFinite) {
    const std::vector<std::pair<double, std::string>> cases = {
        {599.0, "599"}, {-9.05, "-9.05"}, {60.01, "60.01"}, {1e300 * 1e300, "null"}};
    for (const auto& [value, text] : cases) {
        std::string out;
        appendJsonNumber(value, out);
        EXPECT_EQ(out, text);
    }
}

struct HidLineCase {
    const char* name;
    std::string line;
    bool ok;  // a report (or blank when `blank`)
    bool blank;
    int reportId;
    std::vector<std::uint8_t> data;
};
void PrintTo(const HidLineCase& c, std::ostream* os) {
    *os << c.name;
}

class HidLineParse : public ::testing::TestWithParam<HidLineCase> {};

TEST_P(HidLineParse, ReadsReportsAndRefusesAnythingElse) {
    const HidLineCase& c = GetParam();
    const HidLineResult r = parseHidReportLine(c.line);
    EXPECT_EQ(r.blank(), c.blank);
    EXPECT_EQ(r.error.empty(), c.ok) << r.error;
    if (c.ok && !c.blank) {
        ASSERT_TRUE(r.report.has_value());
        EXPECT_EQ(r.report->reportId, c.reportId);
        EXPECT_EQ(r.report->data, c.data);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HidLineParse,
    ::testing::Values(HidLineCase{"Report", "00 F2 2B 30", true, false, 0, {0xF2, 0x2B, 0x30}},
                      HidLineCase{
                          "LowerCaseTabsCrLf", "\t05\tf1  a\r", true, false, 5, {0xF1, 0x0A}},
                      HidLineCase{"IdOnly", "00", true, false, 0, {}},
                      HidLineCase{"Empty", "", true, true, 0, {}},
                      HidLineCase{"BlanksOnly", "  \t \r", true, true, 0, {}},
                      HidLineCase{"NotHex", "00 F0 ZZ", false, false, 0, {}},
                      HidLineCase{"ThreeDigits", "00 F0 123", false, false, 0, {}},
                      HidLineCase{"HexPrefix", "00 0x10", false, false, 0, {}},
                      HidLineCase{"CommaSeparated", "00,F0", false, false, 0, {}},
                      HidLineCase{"NulByte", std::string("00 F\0", 5), false, false, 0, {}}),
    [](const ::testing::TestParamInfo<HidLineCase>& param) { return param.param.name; });

TEST(HidLineParse, RefusesMoreDataThanASixteenBitSizeCarries) {
    std::string line = "00";
    for (std::size_t i = 0; i < kMaxHidLineDataBytes; ++i)
        line += " 7";
    const HidLineResult fits = parseHidReportLine(line);
    ASSERT_TRUE(fits.report.has_value()) << fits.error;
    EXPECT_EQ(fits.report->data.size(), kMaxHidLineDataBytes);
    EXPECT_FALSE(parseHidReportLine(line + " 7").error.empty());
}

}  // namespace
