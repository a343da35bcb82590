#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <array>
#include <cstddef>
#include <optional>

#include "log/log_table.h"
#include "report/report_layout.h"
#include "report/report_pagination.h"
#include "report/report_rows.h"

class QPageLayout;
class QPagedPaintDevice;
class QPainter;

/// A page of the report: the paper, in hundredths of a millimetre, with the report's margins.
struct PageFrame {
    Hmm paperWidth = kPaperWidth;
    Hmm paperHeight = kPaperHeight;
    Hmm margin = kPageMargin;

    Hmm printableWidth() const { return paperWidth - 2 * margin; }
    Hmm printableHeight() const { return paperHeight - 2 * margin; }
    bool operator==(const PageFrame&) const = default;
};

/// The paper of a page layout (its size in its orientation), to the nearest 0.01 mm, with the
/// report's own 10 mm margins whatever margins the layout has.
PageFrame pageFrame(const QPageLayout& layout);

/// The printed report of the log: a page header with the title, the column headings, one
/// detail line per record and the page footer on every page. The one painter of the report: it
/// draws onto any paint device (a printer, a PDF writer, a preview's page image), so every
/// output shows the same pages. Band heights and item places are fixed in millimetres; the
/// printable area's height decides how many records a page holds. GUI thread only.
class DataReport1 {
public:
    explicit DataReport1(ReportRows rows);

    const ReportRows& rows() const { return m_rows; }
    /// The report's pages on pages of this frame.
    ReportPagination paginate(const PageFrame& frame) const;

    /// Draws `page` (from 0) of the report laid out on `frame`. The painter is active on any
    /// device; its origin is the paper's top-left corner (a printer in full-page mode, a PDF
    /// writer without margins, a page image) and its unit the device's pixel at the device's
    /// logical resolution. The margins are the report's, so every device places the items
    /// alike, to the device's pixel. Draws nothing and returns false when the rows are no
    /// longer intact or the page does not exist.
    bool drawPage(QPainter& painter, const PageFrame& frame, std::size_t page) const;

private:
    struct Column {
        QString heading;
        Hmm headingLeft;
        std::optional<LogField> field;
        Hmm detailLeft;
        DetailFace face;
    };

    QString fieldText(std::size_t row, LogField field) const;
    const QFont& faceFont(DetailFace face) const;
    QColor faceColour(DetailFace face) const;

    ReportRows m_rows;
    std::array<Column, kReportColumns.size()> m_columns;
    QFont m_reportFont;
    QFont m_arial;
    QFont m_calibri;
    QColor m_windowText;
};

/// Draws every page of the report onto a paged device whose origin is the paper's corner (a
/// PDF writer without margins, a printer in full-page mode), on the paper of the device's page
/// layout. An empty report still makes the device's one blank page. Returns false when the
/// painter could not begin or the rows went away on the way.
bool printReport(const DataReport1& report, QPagedPaintDevice& device);
