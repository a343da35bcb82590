#include "report/data_report.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPalette>

#include <cmath>

#include "ui/ansi_text.h"
#include "ui/unit_symbols.h"

namespace {

constexpr double kPointSize = 10.0;

QFont pointFont(const char* family) {
    QFont font(QString::fromLatin1(family));
    font.setPointSizeF(kPointSize);
    return font;
}

Hmm toHmm(double millimetres) {
    return static_cast<Hmm>(std::lround(millimetres * 100.0));
}

// Hundredths of a millimetre to device pixels along one axis.
class Scale {
public:
    explicit Scale(int dotsPerInch) : m_perHmm(dotsPerInch / 2540.0) {}
    double operator()(Hmm length) const { return length * m_perHmm; }

private:
    double m_perHmm;
};

}  // namespace

PageFrame pageFrame(const QPageLayout& layout) {
    const QRectF paper = layout.fullRect(QPageLayout::Millimeter);
    return {toHmm(paper.width()), toHmm(paper.height()), kPageMargin};
}

DataReport1::DataReport1(ReportRows rows)
    : m_rows(rows),
      m_reportFont(pointFont("QMEX-A2")),
      m_arial(pointFont("Arial")),
      m_calibri(pointFont("Calibri")),
      m_windowText(QGuiApplication::palette().color(QPalette::WindowText)) {
    for (std::size_t i = 0; i < kReportColumns.size(); ++i) {
        const ReportColumn& c = kReportColumns[i];
        m_columns[i] = {QString::fromLatin1(c.heading), c.headingLeft, findLogField(c.fieldName),
                        c.detailLeft, c.face};
    }
}

ReportPagination DataReport1::paginate(const PageFrame& frame) const {
    return ::paginate(m_rows.size(), frame.printableHeight());
}

const QFont& DataReport1::faceFont(DetailFace face) const {
    switch (face) {
        case DetailFace::Arial:
            return m_arial;
        case DetailFace::Calibri:
            return m_calibri;
        case DetailFace::Report:
            break;
    }
    return m_reportFont;
}

QColor DataReport1::faceColour(DetailFace face) const {
    return face == DetailFace::Calibri ? QColor(Qt::black) : m_windowText;
}

QString DataReport1::fieldText(std::size_t row, LogField field) const {
    const LogTable& table = m_rows.table();
    if (isIntegerField(field)) {
        const auto value = table.integer(row, field);
        return value ? QString::number(*value) : QString();
    }
    const auto text = table.text(row, field);
    if (!text) return {};
    return field == LogField::Unit ? unitSymbolText(*text) : ansiToQString(*text);
}

bool DataReport1::drawPage(QPainter& painter, const PageFrame& frame, std::size_t page) const {
    if (!m_rows.intact()) return false;
    const ReportPagination pages = paginate(frame);
    if (page >= pages.pageCount()) return false;
    const Scale x(painter.device()->logicalDpiX());
    const Scale y(painter.device()->logicalDpiY());

    painter.save();
    // Items are single lines placed by the top of their text, as a label is. Fonts change
    // only where the face does.
    std::optional<DetailFace> current;
    double ascent = 0;
    const auto use = [&](DetailFace face) {
        if (current == face) return;
        current = face;
        painter.setFont(faceFont(face));
        painter.setPen(faceColour(face));
        ascent = QFontMetricsF(painter.font(), painter.device()).ascent();
    };
    // Places are given from the margins.
    const auto drawAt = [&](Hmm left, Hmm top, const QString& text) {
        painter.drawText(QPointF(x(frame.margin + left), y(frame.margin + top) + ascent), text);
    };
    use(DetailFace::Report);

    // Page header: the title centred across the band in its box.
    const QRectF titleBox(x(frame.margin + (frame.printableWidth() - kTitleWidth) / 2),
                          y(frame.margin + kTitleTop), x(kTitleWidth), y(kTitleHeight));
    painter.drawText(titleBox, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip,
                     QString::fromLatin1(kTitleText));

    // Column header.
    const Hmm columnHeaderTop = kReportBands.pageHeader;
    for (const Column& column : m_columns)
        drawAt(column.headingLeft, columnHeaderTop + kHeadingTop, column.heading);

    // Detail bands, one per record, in table order; a field without value prints nothing.
    const Hmm detailsTop = columnHeaderTop + kReportBands.columnHeader;
    const std::size_t first = pages.firstRecord(page);
    const std::size_t count = pages.recordsOn(page);
    for (std::size_t i = 0; i < count; ++i) {
        const Hmm textTop = detailsTop + static_cast<Hmm>(i) * kReportBands.detail + kDetailTextTop;
        for (const Column& column : m_columns) {
            if (!column.field) continue;
            const QString text = fieldText(first + i, *column.field);
            if (text.isEmpty()) continue;
            use(column.face);
            drawAt(column.detailLeft, textTop, text);
        }
    }

    // Page footer at the foot of the page.
    use(DetailFace::Report);
    drawAt(kFooterLeft, frame.printableHeight() - kReportBands.pageFooter + kFooterTop,
           QString::fromLatin1(kFooterText));
    painter.restore();
    return true;
}

bool printReport(const DataReport1& report, QPagedPaintDevice& device) {
    const PageFrame frame = pageFrame(device.pageLayout());
    const std::size_t pageCount = report.paginate(frame).pageCount();
    QPainter painter;
    if (!painter.begin(&device)) return false;
    for (std::size_t page = 0; page < pageCount; ++page) {
        if (page > 0 && !device.newPage()) return false;
        if (!report.drawPage(painter, frame, page)) return false;
    }
    return painter.end();
}
