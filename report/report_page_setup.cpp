#include "report/report_page_setup.h"

#include <QMarginsF>
#include <QPageSize>

#include "report/report_layout.h"

QPageLayout reportPageLayout() {
    const double margin = kPageMargin / 100.0;
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(margin, margin, margin, margin), QPageLayout::Millimeter);
}
