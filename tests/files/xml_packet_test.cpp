#include "files/xml_packet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/code_page.h"
#include "files/data_files.h"
#include "test_files_fixture.h"

namespace {

const std::string kMeta =
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
    "<FIELD attrname=\"No\" fieldtype=\"i4\"/>"
    "<FIELD attrname=\"Time\" fieldtype=\"string\" WIDTH=\"20\"/>"
    "<FIELD attrname=\"DC/AC\" fieldtype=\"string\" WIDTH=\"20\"/>"
    "<FIELD attrname=\"Value\" fieldtype=\"string\" WIDTH=\"20\"/>"
    "<FIELD attrname=\"Unit\" fieldtype=\"string\" WIDTH=\"20\"/>"
    "<FIELD attrname=\"Auto\" fieldtype=\"string\" WIDTH=\"20\"/>"
    "<FIELD attrname=\"NVal\" fieldtype=\"i4\"/></FIELDS>";

std::string xmlOf(const LogTable& table) {
    OutputBuffer out;
    writeXmlPacket(table, out);
    return out.bytes();
}

TEST(XmlPacket, WritesTwoRecordLogByteForByte) {
    LogTable table;
    table.append(makeRecord(1, "10:15:30", "DC", "1.234", "V", "pass"));
    table.append(makeRecord(2, "10:15:31", "DC", "1.235", "V", "Fail"));
    EXPECT_EQ(xmlOf(table),
              kMeta +
                  "<PARAMS CHANGE_LOG=\"1 0 4 2 0 4\"/></METADATA><ROWDATA>"
                  "<ROW RowState=\"4\" No=\"1\" Time=\"10:15:30\" DC/AC=\"DC\" Value=\"1.234\" "
                  "Unit=\"V\" Auto=\"pass\"/>"
                  "<ROW RowState=\"4\" No=\"2\" Time=\"10:15:31\" DC/AC=\"DC\" Value=\"1.235\" "
                  "Unit=\"V\" Auto=\"Fail\"/>"
                  "</ROWDATA></DATAPACKET>");
}

TEST(XmlPacket, WritesEmptyLogWithoutChangeListOrRows) {
    LogTable table;
    EXPECT_EQ(xmlOf(table), kMeta + "<PARAMS/></METADATA><ROWDATA></ROWDATA></DATAPACKET>");
}

TEST(XmlPacket, EscapesSpecialBytesAndLeavesOthersRaw) {
    LogTable table;
    LogRecord r = makeRecord(-5, "<a&b>", "'\"", "\r\n\t\\", "\xB5V\xE9", "", 7);
    r.RowState = 0;
    table.append(r);
    table.replaceChangeList({});
    EXPECT_EQ(xmlOf(table),
              kMeta +
                  "<PARAMS/></METADATA><ROWDATA>"
                  "<ROW No=\"-5\" Time=\"&lt;a&amp;b&gt;\" DC/AC=\"&apos;&quot;\" "
                  "Value=\"&#013;&#010;&#009;&#092;\" Unit=\"\xB5V\xE9\" Auto=\"\" NVal=\"7\"/>"
                  "</ROWDATA></DATAPACKET>");
}

TEST(XmlPacket, RoundTripKeepsRecordsStatesAndChangeList) {
    LogTable table;
    table.append(makeRecord(1, "<a&b>", "'\"", "\r\n\t\\x", "\x80\xFF", "", 7));
    table.append(makeRecord(std::nullopt, std::nullopt, "AC", std::nullopt, std::nullopt, "F"));
    LogRecord odd = makeRecord(3, "t", {}, {}, {}, {});
    odd.RowState = 9;
    table.append(odd);
    const std::string bytes = xmlOf(table);

    LogTable loaded;
    loaded.append(makeRecord(99, "old", {}, {}, {}, {}));
    const FileResult result = loadXmlPacket(bytes, loaded);
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(recordsOf(loaded), recordsOf(table));
    EXPECT_EQ(loaded.changeList(), table.changeList());
    EXPECT_EQ(xmlOf(loaded), bytes);
    loaded.append(makeRecord(4, "t", {}, {}, {}, {}));  // the log goes on after a load
    EXPECT_EQ(loaded.change(3), (ChangeTriple{4, 0, 4}));
}

struct ReadCase {
    const char* name;
    std::string bytes;
    std::vector<LogRecord> records;
    std::vector<ChangeTriple> changes;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class XmlRead : public testing::TestWithParam<ReadCase> {};

TEST_P(XmlRead, ReadsTolerantly) {
    LogTable table;
    const FileResult result = loadXmlPacket(GetParam().bytes, table);
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(result.kind, FileMessageKind::None);
    EXPECT_EQ(recordsOf(table), GetParam().records);
    EXPECT_EQ(table.changeList(), GetParam().changes);
}

LogRecord withState(LogRecord r, std::uint8_t state) {
    r.RowState = state;
    return r;
}

const std::string kFieldsShuffled =
    "<FIELDS>\r\n"
    "  <FIELD attrname='nval' fieldtype='i4'/>\n"
    "  <FIELD attrname=\"AUTO\" fieldtype=\"string\" WIDTH=\"5\"/>\n"
    "  <FIELD attrname=\"Extra\" fieldtype=\"r8\"/>\n"
    "  <FIELD attrname=\"time\" fieldtype=\"string\" WIDTH=\"30\" />\n"
    "  <FIELD attrname=\"dc/ac\" fieldtype=\"string\" WIDTH=\"20\"/>\n"
    "  <FIELD attrname=\"Value\" fieldtype=\"string\" WIDTH=\"20\"/>\n"
    "  <FIELD attrname=\"Unit\" fieldtype=\"STRING\" WIDTH=\"20\"/>\n"
    "  <FIELD attrname=\"NO\" fieldtype=\"i4\"/>\n"
    "</FIELDS>\n";

const ReadCase kReadCases[] = {
    {"IndentedShuffledFieldsAnyWidth",
     "\r\n <?xml version=\"1.0\"?>\n<!-- saved elsewhere -->\n<DATAPACKET Version=\"2.0\">\n"
     "<METADATA>\n" +
         kFieldsShuffled +
         "<PARAMS CHANGE_LOG=\"1  0 4\n2 0 4\" LCID=\"1033\"/>\n</METADATA>\n<ROWDATA>\n"
         "  <ROW RowState=\"4\" Extra=\"1.5\" DC/AC=\"DC\" No=\"1\" time=\"a very long time text "
         "indeed\" AUTO=\"pass\"/>\n"
         "  <ROW NVAL=\"-3\" Value = \"x\" />\n"
         "</ROWDATA>\n</DATAPACKET>\n",
     {makeRecord(1, "a very long time tex", "DC", {}, {}, "pass"),
      withState(makeRecord({}, {}, {}, "x", {}, {}, -3), 0)},
     {{1, 0, 4}, {2, 0, 4}}},
    {"EntitiesAndCharacterReferences",
     kMeta + "<PARAMS/></METADATA><ROWDATA><ROW Time=\"&lt;&gt;&amp;&apos;&quot;\" "
             "DC/AC=\"&#65;&#x42;&#X43;&#013;&#92;\" Value=\"&#233;&#8364;&#150;&#x4E2D;\" "
             "Unit=\"&unknown; & &#;\"/></ROWDATA></DATAPACKET>",
     {withState(makeRecord({}, "<>&'\"", "ABC\r\\", "\xE9\x80\x96?", "&unknown; & &#;", {}), 0)},
     {}},
    {"Utf8WithBom",
     "\xEF\xBB\xBF" + kMeta +
         "<PARAMS/></METADATA><ROWDATA><ROW No=\"1\" Unit=\"\xC2\xB5V \xE2\x82\xAC \xE4\xB8\xAD "
         "\xC3\xA9\" Value=\"&#233;\"/></ROWDATA></DATAPACKET>",
     {withState(makeRecord(1, {}, {}, "\xE9", "\xB5V \x80 ? \xE9", {}), 0)},
     {}},
    {"DeclaredUtf8",
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>" + kMeta.substr(40) +
         "<PARAMS/></METADATA><ROWDATA><ROW Unit=\"\xC3\xA9\"/></ROWDATA></DATAPACKET>",
     {withState(makeRecord({}, {}, {}, {}, "\xE9", {}), 0)},
     {}},
    {"DeclaredUtf8ButInvalidIsTakenAsAnsi",
     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + kMeta.substr(40) +
         "<PARAMS/></METADATA><ROWDATA><ROW Unit=\"\xC3\xA9\xE9\"/></ROWDATA></DATAPACKET>",
     {withState(makeRecord({}, {}, {}, {}, "\xC3\xA9\xE9", {}), 0)},
     {}},
    {"NoDeclarationEmptyRowData",
     kMeta.substr(40) + "<PARAMS/></METADATA><ROWDATA/></DATAPACKET>",
     {},
     {}},
};

INSTANTIATE_TEST_SUITE_P(XmlPacket, XmlRead, testing::ValuesIn(kReadCases),
                         [](const testing::TestParamInfo<ReadCase>& p) { return p.param.name; });

struct BadCase {
    const char* name;
    std::string bytes;
};

void PrintTo(const BadCase& c, std::ostream* os) {
    *os << c.name;
}

class XmlReject : public testing::TestWithParam<BadCase> {};

TEST_P(XmlReject, FailsLeavingTheTableAsItWas) {
    LogTable table;
    table.append(makeRecord(1, "before", {}, {}, {}, {}));
    std::size_t resets = 0;
    table.addObserver({{}, [&] { ++resets; }});
    const FileResult result = loadXmlPacket(GetParam().bytes, table);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.kind, FileMessageKind::Error);
    EXPECT_EQ(result.message, "Failed to Load File!");
    EXPECT_FALSE(result.reason.empty());
    EXPECT_GE(result.line, 1u) << result.reason;
    EXPECT_GE(result.column, 1u) << result.reason;
    EXPECT_EQ(recordsOf(table), (std::vector{makeRecord(1, "before", {}, {}, {}, {})}));
    EXPECT_EQ(table.changeCount(), 1u);
    EXPECT_EQ(resets, 0u) << "the views are not told of a change that did not happen";
    table.append(makeRecord(2, "after", {}, {}, {}, {}));
    EXPECT_EQ(table.change(1), (ChangeTriple{2, 0, 4}));
}

std::string withoutField(const std::string& field) {
    std::string meta = kMeta;
    const std::string tag = "<FIELD attrname=\"" + field + "\"";
    const std::size_t at = meta.find(tag);
    meta.erase(at, meta.find("/>", at) + 2 - at);
    return meta + "<PARAMS/></METADATA><ROWDATA></ROWDATA></DATAPACKET>";
}

std::string packet(const std::string& params, const std::string& rows) {
    return kMeta + params + "</METADATA><ROWDATA>" + rows + "</ROWDATA></DATAPACKET>";
}

const BadCase kBadCases[] = {
    {"Empty", ""},
    {"TextFile", "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n1\ta\tb\tc\td\te\r\n"},
    {"OtherRoot", "<?xml version=\"1.0\"?><html><body/></html>"},
    {"MissingNVal", withoutField("NVal")},
    {"MissingDcAc", withoutField("DC/AC")},
    {"NoAsString",
     [] {
         std::string s = packet("<PARAMS/>", "");
         s.replace(s.find("\"i4\""), 4, "\"string\"");
         return s;
     }()},
    {"TimeAsInteger",
     [] {
         std::string s = packet("<PARAMS/>", "");
         s.replace(s.find("\"string\""), 8, "\"i4\"");
         return s;
     }()},
    {"FieldTwice",
     [] {
         std::string s = packet("<PARAMS/>", "");
         s.insert(s.find("</FIELDS>"), "<FIELD attrname=\"no\" fieldtype=\"i4\"/>");
         return s;
     }()},
    {"NoMetadata", "<DATAPACKET Version=\"2.0\"><ROWDATA><ROW No=\"1\"/></ROWDATA></DATAPACKET>"},
    {"TruncatedInRow",
     [] {
         const std::string s = packet("<PARAMS/>", "<ROW No=\"1\"/><ROW No=\"2\"/>");
         return s.substr(0, s.find("No=\"2\"") + 5);
     }()},
    {"UnclosedRoot",
     [] {
         const std::string s = packet("<PARAMS/>", "<ROW No=\"1\"/>");
         return s.substr(0, s.size() - std::string("</DATAPACKET>").size());
     }()},
    {"IntegerNotNumber", packet("<PARAMS/>", "<ROW No=\"1\"/><ROW No=\"NULL\"/>")},
    {"IntegerOutOfRange", packet("<PARAMS/>", "<ROW NVal=\"4294967296\"/>")},
    {"BadRowState", packet("<PARAMS/>", "<ROW RowState=\"256\"/>")},
    {"ChangeListNotTriples", packet("<PARAMS CHANGE_LOG=\"1 0 4 2\"/>", "")},
    {"ChangeListNotNumbers", packet("<PARAMS CHANGE_LOG=\"1 0 x\"/>", "")},
    {"MismatchedEndTag", packet("<PARAMS/>", "<ROW No=\"1\"></ROWS>")},
    {"UnquotedValue", packet("<PARAMS/>", "<ROW No=1/>")},
    {"GarbageBeforeRoot", "x<DATAPACKET/>"},
};

INSTANTIATE_TEST_SUITE_P(XmlPacket, XmlReject, testing::ValuesIn(kBadCases),
                         [](const testing::TestParamInfo<BadCase>& p) { return p.param.name; });

struct PlaceCase {
    const char* name;
    std::string bytes;
    std::size_t line;
    std::size_t column;
};
void PrintTo(const PlaceCase& c, std::ostream* os) {
    *os << c.name;
}

class XmlFaultPlace : public testing::TestWithParam<PlaceCase> {};

TEST_P(XmlFaultPlace, GivesTheLineAndColumnOfTheFault) {
    LogTable table;
    const FileResult result = loadXmlPacket(GetParam().bytes, table);
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.line, GetParam().line) << result.reason;
    EXPECT_EQ(result.column, GetParam().column) << result.reason;
}

