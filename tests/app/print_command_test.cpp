// The Print command of the log bar: the report's preview beside the running window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QPrinter>
#include <QTemporaryDir>
#include <QToolButton>

#include <string>

#include "app/grid/log_grid_model.h"
#include "app/grid/log_grid_view.h"
#include "app/grid/log_panel.h"
#include "files/data_files.h"
#include "log/log_table.h"
#include "report/report_preview.h"
#include "tests/support/pdf_words.h"
#include "window_test_support.h"

namespace {

class CountPaints : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

class PrintCommand : public testing::Test, public WindowFixture {
protected:
    TFCOMM& w() { return *window; }
    void feedReadings(int count) {
        for (int i = 0; i < count; ++i)
            feed(dcVolts(i % 2 == 0 ? "0599" : "0600"));
    }
    void clickPrint() { w().Panel2()->BtPrint()->click(); }
    // Delivers what the windows have posted (paints among it); no time passes.
    static void settle() {
        for (int pass = 0; pass < 10; ++pass)
            QCoreApplication::processEvents();
    }
    int previewsOpen() {
        return static_cast<int>(w().findChildren<QWidget*>(QStringLiteral("PrintPreview")).size());
    }
};

TEST_F(PrintCommand, OpensOnePreviewAtATimeBesideAWindowThatGoesOnLogging) {
    w().show();
    feedReadings(3);
    clickPrint();
    ReportPreview* preview = w().reportPreview();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_TRUE(preview->isWindow());
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("Print Preview"));
    EXPECT_FALSE(preview->isModal());
    EXPECT_FALSE(preview->testAttribute(Qt::WA_QuitOnClose)) << "the program ends with its window";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the main window is not blocked";
    EXPECT_EQ(preview->pageCount(), 1u);

    clickPrint();
    EXPECT_EQ(w().reportPreview(), preview);
    EXPECT_EQ(previewsOpen(), 1);

    feedReadings(40);  // readings keep being logged behind the preview
    EXPECT_EQ(w().gridModel()->rowCount(), 43);
    EXPECT_EQ(preview->report().rows().size(), 3u) << "the pages are those of the first three";
    EXPECT_EQ(preview->pageCount(), 1u);
}

TEST_F(PrintCommand, AfterThePreviewTheLastRecordIsCurrentAndTheWholeWindowRepaints) {
    w().show();
    feedReadings(5);
    clickPrint();
    ReportPreview* preview = w().reportPreview();
    ASSERT_NE(preview, nullptr);
    feedReadings(2);
    w().DBGrid1()->setCurrentRow(0);

    // The top bar changes with nothing here: it repaints only when the whole window does.
    CountPaints counter;
    w().Panel5()->installEventFilter(&counter);
    settle();
    counter.paints = 0;
    settle();
    ASSERT_EQ(counter.paints, 0) << "nothing is pending";
    clickPrint();  // a preview is open: this only repaints
    settle();
    EXPECT_GT(counter.paints, 0);
    EXPECT_EQ(w().DBGrid1()->currentRow(), 0) << "nothing else happened";

    counter.paints = 0;
    preview->close();
    EXPECT_EQ(w().reportPreview(), nullptr);
    EXPECT_EQ(w().DBGrid1()->currentRow(), 6) << "the last record of the log";
    settle();
    EXPECT_GT(counter.paints, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(previewsOpen(), 0) << "a closed preview is gone";

    clickPrint();
    ASSERT_NE(w().reportPreview(), nullptr) << "and Print opens a new one";
    EXPECT_EQ(w().reportPreview()->report().rows().size(), 7u);
}

TEST_F(PrintCommand, ClearingTheLogWithdrawsThePreviewsPages) {
    feedReadings(3);
    clickPrint();
    ReportPreview* preview = w().reportPreview();
    ASSERT_NE(preview, nullptr);
    dialogs.confirmAnswer = true;
    w().RecordNewClick();
    EXPECT_TRUE(preview->rowsGone());
    EXPECT_EQ(preview->pageCount(), 0u);
    feedReadings(3);  // as many rows as before, but other rows
    EXPECT_TRUE(preview->rowsGone());
}

TEST_F(PrintCommand, OpeningAnXmlFileWithdrawsThePreviewsPagesAndATextFileDoesNot) {
    QTemporaryDir dir;
    LogTable saved;
    LogRecord record;
    record.No = 1;
    record.Value = "1.000";
    saved.append(record);
    const QString xml = dir.filePath(QStringLiteral("log.xml"));
    const QString text = dir.filePath(QStringLiteral("log.txt"));
    ASSERT_TRUE(saveTableFile(saved, xml.toStdString()).ok);
    ASSERT_TRUE(saveTableFile(saved, text.toStdString()).ok);

    feedReadings(3);
    clickPrint();
    ReportPreview* preview = w().reportPreview();
    ASSERT_NE(preview, nullptr);
    dialogs.openAnswers.push_back(FileDialogResult{text, 2});
    w().SpeedButton2Click();  // a text file's records are added behind the log's
    EXPECT_EQ(w().gridModel()->rowCount(), 4);
    EXPECT_FALSE(preview->rowsGone());
    dialogs.openAnswers.push_back(FileDialogResult{xml, 1});
    w().SpeedButton2Click();  // an XML file replaces the log
    EXPECT_EQ(w().gridModel()->rowCount(), 1);
    EXPECT_TRUE(preview->rowsGone());
}

TEST_F(PrintCommand, PrintsThePreviewsPagesThroughTheWindowsTimers) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("printed.pdf"));
    reportDialogs.answerSetup = [file](QPrinter& printer, int) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        return true;
    };
    feedReadings(40);
    clickPrint();
    ReportPreview* preview = w().reportPreview();
    ASSERT_NE(preview, nullptr);
    preview->print();
    ASSERT_TRUE(preview->printing());
    feedReadings(5);  // the window takes readings while printing
    timers.advance(0);
    timers.advance(0);
    EXPECT_FALSE(preview->printing());
    const auto pages = readPdfWords(file.toStdString());
    ASSERT_TRUE(pages.has_value());
    ASSERT_EQ(pages->size(), 2u);
    EXPECT_EQ((*pages)[1].find("pass").size(), 3u) << "records 38 to 40";
    EXPECT_TRUE(dialogs.applicationErrors.empty());
}

}  // namespace
