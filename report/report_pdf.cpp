#include "report/report_pdf.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>

#include "report/data_report.h"
#include "report/report_page_setup.h"

ReportPdfResult writeReportPdf(const LogTable& table, const QString& fileName) {
    ReportPdfResult result;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        result.error = file.errorString();
        return result;
    }
    const DataReport1 report{ReportRows(table)};
    {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("VXM-90"));
        writer.setTitle(QString::fromLatin1(kTitleText));
        // No margins on the device: the report draws its own from the paper's corner.
        QPageLayout page = reportPageLayout();
        page.setMinimumMargins(QMarginsF());
        page.setMargins(QMarginsF());
        writer.setPageLayout(page);
        if (!printReport(report, writer)) {
            result.error = QStringLiteral("the report could not be drawn");
            file.cancelWriting();
            return result;
        }
        result.pages = report.paginate(pageFrame(writer.pageLayout())).pageCount();
    }
    if (!file.commit()) {
        result.error = file.errorString();
        return result;
    }
    result.ok = true;
    return result;
}
