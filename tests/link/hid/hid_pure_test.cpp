#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "link/hid/hid_report_descriptor.h"
#include "link/hid/hid_strings.h"
#include "link/hid/hid_system_info.h"
#include "link/hid/hidraw_report.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct DescriptorCase {
    const char* name;
    Bytes descriptor;
    std::optional<HidReportLayout> layout;
};
void PrintTo(const DescriptorCase& c, std::ostream* os) {
    *os << c.name;
}

class ReportDescriptor : public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(ReportDescriptor, GivesNumberingAndReportLengths) {
    EXPECT_EQ(parseReportDescriptor(GetParam().descriptor), GetParam().layout);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Known, ReportDescriptor,
    ::testing::Values(
        // A serial cable: vendor page, 8 input bytes, 9 feature bytes, no report IDs.
        DescriptorCase{"CableUnnumbered",
            {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
             0x95, 0x08, 0x09, 0x01, 0x81, 0x02, 0x95, 0x09, 0x09, 0x01, 0xB1, 0x02, 0xC0},
            HidReportLayout{false, 9, 0, 10}},
        // A boot keyboard: modifiers, reserved byte, LED output (5 + 3 bits), six key codes.
        DescriptorCase{"BootKeyboard",
            {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00,
             0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01,
             0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01,
             0x75, 0x03, 0x91, 0x01, 0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07,
             0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0},
            HidReportLayout{false, 9, 2, 0}},
        // Two numbered input reports of 3 and 6 bytes: the longer one and its ID byte.
        DescriptorCase{"NumberedTakesTheLongest",
            {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08,
             0x85, 0x01, 0x95, 0x03, 0x09, 0x01, 0x81, 0x02,
             0x85, 0x02, 0x95, 0x06, 0x09, 0x01, 0x81, 0x02, 0xC0},
            HidReportLayout{true, 7, 0, 0}},
        // 12 bits round up to 2 bytes.
        DescriptorCase{"BitsRoundUp",
            {0x75, 0x04, 0x95, 0x03, 0x81, 0x02}, HidReportLayout{false, 3, 0, 0}},
        // Push keeps size and count; the pop restores them after a one-bit field.
        DescriptorCase{"PushAndPop",
            {0x75, 0x08, 0x95, 0x04, 0xA4, 0x75, 0x01, 0x95, 0x01, 0x81, 0x02, 0xB4, 0x81, 0x02},
            HidReportLayout{false, 6, 0, 0}},
        // A long item is skipped whole, its data bytes are not read as items.
        DescriptorCase{"LongItemSkipped",
            {0xFE, 0x02, 0x10, 0x81, 0x02, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02},
            HidReportLayout{false, 3, 0, 0}},
        // A four-byte item (size code 3) carries a 16-bit count of 300 bytes.
        DescriptorCase{"FourByteCount",
            {0x75, 0x08, 0x97, 0x2C, 0x01, 0x00, 0x00, 0x81, 0x02},
            HidReportLayout{false, 301, 0, 0}},
        DescriptorCase{"NoInputReport", {0x06, 0x00, 0xFF, 0xA1, 0x01, 0xC0},
            HidReportLayout{false, 0, 0, 0}},
        DescriptorCase{"CutInsideAnItem", {0x75, 0x08, 0x96, 0x08}, std::nullopt},
        DescriptorCase{"CutLongItem", {0xFE, 0x05, 0x10, 0x00}, std::nullopt},
        DescriptorCase{"PopWithoutPush", {0xB4}, std::nullopt},
        // 8 bits x 65535 twice: longer than any report can be.
        DescriptorCase{"ReportTooLong",
            {0x75, 0x08, 0x96, 0xFF, 0xFF, 0x81, 0x02, 0x81, 0x02}, std::nullopt}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

/// A buffer filled with fill and then every character of the literal, zeros included.
template <std::size_t N>
HidStringBuffer buffer(const char16_t (&text)[N], char16_t fill = 0) {
    HidStringBuffer b;
    b.fill(fill);
    std::copy_n(text, N - 1, b.begin());
    return b;
}

struct SerialCase {
    const char* name;
    HidStringBuffer serial;
    HidStringBuffer languages;
    QString kept;
};
void PrintTo(const SerialCase& c, std::ostream* os) {
    *os << c.name;
}

class SerialString : public ::testing::TestWithParam<SerialCase> {};

TEST_P(SerialString, IsKeptUnlessItReadsAsDescriptorZero) {
    EXPECT_EQ(serialStringRule(GetParam().serial, GetParam().languages), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, SerialString,
    ::testing::Values(
        SerialCase{"OrdinarySerial", buffer(u"A1B2C3"), buffer(u"\u0409\0", 0xFFFF), "A1B2C3"},
        SerialCase{"EqualsDescriptorZero", buffer(u"\u0409"), buffer(u"\u0409\0", 0xFFFF), ""},
        SerialCase{"StartsWithDescriptorZero", buffer(u"\u0409XYZ"), buffer(u"\u0409\0", 0xFFFF),
                   ""},
        SerialCase{"DescriptorZeroUnreadable", buffer(u"A1B2C3"), buffer(u"", 0xFFFF), ""},
        // Two language IDs without a terminating zero: both count.
        SerialCase{"TwoLanguagesNoZero", buffer(u"\u0409Q"), buffer(u"\u0409\u0407", 0xFFFF),
                   "\u0409Q"},
        // A zero after the text and zeros written beyond it: the last zero ends the count.
        SerialCase{"ZerosCountedUpToTheLast", buffer(u"\u0409"), buffer(u"\u0409\0\0", 0xFFFF), ""},
        SerialCase{"ZerosCountedSerialDiffers", buffer(u"\u0409X"), buffer(u"\u0409\0\0", 0xFFFF),
                   "\u0409X"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(HidStrings, LanguageTableLengthScansDownOverUnwrittenCharacters) {
    EXPECT_EQ(languageTableLength(buffer(u"", 0xFFFF)), 0U);
    EXPECT_EQ(languageTableLength(buffer(u"\u0409", 0xFFFF)), 1U);
    EXPECT_EQ(languageTableLength(buffer(u"\u0409\0", 0xFFFF)), 1U);
    EXPECT_EQ(languageTableLength(buffer(u"\u0409\u0407\0", 0xFFFF)), 2U);
    // A buffer written full: every character counts.
    EXPECT_EQ(languageTableLength(buffer(u"", 0x0041)), kHidStringChars);
}

TEST(HidStrings, TextUpToZeroTakesAllWhenThereIsNone) {
    EXPECT_EQ(textUpToZero(buffer(u"USB to Serial")), "USB to Serial");
    EXPECT_EQ(textUpToZero(buffer(u"", u'x')).size(), qsizetype{kHidStringChars});
}

TEST(HidStrings, SystemTextBecomesTheBufferText) {
    const auto filled = [](std::string_view utf8) {
        HidStringBuffer b{};
        fillFromSystemText(utf8, b);
        return textUpToZero(b);
    };
    EXPECT_EQ(filled("USB to Serial\n"), "USB to Serial");
    EXPECT_EQ(filled("Messger\xC3\xA4t"), QString::fromUtf8("Messger\xC3\xA4t"));
    EXPECT_EQ(filled(std::string_view("AB\0CD", 5)), "AB");
    // 300 characters are cut to the buffer.
    EXPECT_EQ(filled(std::string(300, 'x')).size(), qsizetype{kHidStringChars});
    // A surrogate pair across the end is dropped whole: 253 letters, then U+1F600.
    const QString cut = filled(std::string(253, 'y') + "\xF0\x9F\x98\x80");
    EXPECT_EQ(cut, QString(253, QChar('y')));
}

TEST(HidrawReport, UnnumberedReportsAreReadOneByteInAndGetTheIdZeroBack) {
    EXPECT_EQ(hidrawReadTarget(9, false).offset, 1U);
    EXPECT_EQ(hidrawReadTarget(9, false).capacity, 8U);
    EXPECT_EQ(hidrawReadTarget(9, true).offset, 0U);
    EXPECT_EQ(hidrawReadTarget(9, true).capacity, 9U);

    // hidraw gave F3 2B 30 35 for an unnumbered device: the handler sees ID 0 first.
    std::vector<std::uint8_t> b = {0xEE, 0xF3, 0x2B, 0x30, 0x35, 0, 0, 0, 0};
    EXPECT_EQ(completeHidrawReport(b, 4, false), 9U);
    EXPECT_EQ(b, (std::vector<std::uint8_t>{0x00, 0xF3, 0x2B, 0x30, 0x35, 0, 0, 0, 0}));

    // A numbered device's shorter report keeps its ID and is padded to the longest one.
    std::vector<std::uint8_t> n = {0x02, 0xAA, 0, 0, 0, 0, 0};
    EXPECT_EQ(completeHidrawReport(n, 2, true), 7U);
    EXPECT_EQ(n, (std::vector<std::uint8_t>{0x02, 0xAA, 0, 0, 0, 0, 0}));

    EXPECT_EQ(completeHidrawReport(n, 0, true), 0U);
}

TEST(HidSystemInfo, ReadsUsbIdsAndHidIdAsSysfsWritesThem) {
    EXPECT_EQ(usbIdFromSysfs("1a86\n"), 0x1A86);
    EXPECT_EQ(usbIdFromSysfs("E008"), 0xE008);
    EXPECT_EQ(usbIdFromSysfs("0000"), 0);
    for (const char* bad : {"", "1a8", "1a860", "1a8g", "-1a8", "0x1a"})
        EXPECT_EQ(usbIdFromSysfs(bad), std::nullopt) << bad;

    using Ids = std::pair<std::uint16_t, std::uint16_t>;
    EXPECT_EQ(idsFromHidId("0003:00001A86:0000E008"), Ids(0x1A86, 0xE008));
    EXPECT_EQ(idsFromHidId("0005:0000046D:0000B01A\n"), Ids(0x046D, 0xB01A));
    for (const char* bad : {"", "0003", "0003:00001A86", "0003:00011A86:0000E008",
                            "0003:00001A86:", "0003:zz:0000E008", "000003:1A86:E008"}) {
        EXPECT_EQ(idsFromHidId(bad), std::nullopt) << bad;
    }

    EXPECT_EQ(sysfsText("USB to Serial\n"), "USB to Serial");
    EXPECT_EQ(sysfsText("USB to Serial  \n\n"), "USB to Serial");
    EXPECT_EQ(sysfsText(" lead"), " lead");
}

}  // namespace
