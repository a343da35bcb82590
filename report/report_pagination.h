#pragma once

#include <cstddef>

#include "report/report_layout.h"

/// Where the records of a report fall: every page holds the page header, the column header,
/// as many detail bands as fit above the page footer, and the footer at the page's foot.
/// Pages are numbered from 0 here; the window shows them from 1.
struct ReportPagination {
    std::size_t recordCount = 0;
    /// Detail bands per page; at least 1, also on a page too short for one.
    std::size_t recordsPerPage = 1;

    /// No page at all for a report without records.
    std::size_t pageCount() const {
        return recordCount == 0 ? 0 : (recordCount - 1) / recordsPerPage + 1;
    }
    /// The record printed first on `page`, which must be below pageCount().
    std::size_t firstRecord(std::size_t page) const { return page * recordsPerPage; }
    /// Records on `page`: recordsPerPage except on the last page.
    std::size_t recordsOn(std::size_t page) const;
    /// The page that prints `record`, which must be below recordCount.
    std::size_t pageOf(std::size_t record) const { return record / recordsPerPage; }
};

/// Lays `recordCount` records out on pages whose printable area is `printableHeight` high.
ReportPagination paginate(std::size_t recordCount, Hmm printableHeight,
                          const BandHeights& bands = kReportBands);