// The packet laid out over lines, as an editor may have left it.
std::string layout(const std::string& rows) {
    return "<?xml version=\"1.0\"?>\r\n<DATAPACKET Version=\"2.0\">\n<METADATA>\n" +
           kMeta.substr(kMeta.find("<FIELDS>")) + "\n<PARAMS/>\n</METADATA>\n<ROWDATA>\n" + rows +
           "</ROWDATA>\n</DATAPACKET>\n";
}

const PlaceCase kPlaceCases[] = {
    {"NotBeginningWithATag", "\n\n  x<DATAPACKET/>", 3, 3},
    {"OtherRoot", "<?xml version=\"1.0\"?>\n\n <html/>", 3, 2},
    {"BadIntegerInRow", layout("<ROW No=\"1\"/>\n  <ROW Time=\"t\" No=\"x\"/>\n"), 9, 17},
    {"UnquotedValueAfterCrLines", layout("\r\r<ROW No=1/>\n"), 10, 9},
    {"MismatchedEndTag", layout("<ROW No=\"1\">\n\t</ROWS>\n"), 9, 2},
    {"MissingField", "<DATAPACKET>\n<METADATA><FIELDS>\n</FIELDS>", 3, 1},
    {"EndsEarly", layout("").substr(0, layout("").size() - 14), 9, 1},
};

