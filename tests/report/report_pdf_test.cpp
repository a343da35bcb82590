// The report as PDF, checked through poppler: the words a reader of the file finds and where
// they stand on the page, in millimetres from the paper's corner.
#include "report/report_pdf.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "decode/locale_info.h"
#include "files/data_files.h"
#include "log/log_table.h"
#include "report_test_app.h"
#include "tests/support/pdf_words.h"

namespace {

// Where the report's items stand, from the paper's corner: 10 mm margins, then the band tops.
constexpr double kMargin = 10.0;
constexpr double kColumnHeaderTop = kMargin + 10.58;
constexpr double kHeadingTop = kColumnHeaderTop + 4.23;
constexpr double kFirstDetailTop = kColumnHeaderTop + 10.58;
constexpr double kDetailHeight = 6.61;
constexpr double kFooterTop = kMargin + 277.0 - 10.58 + 4.23;
constexpr double kExact = 0.05;  // poppler prints positions to 0.01 pt

struct Heading {
    const char* text;
    double left;
};
constexpr Heading kHeadings[] = {{"No", 8.47},     {"Time", 33.87},  {"DC|AC", 64.29},
                                 {"Value", 99.48}, {"Unit", 132.29}, {"AUTO", 162.98}};
// Detail lefts: No, Time, DC/AC, Value, Unit, Auto.
constexpr double kNoLeft = kMargin + 8.47, kTimeLeft = kMargin + 33.87, kDcAcLeft = kMargin + 65.62,
                 kValueLeft = kMargin + 99.48, kUnitLeft = kMargin + 131.23,
                 kAutoLeft = kMargin + 162.98;

double detailTextTop(std::size_t line) {
    return kFirstDetailTop + static_cast<double>(line) * kDetailHeight + 2.12;
}

LogRecord reading(std::int32_t no, std::optional<std::string> dcAc = "DC",
                  std::optional<std::string> unit = "V") {
    LogRecord r;
    r.No = no;
    r.Time = "10:15:30";
    r.DcAc = std::move(dcAc);
    r.Value = "05.99";
    r.Unit = std::move(unit);
    r.Auto = "pass";
    return r;
}

class ReportPdf : public ::testing::Test {
protected:
    void SetUp() override { reportTestApp(); }

    std::vector<PdfPage> write(const LogTable& table) {
        const QString file = m_dir.filePath(QStringLiteral("report.pdf"));
        const ReportPdfResult result = writeReportPdf(table, file);
        EXPECT_TRUE(result.ok) << result.error.toStdString();
        auto pages = readPdfWords(file.toStdString());
        EXPECT_TRUE(pages.has_value()) << "pdftotext could not read the file";
        if (pages) {
            EXPECT_EQ(result.pages, table.empty() ? 0u : pages->size());
        }
        m_lastFile = file.toStdString();
        return pages.value_or(std::vector<PdfPage>{});
    }

    // The one word `text` on the line whose top is `top`; fails when there is not exactly one.
    static std::optional<PdfWord> wordAt(const PdfPage& page, double top, double left) {
        std::optional<PdfWord> found;
        for (const PdfWord& w : page.words) {
            if (std::abs(w.left - left) < 0.5 && std::abs(w.top - top) < 1.0) {
                if (found) return std::nullopt;
                found = w;
            }
        }
        return found;
    }

    // Title, six headings and footer, each where the layout puts it.
    static void expectFramed(const PdfPage& page, std::size_t pageNumber) {
        SCOPED_TRACE("page " + std::to_string(pageNumber));
        const auto data = page.find("Data");
        const auto report = page.find("Report");
        ASSERT_EQ(data.size(), 2u) << "one in the title, one in the footer";
        ASSERT_EQ(report.size(), 1u);
        EXPECT_NEAR(data[0].top, kMargin + 2.12, kExact);
        EXPECT_NEAR(report[0].top, kMargin + 2.12, kExact);
        EXPECT_NEAR((data[0].left + report[0].right) / 2, 105.0, 0.1) << "centred on the band";
        for (const Heading& h : kHeadings) {
            const auto found = page.find(h.text);
            ASSERT_EQ(found.size(), 1u) << h.text;
            EXPECT_NEAR(found[0].left, kMargin + h.left, kExact) << h.text;
            EXPECT_NEAR(found[0].top, kHeadingTop, kExact) << h.text;
        }
        const char* footer[] = {"The", "Data", "Print", "Foot"};
        double left = kMargin + 8.47;
        for (const char* word : footer) {
            const auto found = page.find(word);
            ASSERT_FALSE(found.empty()) << word;
            EXPECT_NEAR(found.back().top, kFooterTop, kExact) << word;
            EXPECT_GE(found.back().left, left - kExact) << word;
            left = found.back().right;
        }
        EXPECT_NEAR(page.find("The")[0].left, kMargin + 8.47, kExact);
    }

