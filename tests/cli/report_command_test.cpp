// vxm90-cli report, run as a user runs it: no display, no Qt variables in the environment.
#include <gtest/gtest.h>

#include <string>

#include "cli_process.h"
#include "tests/support/pdf_words.h"

namespace {

// No display and no platform chosen through the environment.
const std::string kBareEnvironment = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";

std::string textLog(int records, const char* dcAc = "DC") {
    std::string text = "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n";
    for (int no = 1; no <= records; ++no) {
        text += std::to_string(no) + "\t10:15:30\t" + dcAc + "\t05.99\tk*\tpass\r\n";
    }
    return text;
}

std::string report(const std::string& in, const std::string& out) {
    return kBareEnvironment + shellQuote(kCliPath) + " report " + shellQuote(in) + " " +
           shellQuote(out);
}

class ReportCommand : public ::testing::Test {
protected:
    TempFolder m_folder;
};

TEST_F(ReportCommand, WritesTheReportOfATextOrXmlFileWithoutADisplay) {
    const std::string text = m_folder.file("log.txt");
    writeFile(text, textLog(40));
    const std::string xml = m_folder.file("log.xml");
    ASSERT_EQ(
        runShell(shellQuote(kCliPath) + " convert " + shellQuote(text) + " " + shellQuote(xml))
            .status,
        0);

    for (const std::string& in : {text, xml}) {
        SCOPED_TRACE(in);
        const std::string pdf = m_folder.file("report.pdf");
        const ProcessResult r = runShell(report(in, pdf));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, pdf + ": 2 pages, 40 records\n");
        const auto pages = readPdfWords(pdf);
        ASSERT_TRUE(pages.has_value());
        ASSERT_EQ(pages->size(), 2u);
        for (const PdfPage& page : *pages) {
            EXPECT_EQ(page.find("Report").size(), 1u);
            EXPECT_EQ(page.find("DC|AC").size(), 1u);
            EXPECT_EQ(page.find("Foot").size(), 1u);
        }
        EXPECT_EQ((*pages)[0].find("pass").size(), 37u);
        EXPECT_EQ((*pages)[1].find("pass").size(), 3u);
        EXPECT_EQ((*pages)[1].find("38").size(), 1u) << "record 38 heads page 2";
        EXPECT_EQ((*pages)[0].find("k\u03A9").size(), 37u) << "units print as symbols";
    }
}

TEST_F(ReportCommand, EmptyLogWritesAPdfWithoutBands) {
    const std::string in = m_folder.file("empty.txt");
    writeFile(in, textLog(0));
    const std::string pdf = m_folder.file("empty.pdf");
    const ProcessResult r = runShell(report(in, pdf));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, pdf + ": no records, one blank page\n");
    const auto pages = readPdfWords(pdf);
    ASSERT_TRUE(pages.has_value());
    ASSERT_EQ(pages->size(), 1u);
    EXPECT_TRUE((*pages)[0].words.empty());
}

TEST_F(ReportCommand, FailuresWriteNoFile) {
    const std::string pdf = m_folder.file("out.pdf");
    const ProcessResult missing = runShell(report(m_folder.file("missing.txt"), pdf));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Failed to Load File!"), std::string::npos) << missing.err;
    EXPECT_FALSE(fileExists(pdf));

    const std::string in = m_folder.file("log.txt");
    writeFile(in, textLog(3));
    const ProcessResult unwritable = runShell(report(in, m_folder.file("no/such/dir/out.pdf")));
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("vxm90-cli report: "), std::string::npos) << unwritable.err;

    const ProcessResult usage =
        runShell(kBareEnvironment + shellQuote(kCliPath) + " report " + shellQuote(in));
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("needs the operands IN and OUT.pdf"), std::string::npos);
}

TEST_F(ReportCommand, OtherCommandsLoadNoPlatform) {
    // A platform that does not exist would end any command that started Qt's GUI.
    const ProcessResult r =
        runShell("env -u DISPLAY QT_QPA_PLATFORM=none-such " + shellQuote(kCliPath) +
                 " sim --rate 0 --count 3 | env -u DISPLAY QT_QPA_PLATFORM=none-such " +
                 shellQuote(kCliPath) + " decode");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(splitLines(r.out).size(), 3u);
}

}  // namespace
