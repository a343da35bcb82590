#pragma once

#include <QPrinter>

#include <cstddef>
#include <memory>

#include "report/data_report.h"

/// The pages of one print run, numbered from 0, and how many times each is printed by us.
struct PrintPlan {
    std::size_t firstPage = 0;
    std::size_t lastPage = 0;    ///< inclusive
    int copies = 1;              ///< copies we print ourselves (1 when the printer makes them)
    bool collate = true;         ///< whole sets one after the other, else each page n times
    bool lastPageFirst = false;  ///< each set from its last page back to its first

    std::size_t pagesInRange() const { return lastPage - firstPage + 1; }
    std::size_t sheetCount() const { return pagesInRange() * static_cast<std::size_t>(copies); }
    /// The page printed as the `sheet`-th sheet (from 0), below sheetCount().
    std::size_t pageOfSheet(std::size_t sheet) const;
};

/// The printer of the report and the choices made in the print dialog: printer, orientation,
/// copies and page range. Made once and kept for the rest of the run, so the choices hold for
/// every later preview; nothing of it is stored. At first A4 portrait with 10 mm margins,
/// one copy, all pages. The printer is in full-page mode: the report places its items from
/// the paper's corner with its own margins. GUI thread only.
class ReportPrinter {
public:
    ReportPrinter();
    ReportPrinter(const ReportPrinter&) = delete;
    ReportPrinter& operator=(const ReportPrinter&) = delete;

    QPrinter& printer() { return *m_printer; }
    const QPrinter& printer() const { return *m_printer; }

    /// Puts the report's margins and the full-page mode back after the print dialog, which may
    /// bring a printer's own.
    void keepReportPage();
    /// The report's page on the paper now chosen (orientation included).
    PageFrame pageFrame() const;
    /// True when printing has somewhere to go: a printer, or a file for PDF output.
    bool hasDestination() const;
    /// The run for a report of `pageCount` pages (at least 1): the chosen range within it.
    PrintPlan plan(std::size_t pageCount) const;

private:
    std::unique_ptr<QPrinter> m_printer;
};