    QTemporaryDir m_dir;
    std::string m_lastFile;
};

TEST_F(ReportPdf, OneRecordGivesOnePageWithTitleHeadingsOneDetailLineAndFooter) {
    LogTable table;
    table.append(reading(1));
    const auto pages = write(table);
    ASSERT_EQ(pages.size(), 1u);
    const PdfPage& page = pages[0];
    EXPECT_NEAR(page.width, 210.0, 0.2);
    EXPECT_NEAR(page.height, 297.0, 0.2);
    expectFramed(page, 1);
    EXPECT_EQ(page.words.size(), 2u + 6u + 6u + 4u) << "title, headings, one line, footer";

    struct Field {
        const char* text;
        double left;
    };
    for (const Field& f :
         {Field{"1", kNoLeft}, Field{"10:15:30", kTimeLeft}, Field{"DC", kDcAcLeft},
          Field{"V", kUnitLeft}, Field{"pass", kAutoLeft}}) {
        const auto found = page.find(f.text);
        ASSERT_EQ(found.size(), 1u) << f.text;
        EXPECT_NEAR(found[0].left, f.left, kExact) << f.text;
        EXPECT_NEAR(found[0].top, detailTextTop(0), kExact) << f.text;
    }
    // Value prints in Calibri's face, whose top poppler measures from its typographic ascent,
    // a little below the top the text was placed by: check that it stands in its band.
    const auto value = page.find("05.99");
    ASSERT_EQ(value.size(), 1u);
    EXPECT_NEAR(value[0].left, kValueLeft, kExact);
    EXPECT_NEAR(value[0].top, detailTextTop(0), 1.0);
    EXPECT_LT(value[0].bottom, kFirstDetailTop + kDetailHeight);
}

TEST_F(ReportPdf, RecordsContinueOnFurtherPagesEachFramedByHeaderHeadingsAndFooter) {
    LogTable table;
    for (std::int32_t no = 1; no <= 75; ++no)
        table.append(reading(no));
    const auto pages = write(table);
    ASSERT_EQ(pages.size(), 3u);
    for (std::size_t p = 0; p < pages.size(); ++p)
        expectFramed(pages[p], p + 1);
    // 37 detail lines a page, in table order; record 38 heads page 2 and 75 is alone on page 3.
    const std::size_t firstOnPage[] = {1, 38, 75};
    const std::size_t linesOnPage[] = {37, 37, 1};
    for (std::size_t p = 0; p < 3; ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        for (std::size_t line = 0; line < linesOnPage[p]; ++line) {
            const auto no = wordAt(pages[p], detailTextTop(line), kNoLeft);
            ASSERT_TRUE(no.has_value()) << "line " << line;
            EXPECT_EQ(no->text, std::to_string(firstOnPage[p] + line));
            EXPECT_NEAR(no->top, detailTextTop(line), kExact);
        }
        EXPECT_EQ(pages[p].find("pass").size(), linesOnPage[p]);
        EXPECT_FALSE(wordAt(pages[p], detailTextTop(linesOnPage[p]), kNoLeft).has_value())
            << "nothing below the last line";
    }
    EXPECT_LT(detailTextTop(36) + 4.0, kFooterTop) << "the last line stays clear of the footer";
}

TEST_F(ReportPdf, AFieldWithoutValuePrintsNothingAndALoadedNullPrintsNull) {
    // A text file: its "NULL" is the text a save writes for an empty field, and loads as it is.
    const QString textFile = m_dir.filePath(QStringLiteral("log.txt"));
    {
        QFile file(textFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            "No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n"
            "1\t10:15:30\tNULL\t05.99\tV\tpass\r\n");
    }
    LogTable table;
    const FixedLocale locale;
    ASSERT_TRUE(FileToTable(textFile.toStdString(), table, locale.userNumberFormat()).ok);
    table.append(reading(2, std::nullopt));
    table.append(reading(3, ""));
    LogRecord bare;  // every field without value
    table.append(bare);
    const auto pages = write(table);
    ASSERT_EQ(pages.size(), 1u);
    const PdfPage& page = pages[0];

    const auto null = wordAt(page, detailTextTop(0), kDcAcLeft);
    ASSERT_TRUE(null.has_value());
    EXPECT_EQ(null->text, "NULL");
    EXPECT_FALSE(wordAt(page, detailTextTop(1), kDcAcLeft).has_value()) << "no value";
    EXPECT_FALSE(wordAt(page, detailTextTop(2), kDcAcLeft).has_value()) << "empty text";
    EXPECT_EQ(wordAt(page, detailTextTop(1), kNoLeft)->text, "2");
    EXPECT_EQ(wordAt(page, detailTextTop(1), kUnitLeft)->text, "V") << "the rest of the line";
    for (const double left : {kNoLeft, kTimeLeft, kDcAcLeft, kValueLeft, kUnitLeft, kAutoLeft})
        EXPECT_FALSE(wordAt(page, detailTextTop(3), left).has_value()) << left;
    EXPECT_EQ(page.words.size(), 2u + 6u + 6u + 5u + 5u + 0u + 4u);
}

TEST_F(ReportPdf, UnitCharactersPrintAsTheMetersSymbols) {
    struct Unit {
        const char* stored;
        const char* printed;
    };
    const Unit units[] = {{"*", "\u03A9"},  {"k*", "k\u03A9"}, {"M*", "M\u03A9"},
                          {"#", "\u00B0C"}, {"?", "\u00B0F"},  {"mV", "mV"}};
    LogTable table;
    std::int32_t no = 1;
    for (const Unit& u : units)
        table.append(reading(no++, "DC", u.stored));
    const auto pages = write(table);
    ASSERT_EQ(pages.size(), 1u);
    for (std::size_t line = 0; line < std::size(units); ++line) {
        const auto unit = wordAt(pages[0], detailTextTop(line), kUnitLeft);
        ASSERT_TRUE(unit.has_value()) << units[line].stored;
        EXPECT_EQ(unit->text, units[line].printed);
    }
}

TEST_F(ReportPdf, TimeAndValueHaveTheirOwnFacesAndEveryFontIsEmbedded) {
    LogTable table;
    table.append(reading(1));
    write(table);
    FILE* pipe = popen(("pdffonts '" + m_lastFile + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string listing;
    char buffer[1024];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        listing.append(buffer, n);
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_NE(listing.find("LiberationSans"), std::string::npos) << listing;
    EXPECT_NE(listing.find("Carlito"), std::string::npos) << listing;
    // Columns: name, type..., encoding, emb, sub, uni, object, ID.
    const std::regex font(R"((\S+)\s.*\s(yes|no)\s+(yes|no)\s+(yes|no)\s+\d+\s+\d+\s*$)");
    int fonts = 0;
    std::size_t start = 0;
    for (std::size_t end; (end = listing.find('\n', start)) != std::string::npos; start = end + 1) {
        std::smatch m;
        const std::string line = listing.substr(start, end - start);
        if (!std::regex_match(line, m, font)) continue;
        ++fonts;
        EXPECT_EQ(m[2], "yes") << m[1] << " is not embedded";
    }
    EXPECT_EQ(fonts, 2) << listing;
}

TEST_F(ReportPdf, EmptyLogGivesAPdfWithoutBands) {
    LogTable table;
    const auto pages = write(table);
    ASSERT_EQ(pages.size(), 1u) << "a PDF has at least one page";
    EXPECT_TRUE(pages[0].words.empty());
}

TEST_F(ReportPdf, AFileThatCannotBeWrittenLeavesNothingBehind) {
    LogTable table;
    table.append(reading(1));
    const QString file = m_dir.filePath(QStringLiteral("missing/report.pdf"));
    const ReportPdfResult result = writeReportPdf(table, file);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_FALSE(QFile::exists(file));
}

}  // namespace
