#include "report/report_printer.h"

#include <algorithm>

#include "report/report_layout.h"
#include "report/report_page_setup.h"

std::size_t PrintPlan::pageOfSheet(std::size_t sheet) const {
    const auto n = static_cast<std::size_t>(copies);
    const std::size_t step = collate ? sheet % pagesInRange() : sheet / n;
    return lastPageFirst ? lastPage - step : firstPage + step;
}

ReportPrinter::ReportPrinter() : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    m_printer->setPageLayout(reportPageLayout());
    m_printer->setFullPage(true);
    m_printer->setCopyCount(1);
    m_printer->setPrintRange(QPrinter::AllPages);
    m_printer->setDocName(QString::fromLatin1(kTitleText));
}

void ReportPrinter::keepReportPage() {
    const double margin = kPageMargin / 100.0;
    m_printer->setPageMargins(QMarginsF(margin, margin, margin, margin), QPageLayout::Millimeter);
    m_printer->setFullPage(true);
}

PageFrame ReportPrinter::pageFrame() const {
    return ::pageFrame(m_printer->pageLayout());
}

bool ReportPrinter::hasDestination() const {
    if (m_printer->outputFormat() == QPrinter::PdfFormat) {
        return !m_printer->outputFileName().isEmpty();
    }
    return m_printer->isValid() && !m_printer->printerName().isEmpty();
}

PrintPlan ReportPrinter::plan(std::size_t pageCount) const {
    PrintPlan plan;
    const std::size_t last = std::max<std::size_t>(pageCount, 1) - 1;
    plan.lastPage = last;
    if (m_printer->printRange() == QPrinter::PageRange && m_printer->fromPage() > 0) {
        const auto from = static_cast<std::size_t>(m_printer->fromPage()) - 1;
        const auto to = static_cast<std::size_t>(std::max(m_printer->toPage(), 1)) - 1;
        plan.firstPage = std::min(from, last);
        plan.lastPage = std::clamp(to, plan.firstPage, last);
    }
    // A printer that cannot make copies itself gets them from us.
    if (!m_printer->supportsMultipleCopies()) plan.copies = std::max(m_printer->copyCount(), 1);
    plan.collate = m_printer->collateCopies();
    plan.lastPageFirst = m_printer->pageOrder() == QPrinter::LastPageFirst;
    return plan;
}
