#include "report/report_preview.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

#include "report/page_view.h"
#include "report/print_job.h"
#include "report/report_dialogs.h"
#include "report/report_printer.h"
#include "ui/window_icons.h"

namespace {

const QString kNoRecordsText = QStringLiteral("The log holds no records: the report has no pages.");
const QString kRowsGoneText = QStringLiteral(
    "The log was cleared or replaced after these pages were prepared: close the preview and "
    "print again.");

QString pages(std::size_t n) {
    return n == 1 ? QStringLiteral("1 page") : QStringLiteral("%1 pages").arg(n);
}

QString destinationOf(const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName()
                                                         : printer.printerName();
}

}  // namespace

ReportPreview::ReportPreview(ReportRows rows, ReportPrinter& printer, ReportDialogs& dialogs,
                             Timers& timers, ErrorReporter reportError, QWidget* owner)
    : QWidget(owner, Qt::Window),
      m_report(rows),
      m_printer(printer),
      m_dialogs(dialogs),
      m_timers(timers),
      m_reportError(std::move(reportError)) {
    setObjectName(QStringLiteral("PrintPreview"));
    setWindowTitle(QStringLiteral("Print Preview"));
    // The program ends with its main window, whether or not a preview is open.
    setAttribute(Qt::WA_QuitOnClose, false);

    m_view =
        new PageView([this](QPainter& painter,
                            std::size_t page) { return m_report.drawPage(painter, m_frame, page); },
                     this);
    m_view->setObjectName(QStringLiteral("pageView"));
    m_view->setOnCurrentPageChanged([this] { showState(); });
    m_view->setOnPageUnavailable([this] { checkRows(); });
    buildToolBar();

    auto* status = new QStatusBar(this);
    status->setSizeGripEnabled(false);
    m_preparation = new QLabel(status);
    m_preparation->setObjectName(QStringLiteral("preparation"));
    m_messageLabel = new QLabel(status);
    m_messageLabel->setObjectName(QStringLiteral("message"));
    m_page = new QLabel(status);
    m_page->setObjectName(QStringLiteral("pageNumber"));
    status->addWidget(m_preparation);
    status->addWidget(m_messageLabel, 1);
    status->addPermanentWidget(m_page);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_toolBar);
    column->addWidget(m_view, 1);
    column->addWidget(status);

    QSize size(760, 980);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableGeometry().size() - QSize(40, 60));
    }
    resize(size);

    layOut();
    zoomToFit();
}

ReportPreview::~ReportPreview() = default;

void ReportPreview::buildToolBar() {
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("previewToolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const auto add = [this](const char* name, const QString& text, const QString& tip,
                            void (ReportPreview::*command)()) {
        QAction* action = m_toolBar->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(tip);
        connect(action, &QAction::triggered, this, command);
        return action;
    };
    auto* zooms = new QActionGroup(this);
    for (QAction* zoom : {add("zoomFit", QStringLiteral("Fit"), QStringLiteral("Zoom to fit"),
                              &ReportPreview::zoomToFit),
                          add("zoom100", QStringLiteral("100%"), QStringLiteral("Zoom to 100%"),
                              &ReportPreview::zoomTo100),
                          add("zoomWidth", QStringLiteral("Width"), QStringLiteral("Zoom to width"),
                              &ReportPreview::zoomToWidth)}) {
        zoom->setCheckable(true);
        zooms->addAction(zoom);
    }
    m_toolBar->addSeparator();
    add("firstPage", QStringLiteral("|<"), QStringLiteral("First page"), &ReportPreview::firstPage);
    add("previousPage", QStringLiteral("<"), QStringLiteral("Previous page"),
        &ReportPreview::previousPage);
    add("nextPage", QStringLiteral(">"), QStringLiteral("Next page"), &ReportPreview::nextPage);
    add("lastPage", QStringLiteral(">|"), QStringLiteral("Last page"), &ReportPreview::lastPage);
    m_toolBar->addSeparator();
    add("printerSetup", QStringLiteral("Printer setup"),
        QStringLiteral("Choose the printer, orientation, copies and pages"),
        &ReportPreview::printerSetup);
    QAction* print =
        add("print", QStringLiteral("Print"), QStringLiteral("Print"), &ReportPreview::print);
    print->setIcon(window_icons::print());
    print->setShortcut(QKeySequence::Print);
    m_toolBar->addSeparator();
    QAction* close = m_toolBar->addAction(QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("close"));
    close->setShortcut(Qt::Key_Escape);
    connect(close, &QAction::triggered, this, &QWidget::close);
}

QAction* ReportPreview::action(const char* name) const {
    return m_toolBar->findChild<QAction*>(QString::fromLatin1(name));
}

void ReportPreview::setOnClosed(std::function<void()> callback) {
    m_onClosed = std::move(callback);
}

void ReportPreview::layOut() {
    m_frame = m_printer.pageFrame();
    m_pageCount = m_report.paginate(m_frame).pageCount();
    m_view->setPaper(QSizeF(m_frame.paperWidth / 100.0, m_frame.paperHeight / 100.0));
    m_view->setPageCount(m_rowsGone ? 0 : m_pageCount);
    m_view->setMessage(m_rowsGone ? kRowsGoneText
                                  : (m_pageCount == 0 ? kNoRecordsText : QString()));
    showState();
}

