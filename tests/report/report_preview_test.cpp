// The print preview and its print runs, on fake dialogs and a manual clock: a run prints one
// sheet per turn of the loop, which here is one timers.advance(0).
#include "report/report_preview.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

#include "log/log_table.h"
#include "report/page_view.h"
#include "report/report_printer.h"
#include "report_test_app.h"
#include "tests/support/fake_report_dialogs.h"
#include "tests/support/manual_timers.h"
#include "tests/support/pdf_words.h"

namespace {

void appendRecords(LogTable& table, std::int32_t count) {
    const std::int32_t first = static_cast<std::int32_t>(table.rowCount()) + 1;
    LogRecord r;
    r.Time = "10:15:30";
    r.DcAc = "DC";
    r.Value = "05.99";
    r.Unit = "V";
    r.Auto = "pass";
    const LogTableUpdate update(table);
    for (std::int32_t no = first; no < first + count; ++no) {
        r.No = no;
        table.append(r);
    }
}

// The record number that heads each page of a PDF.
std::vector<std::string> firstNumbers(const std::vector<PdfPage>& pages) {
    std::vector<std::string> numbers;
    for (const PdfPage& page : pages) {
        std::string first = "-";
        for (const PdfWord& w : page.words) {
            if (std::abs(w.left - 18.47) < 0.05 && std::abs(w.top - 33.28) < 0.05) first = w.text;
        }
        numbers.push_back(first);
    }
    return numbers;
}

int darkPixels(const QImage& image) {
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 100) ++dark;
    return dark;
}

// Made before the fixture's printer, which needs the application.
struct WithApplication {
    WithApplication() { reportTestApp(); }
};

class Preview : public ::testing::Test, private WithApplication {
protected:
    std::unique_ptr<ReportPreview> open() {
        auto preview = std::make_unique<ReportPreview>(
            ReportRows(table), printer, dialogs, timers,
            [this](const QString& message) { errors.push_back(message); }, nullptr);
        preview->resize(640, 800);
        preview->show();
        return preview;
    }

    // What the user sees now: paints the window, drawing the page in view if it is not kept.
    static QImage look(ReportPreview& preview) { return preview.grab().toImage(); }

    // The print dialog's answer: print to this PDF file, with these choices.
    void answerPrintToPdf(const QString& file, int from = 0, int to = 0, int copies = 1,
                          bool collate = true) {
        dialogs.answerSetup = [=](QPrinter& p, int) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(file);
            p.setPrintRange(from > 0 ? QPrinter::PageRange : QPrinter::AllPages);
            if (from > 0) p.setFromTo(from, to);
            p.setCopyCount(copies);
            p.setCollateCopies(collate);
            return true;
        };
    }

    void runPrint(ReportPreview& preview) {
        for (int turn = 0; turn < 1000 && preview.printing(); ++turn)
            timers.advance(0);
    }

    LogTable table;
    ReportPrinter printer;
    FakeReportDialogs dialogs;
    ManualTimers timers;
    std::vector<QString> errors;
    QTemporaryDir dir;
};

TEST_F(Preview, OpensOnALargeLogDrawingOnlyThePageInViewAndKeepingAFew) {
    appendRecords(table, 200000);
    const auto preview = open();
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("Print Preview"));
    EXPECT_EQ(preview->pageCount(), 5406u);
    EXPECT_EQ(preview->pageText(), QStringLiteral("Page 1 of 5406"));
    EXPECT_EQ(preview->preparationText(), QStringLiteral("Preparing pages: 100%"));
    PageView& view = *preview->pageView();
    EXPECT_EQ(view.pagesDrawn(), 0u) << "nothing drawn before it is shown";

    const QImage first = look(*preview);
    EXPECT_EQ(view.pagesDrawn(), 1u);
    EXPECT_GT(darkPixels(first), 500) << "the page's text is in view";
    EXPECT_FALSE(preview->action("previousPage")->isEnabled());
    EXPECT_TRUE(preview->action("nextPage")->isEnabled());

    preview->lastPage();
    look(*preview);
    EXPECT_EQ(view.pagesDrawn(), 2u);
    EXPECT_EQ(preview->pageText(), QStringLiteral("Page 5406 of 5406"));
    EXPECT_FALSE(preview->action("nextPage")->isEnabled());
    EXPECT_FALSE(preview->action("lastPage")->isEnabled());
    EXPECT_TRUE(preview->action("firstPage")->isEnabled());

    preview->firstPage();
    look(*preview);
    EXPECT_EQ(view.pagesDrawn(), 2u) << "page 1 was kept";
    for (int i = 0; i < 5; ++i) {
        preview->nextPage();
        look(*preview);
    }
    EXPECT_EQ(preview->currentPage(), 5u);
    EXPECT_EQ(view.pagesDrawn(), 7u);
    EXPECT_LE(view.keptPages(), PageView::kKeptPages);
    preview->previousPage();
    look(*preview);
    EXPECT_EQ(view.pagesDrawn(), 7u) << "the page before was kept";
}