INSTANTIATE_TEST_SUITE_P(XmlPacket, XmlFaultPlace, testing::ValuesIn(kPlaceCases),
                         [](const testing::TestParamInfo<PlaceCase>& p) { return p.param.name; });

TEST(XmlPacket, DiagnosticsQuoteOnlyTheStartOfAHugeValue) {
    const std::string huge(1 << 20, '7');
    LogTable table;
    for (const std::string& bytes :
         {packet("<PARAMS/>", "<ROW No=\"x" + huge + "\"/>"),
          packet("<PARAMS/>", "").replace(kMeta.find("\"i4\""), 4, "\"" + huge + "\"")}) {
        const FileResult result = loadXmlPacket(bytes, table);
        EXPECT_FALSE(result.ok);
        EXPECT_LT(result.reason.size(), 120u) << result.reason.substr(0, 200);
    }
}

using XmlOnDisk = ScratchFolder;

TEST_F(XmlOnDisk, SaveAndOpenThroughTheCommands) {
    LogTable table;
    table.append(makeRecord(1, "10:15:30", "DC", "1.234", "V", "pass"));
    const std::string file = path("log.xml");
    const FileResult saved = saveTableFile(table, file);
    ASSERT_TRUE(saved.ok) << saved.reason;
    EXPECT_EQ(saved.message, "Save table to specified file: " + file + " Scuss!");
    EXPECT_EQ(readBytes(file), xmlOf(table));

    LogTable loaded;
    loaded.append(makeRecord(5, "x", {}, {}, {}, {}));
    ASSERT_TRUE(FileToTable(file, loaded, NumberFormat{}).ok);
    EXPECT_EQ(recordsOf(loaded), recordsOf(table));

    // The same packet under another extension is read as text: one header line, nothing else.
    const std::string asText = path("log.txt");
    writeBytes(asText, readBytes(file));
    LogTable viaText;
    EXPECT_TRUE(FileToTable(asText, viaText, NumberFormat{}).ok);
    EXPECT_TRUE(viaText.empty());
}

