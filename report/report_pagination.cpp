#include "report/report_pagination.h"

#include <algorithm>

std::size_t ReportPagination::recordsOn(std::size_t page) const {
    const std::size_t first = firstRecord(page);
    if (first >= recordCount) return 0;
    return std::min(recordsPerPage, recordCount - first);
}

ReportPagination paginate(std::size_t recordCount, Hmm printableHeight, const BandHeights& bands) {
    ReportPagination pages;
    pages.recordCount = recordCount;
    const Hmm forDetails =
        printableHeight - bands.pageHeader - bands.columnHeader - bands.pageFooter;
    if (bands.detail > 0 && forDetails >= bands.detail) {
        pages.recordsPerPage = static_cast<std::size_t>(forDetails / bands.detail);
    }
    return pages;
}
