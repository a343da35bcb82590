#pragma once

#include <QWidget>

#include <cstddef>
#include <functional>
#include <memory>

#include "report/data_report.h"
#include "report/report_rows.h"
#include "ui/error_report.h"

class PageView;
class PrintJob;
enum class PrintOutcome;
class PrintProgress;
class QAction;
class QLabel;
class QToolBar;
class ReportDialogs;
class ReportPrinter;
class Timers;

/// The print preview window of the report: a top-level window captioned "Print Preview" that
/// does not block the window it belongs to. It shows the pages of the rows given to it, one at
/// a time, drawn only when shown (see PageView); zoom to fit, 100 % and to width; first,
/// previous, next and last page; printer setup and print; a status line with the preparation
/// and the page number.
///
/// When the log is cleared or replaced the rows are gone (ReportRows::intact): the preview
/// then shows no page and prints none, a print run stops, and it says so until it is closed.
/// GUI thread only; the printer, dialogs and timers must outlive it.
class ReportPreview : public QWidget {
public:
    ReportPreview(ReportRows rows, ReportPrinter& printer, ReportDialogs& dialogs, Timers& timers,
                  ErrorReporter reportError, QWidget* owner);
    ~ReportPreview() override;

    /// Called once the window has been closed.
    void setOnClosed(std::function<void()> callback);
    /// Looks whether the log still holds the rows; to be called when the log was reset.
    void checkRows();

    // Commands of the tool bar.
    void zoomToFit();
    void zoomTo100();
    void zoomToWidth();
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void printerSetup();
    void print();

    // State, for the window and tests.
    std::size_t pageCount() const;
    /// From 0.
    std::size_t currentPage() const;
    bool rowsGone() const { return m_rowsGone; }
    bool printing() const;
    QString preparationText() const;
    QString pageText() const;
    QString messageText() const;
    PageView* pageView() const { return m_view; }
    const DataReport1& report() const { return m_report; }
    /// The tool bar's actions by name: "zoomFit", "zoom100", "zoomWidth", "firstPage",
    /// "previousPage", "nextPage", "lastPage", "printerSetup", "print", "close".
    QAction* action(const char* name) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolBar();
    void layOut();
    void showState();
    void printFinished(PrintOutcome outcome);

    DataReport1 m_report;
    ReportPrinter& m_printer;
    ReportDialogs& m_dialogs;
    Timers& m_timers;
    ErrorReporter m_reportError;
    PageFrame m_frame;
    std::size_t m_pageCount = 0;
    bool m_rowsGone = false;
    QString m_message;
    std::function<void()> m_onClosed;

    QToolBar* m_toolBar = nullptr;
    PageView* m_view = nullptr;
    QLabel* m_preparation = nullptr;
    QLabel* m_page = nullptr;
    QLabel* m_messageLabel = nullptr;
    std::unique_ptr<PrintProgress> m_progress;
    std::unique_ptr<PrintJob> m_job;  // after the report and printer it prints with
};