TEST_F(XmlOnDisk, UnreadableFileLeavesTheTableAsItWas) {
    LogTable table;
    table.append(makeRecord(5, "x", {}, {}, {}, {}));
    const FileResult result = FileToTable(path("absent.xml"), table, NumberFormat{});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "Failed to Load File!");
    EXPECT_EQ(recordsOf(table), (std::vector{makeRecord(5, "x", {}, {}, {}, {})}));
}

TEST_F(XmlOnDisk, FailedSaveGoesToTheGeneralReportAndKeepsTheOldFile) {
    LogTable table;
    table.append(makeRecord(5, "x", {}, {}, {}, {}));
    const std::string file = path("sub/log.xml");
    const FileResult result = saveXmlPacket(table, file);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.kind, FileMessageKind::GeneralError);
    EXPECT_EQ(result.message.rfind("Cannot create file \"" + file + "\". ", 0), 0u)
        << result.message;
    EXPECT_GT(result.message.size(), ("Cannot create file \"" + file + "\". ").size());

    const std::string folder = path("taken.xml");
    std::filesystem::create_directory(folder);
    std::filesystem::create_directory(folder + "/inner");
    EXPECT_FALSE(saveXmlPacket(table, folder).ok);
    EXPECT_TRUE(std::filesystem::is_directory(folder + "/inner"));
    EXPECT_EQ(table.rowCount(), 1u);
    EXPECT_EQ(entries(), 1u);
}