TEST_F(Preview, ZoomToFitTo100PercentAndToWidth) {
    appendRecords(table, 10);
    const auto preview = open();
    PageView& view = *preview->pageView();
    look(*preview);
    EXPECT_TRUE(preview->action("zoomFit")->isChecked());
    const QSize viewSize = view.viewport()->size();
    const double fitMm = view.pageDpi() / 25.4;
    EXPECT_LE(297.0 * fitMm, viewSize.height());
    EXPECT_GT(297.0 * (view.pageDpi() + 1) / 25.4, viewSize.height() - 24) << "as large as fits";

    preview->zoomTo100();
    look(*preview);
    EXPECT_TRUE(preview->action("zoom100")->isChecked());
    EXPECT_FALSE(preview->action("zoomFit")->isChecked());
    EXPECT_EQ(view.pageDpi(), view.logicalDpiX());

    preview->zoomToWidth();
    look(*preview);
    const int width = view.viewport()->width();
    EXPECT_LE(210.0 * view.pageDpi() / 25.4, width - 24);
    EXPECT_GT(210.0 * (view.pageDpi() + 1) / 25.4, width - 24);
    EXPECT_GT(view.verticalScrollBar()->maximum(), 0) << "the page is taller than the view";
    EXPECT_EQ(view.pagesDrawn(), 3u) << "each zoom draws the page once, at its own size";
}

TEST_F(Preview, PagesAreThoseOfTheRecordsPresentWhenItOpened) {
    appendRecords(table, 40);
    const auto preview = open();
    appendRecords(table, 40);  // the log goes on taking readings
    EXPECT_EQ(preview->pageCount(), 2u);
    preview->lastPage();
    look(*preview);
    EXPECT_FALSE(preview->rowsGone());

    const QString file = dir.filePath(QStringLiteral("later.pdf"));
    answerPrintToPdf(file);
    preview->printerSetup();
    preview->print();
    runPrint(*preview);
    const auto pages = readPdfWords(file.toStdString());
    ASSERT_TRUE(pages.has_value());
    ASSERT_EQ(pages->size(), 2u);
    EXPECT_EQ(firstNumbers(*pages), (std::vector<std::string>{"1", "38"}));
    EXPECT_EQ((*pages)[1].find("pass").size(), 3u) << "records 38 to 40, none logged later";
    EXPECT_TRUE((*pages)[1].find("41").empty());
}

TEST_F(Preview, ALogClearedOrReplacedLeavesNoPageToShowOrPrint) {
    appendRecords(table, 80);
    const auto preview = open();
    look(*preview);
    // Cleared and refilled to the same length: the same row numbers, other rows.
    table.clear();
    appendRecords(table, 80);
    preview->nextPage();
    const std::size_t drawn = preview->pageView()->pagesDrawn();
    look(*preview);
    EXPECT_EQ(preview->pageView()->pagesDrawn(), drawn + 1) << "tried, and drew nothing";
    QCoreApplication::processEvents();  // the view tells the preview after its paint
    EXPECT_TRUE(preview->rowsGone());
    EXPECT_EQ(preview->pageCount(), 0u);
    EXPECT_EQ(preview->pageText(), QStringLiteral("No pages"));
    EXPECT_FALSE(preview->action("print")->isEnabled());
    EXPECT_FALSE(preview->action("nextPage")->isEnabled());
    EXPECT_TRUE(preview->messageText().contains(QStringLiteral("cleared or replaced")));
    EXPECT_EQ(preview->pageView()->keptPages(), 0u) << "no picture of the old pages stays";

    answerPrintToPdf(dir.filePath(QStringLiteral("gone.pdf")));
    preview->print();
    EXPECT_FALSE(preview->printing());
    EXPECT_EQ(dialogs.progress->opened, 0);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("gone.pdf"))));
}

TEST_F(Preview, TheWindowsResetNoticeEndsThePagesAtOnce) {
    appendRecords(table, 10);
    const auto preview = open();
    look(*preview);
    preview->checkRows();
    EXPECT_FALSE(preview->rowsGone()) << "nothing happened to the rows";
    table.clear();
    preview->checkRows();
    EXPECT_TRUE(preview->rowsGone());
    look(*preview);
    EXPECT_EQ(preview->pageView()->pagesDrawn(), 1u) << "no page is drawn any more";
}