void ReportPreview::checkRows() {
    if (m_rowsGone || m_report.rows().intact()) return;
    // A print run finds out itself before its next sheet.
    m_rowsGone = true;
    m_view->setPageCount(0);
    m_view->setMessage(kRowsGoneText);
    m_message = QStringLiteral("The log was cleared or replaced.");
    showState();
}

void ReportPreview::showState() {
    const std::size_t pages = m_rowsGone ? 0 : m_pageCount;
    const std::size_t current = m_view->currentPage();
    m_preparation->setText(QStringLiteral("Preparing pages: 100%"));
    m_page->setText(pages == 0 ? QStringLiteral("No pages")
                               : QStringLiteral("Page %1 of %2").arg(current + 1).arg(pages));
    m_messageLabel->setText(m_message);
    const bool busy = printing();
    action("firstPage")->setEnabled(pages > 0 && current > 0);
    action("previousPage")->setEnabled(pages > 0 && current > 0);
    action("nextPage")->setEnabled(current + 1 < pages);
    action("lastPage")->setEnabled(current + 1 < pages);
    action("printerSetup")->setEnabled(!busy);
    action("print")->setEnabled(!busy && pages > 0);
    action("zoomFit")->setChecked(m_view->zoomMode() == ZoomMode::Fit);
    action("zoom100")->setChecked(m_view->zoomMode() == ZoomMode::Actual);
    action("zoomWidth")->setChecked(m_view->zoomMode() == ZoomMode::Width);
}

void ReportPreview::zoomToFit() {
    m_view->setZoomMode(ZoomMode::Fit);
    showState();
}

void ReportPreview::zoomTo100() {
    m_view->setZoomMode(ZoomMode::Actual);
    showState();
}

void ReportPreview::zoomToWidth() {
    m_view->setZoomMode(ZoomMode::Width);
    showState();
}

void ReportPreview::firstPage() {
    m_view->setCurrentPage(0);
}

void ReportPreview::previousPage() {
    if (m_view->currentPage() > 0) m_view->setCurrentPage(m_view->currentPage() - 1);
}

void ReportPreview::nextPage() {
    m_view->setCurrentPage(m_view->currentPage() + 1);
}

void ReportPreview::lastPage() {
    if (m_view->pageCount() > 0) m_view->setCurrentPage(m_view->pageCount() - 1);
}

void ReportPreview::printerSetup() {
    if (printing()) return;
    const int pages = static_cast<int>(std::min<std::size_t>(std::max<std::size_t>(m_pageCount, 1),
                                                             std::numeric_limits<int>::max()));
    if (!m_dialogs.printSetup(this, m_printer.printer(), pages)) return;
    m_printer.keepReportPage();
    layOut();
}

void ReportPreview::print() {
    checkRows();
    if (printing() || m_rowsGone || m_pageCount == 0) return;
    if (!m_printer.hasDestination()) {
        printerSetup();
        if (!m_printer.hasDestination() || m_pageCount == 0) return;
    }
    const PrintPlan plan = m_printer.plan(m_pageCount);
    PrintJob::Events events;
    events.progress = [this](std::size_t done, std::size_t total) {
        if (m_progress) m_progress->setProgress(done, total);
        m_message = QStringLiteral("Printing: page %1 of %2").arg(done).arg(total);
        showState();
    };
    events.finished = [this](PrintOutcome outcome) { printFinished(outcome); };
    m_job = std::make_unique<PrintJob>(m_report, m_printer.printer(), m_frame, plan, m_timers,
                                       std::move(events));
    if (!m_job->start()) {
        m_job.reset();
        m_reportError(QStringLiteral("Printing could not start on %1")
                          .arg(destinationOf(m_printer.printer())));
        return;
    }
    m_message = QStringLiteral("Printing: page 0 of %1").arg(plan.sheetCount());
    m_progress = m_dialogs.printProgress(this, [this] {
        if (m_job) m_job->cancel();
    });
    if (m_progress) m_progress->setProgress(0, plan.sheetCount());
    showState();
}

void ReportPreview::printFinished(PrintOutcome outcome) {
    m_progress.reset();
    const std::size_t done = m_job ? m_job->sheetsDone() : 0;
    switch (outcome) {
        case PrintOutcome::Printed:
            m_message = QStringLiteral("Printed %1.").arg(pages(done));
            break;
        case PrintOutcome::Cancelled:
            m_message = QStringLiteral("Printing cancelled after %1.").arg(pages(done));
            break;
        case PrintOutcome::RowsGone:
            checkRows();
            m_message = QStringLiteral("Printing stopped: the log was cleared or replaced.");
            break;
        case PrintOutcome::Failed:
            m_message = QStringLiteral("Printing failed.");
            m_reportError(
                QStringLiteral("Printing failed on %1").arg(destinationOf(m_printer.printer())));
            break;
    }
    showState();
}

bool ReportPreview::printing() const {
    return m_job && m_job->running();
}

std::size_t ReportPreview::pageCount() const {
    return m_rowsGone ? 0 : m_pageCount;
}

std::size_t ReportPreview::currentPage() const {
    return m_view->currentPage();
}

QString ReportPreview::preparationText() const {
    return m_preparation->text();
}

QString ReportPreview::pageText() const {
    return m_page->text();
}

QString ReportPreview::messageText() const {
    return m_messageLabel->text();
}

void ReportPreview::closeEvent(QCloseEvent* event) {
    // A run still going stops here; what it printed stands.
    m_job.reset();
    m_progress.reset();
    QWidget::closeEvent(event);
    const auto closed = m_onClosed;
    if (closed) closed();
}