TEST(CodePage, Utf8ToCp1252) {
    const struct {
        const char* name;
        std::string utf8;
        std::string cp1252;
        bool valid;
    } cases[] = {
        {"Ascii", "V mA", "V mA", true},
        {"Latin1", "\xC2\xA0\xC2\xB5\xC3\xBF", "\xA0\xB5\xFF", true},
        {"HighControlsRow", "\xE2\x82\xAC\xE2\x80\x9A\xC5\xB8\xE2\x84\xA2", "\x80\x82\x9F\x99",
         true},
        {"UnusedBytesRoundTrip", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D", "\x81\x8D\x8F\x90\x9D",
         true},
        {"OtherC1ControlHasNoByte", "\xC2\x85", "?", true},
        {"NoByteInCodePage", "\xE4\xB8\xAD\xF0\x9F\x98\x80", "??", true},
        {"Overlong", "\xC0\xAF", "??", false},
        {"Surrogate", "\xED\xA0\x80", "???", false},
        {"Truncated", "a\xE2\x82", "a??", false},
        {"BeyondUnicode", "\xF4\x90\x80\x80", "????", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8ToCp1252(c.utf8), c.cp1252) << c.name;
        EXPECT_EQ(isValidUtf8(c.utf8), c.valid) << c.name;
    }
}

}  // namespace