TEST_F(Preview, PrinterSetupChoicesHoldForLaterPreviews) {
    appendRecords(table, 80);
    {
        const auto preview = open();
        dialogs.answerSetup = [](QPrinter& p, int) {
            p.setPageOrientation(QPageLayout::Landscape);
            return true;
        };
        preview->printerSetup();
        ASSERT_EQ(dialogs.setupPageCounts, (std::vector<int>{3}));
        EXPECT_EQ(preview->pageCount(), 4u) << "23 records a page on landscape paper";
        dialogs.answerSetup = [](QPrinter&, int) { return false; };  // cancelled
        preview->printerSetup();
        EXPECT_EQ(preview->pageCount(), 4u);
    }
    const auto later = open();
    EXPECT_EQ(later->pageCount(), 4u);
    EXPECT_EQ(printer.printer().pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_TRUE(printer.printer().fullPage()) << "the report keeps placing from the paper";
}

TEST_F(Preview, PrintsTheChosenPagesAndCopiesAtTheReportsPlaces) {
    appendRecords(table, 100);  // pages start with 1, 38 and 75
    const auto preview = open();
    const QString file = dir.filePath(QStringLiteral("copies.pdf"));
    answerPrintToPdf(file, 2, 3, 2);
    preview->print();  // no destination yet: the print dialog comes first
    EXPECT_EQ(dialogs.setupPageCounts.size(), 1u);
    ASSERT_TRUE(preview->printing());
    EXPECT_TRUE(dialogs.progress->open);
    EXPECT_FALSE(preview->action("print")->isEnabled());
    EXPECT_FALSE(preview->action("printerSetup")->isEnabled());
    timers.advance(0);
    EXPECT_EQ(dialogs.progress->done, 1u);
    EXPECT_EQ(dialogs.progress->total, 4u);
    runPrint(*preview);
    EXPECT_FALSE(dialogs.progress->open);
    EXPECT_EQ(preview->messageText(), QStringLiteral("Printed 4 pages."));
    EXPECT_TRUE(errors.empty());

    const auto pages = readPdfWords(file.toStdString());
    ASSERT_TRUE(pages.has_value());
    EXPECT_EQ(firstNumbers(*pages), (std::vector<std::string>{"38", "75", "38", "75"}));
    // The printer places the items as the PDF file does: from the paper, 10 mm in.
    const auto title = (*pages)[0].find("Report");
    ASSERT_EQ(title.size(), 1u);
    EXPECT_NEAR(title[0].top, 12.12, 0.05);
    EXPECT_NEAR((*pages)[0].find("The")[0].top, 280.65, 0.05);
}

TEST_F(Preview, CancelStopsAfterTheCurrentPage) {
    appendRecords(table, 100);
    const auto preview = open();
    const QString file = dir.filePath(QStringLiteral("cancelled.pdf"));
    answerPrintToPdf(file);
    preview->print();
    timers.advance(0);
    ASSERT_TRUE(dialogs.progress->cancel);
    dialogs.progress->cancel();
    EXPECT_TRUE(preview->printing()) << "the page in hand is finished first";
    timers.advance(0);
    EXPECT_FALSE(preview->printing());
    EXPECT_FALSE(dialogs.progress->open);
    EXPECT_EQ(preview->messageText(), QStringLiteral("Printing cancelled after 1 page."));
    const auto pages = readPdfWords(file.toStdString());
    ASSERT_TRUE(pages.has_value());
    EXPECT_EQ(firstNumbers(*pages), (std::vector<std::string>{"1"}));
    EXPECT_TRUE(preview->action("print")->isEnabled()) << "ready to print again";
}

TEST_F(Preview, ALogClearedWhilePrintingStopsTheRun) {
    appendRecords(table, 100);
    const auto preview = open();
    answerPrintToPdf(dir.filePath(QStringLiteral("stopped.pdf")));
    preview->print();
    timers.advance(0);
    table.clear();
    appendRecords(table, 100);
    timers.advance(0);
    EXPECT_FALSE(preview->printing());
    EXPECT_FALSE(dialogs.progress->open);
    EXPECT_TRUE(preview->rowsGone());
    EXPECT_EQ(preview->messageText(),
              QStringLiteral("Printing stopped: the log was cleared or replaced."));
    EXPECT_TRUE(errors.empty());
    const auto pages = readPdfWords(dir.filePath(QStringLiteral("stopped.pdf")).toStdString());
    if (pages) {
        EXPECT_LE(pages->size(), 1u) << "nothing printed after the clear";
    }
}

TEST_F(Preview, PrintAsksForADestinationFirstAndACancelledDialogPrintsNothing) {
    appendRecords(table, 10);
    printer.printer().setOutputFormat(QPrinter::PdfFormat);
    printer.printer().setOutputFileName(QString());
    const auto preview = open();
    preview->print();
    EXPECT_EQ(dialogs.setupPageCounts, (std::vector<int>{1}));
    EXPECT_FALSE(preview->printing());
    EXPECT_EQ(dialogs.progress->opened, 0);
}

TEST_F(Preview, APrinterThatDoesNotStartReachesTheGeneralErrorReport) {
    appendRecords(table, 10);
    const auto preview = open();
    answerPrintToPdf(dir.filePath(QStringLiteral("no/such/folder/out.pdf")));
    preview->print();
    EXPECT_FALSE(preview->printing());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Printing could not start on ")));
    EXPECT_EQ(dialogs.progress->opened, 0);
}

TEST_F(Preview, AnEmptyLogHasNoPageAndNothingToPrint) {
    const auto preview = open();
    look(*preview);
    EXPECT_EQ(preview->pageCount(), 0u);
    EXPECT_EQ(preview->pageText(), QStringLiteral("No pages"));
    EXPECT_FALSE(preview->action("print")->isEnabled());
    EXPECT_TRUE(preview->action("printerSetup")->isEnabled());
    EXPECT_EQ(preview->pageView()->pagesDrawn(), 0u);
    preview->print();
    EXPECT_TRUE(dialogs.setupPageCounts.empty());
}

TEST_F(Preview, ClosingTellsItsOwnerAndStopsARunKeepingItsPages) {
    appendRecords(table, 100);
    const auto preview = open();
    int closed = 0;
    preview->setOnClosed([&] { ++closed; });
    const QString file = dir.filePath(QStringLiteral("closed.pdf"));
    answerPrintToPdf(file);
    preview->print();
    timers.advance(0);
    timers.advance(0);
    preview->close();
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(preview->printing());
    EXPECT_FALSE(dialogs.progress->open);
    const auto pages = readPdfWords(file.toStdString());
    ASSERT_TRUE(pages.has_value());
    EXPECT_EQ(firstNumbers(*pages), (std::vector<std::string>{"1", "38"}));
}

TEST(PrintPlan, SheetsOfARangeCollatedOrNotAndInEitherOrder) {
    PrintPlan plan;
    plan.firstPage = 4;
    plan.lastPage = 6;
    plan.copies = 2;
    ASSERT_EQ(plan.sheetCount(), 6u);
    const auto sheets = [&plan] {
        std::vector<std::size_t> pages;
        for (std::size_t s = 0; s < plan.sheetCount(); ++s)
            pages.push_back(plan.pageOfSheet(s));
        return pages;
    };
    EXPECT_EQ(sheets(), (std::vector<std::size_t>{4, 5, 6, 4, 5, 6}));
    plan.lastPageFirst = true;
    EXPECT_EQ(sheets(), (std::vector<std::size_t>{6, 5, 4, 6, 5, 4}));
    plan.collate = false;
    EXPECT_EQ(sheets(), (std::vector<std::size_t>{6, 6, 5, 5, 4, 4}));
    plan.lastPageFirst = false;
    EXPECT_EQ(sheets(), (std::vector<std::size_t>{4, 4, 5, 5, 6, 6}));
}

TEST(ReportPrinterPlan, AChosenRangeStaysWithinTheReport) {
    reportTestApp();
    ReportPrinter printer;
    QPrinter& p = printer.printer();
    p.setOutputFormat(QPrinter::PdfFormat);  // makes no copies itself
    EXPECT_EQ(printer.plan(5).firstPage, 0u);
    EXPECT_EQ(printer.plan(5).lastPage, 4u);
    EXPECT_EQ(printer.plan(5).copies, 1);
    p.setPrintRange(QPrinter::PageRange);
    p.setFromTo(3, 9);
    p.setCopyCount(3);
    const PrintPlan clipped = printer.plan(5);
    EXPECT_EQ(clipped.firstPage, 2u);
    EXPECT_EQ(clipped.lastPage, 4u) << "a report that shrank since the range was chosen";
    EXPECT_EQ(clipped.copies, 3);
    const PrintPlan beyond = printer.plan(2);
    EXPECT_EQ(beyond.firstPage, 1u);
    EXPECT_EQ(beyond.lastPage, 1u);
    EXPECT_FALSE(beyond.lastPageFirst);
    p.setPageOrder(QPrinter::LastPageFirst);  // the dialog's "Reverse"
    EXPECT_TRUE(printer.plan(2).lastPageFirst);
}

}  // namespace
