#include "app/chart/chart_view.h"

#include <qcustomplot.h>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace {

// The left axis shows four minor ticks between major ones, whatever the step.
class FourMinorTicks : public QCPAxisTicker {
protected:
    int getSubTickCount(double) override { return 4; }
};

QFont chartFont(int pixels) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(pixels);
    return font;
}

}  // namespace

ChartView::ChartView(QWidget* parent)
    : QFrame(parent),
      m_plot(new QCustomPlot(this)),
      m_data(QSharedPointer<QCPGraphDataContainer>::create()) {
    setObjectName(QStringLiteral("Chtshow"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setGeometry(kStartGeometry);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_plot);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 221, 248));
    setPalette(pal);
    setAutoFillBackground(true);

    QLinearGradient gradient(0, 0, 0, 1);
    gradient.setCoordinateMode(QGradient::ObjectMode);
    gradient.setColorAt(0, QColor(192, 192, 192));
    gradient.setColorAt(1, Qt::white);
    m_plot->setBackground(QBrush(gradient));
    m_plot->axisRect()->setBackground(Qt::white);
    m_plot->setInteractions({});
    m_plot->legend->setVisible(false);
    // The title is two blanks: it shows nothing but keeps its row above the plot.
    QFont titleFont = chartFont(13);
    m_plot->plotLayout()->insertRow(0);
    auto* title = new QCPTextElement(m_plot, QStringLiteral("  "), titleFont);
    title->setTextColor(Qt::blue);
    m_plot->plotLayout()->addElement(0, 0, title);

    QCPAxis* bottom = m_plot->xAxis;
    bottom->setLabel(QStringLiteral("Record Number"));
    bottom->setLabelFont(chartFont(11));
    bottom->setTickLabelFont(chartFont(11));

    QCPAxis* left = m_plot->yAxis;
    left->setLabel(QStringLiteral("Value"));
    left->setLabelFont(chartFont(11));
    left->setTickLabelFont(chartFont(11));
    left->setBasePen(QPen(QColor(0, 64, 128), 1, Qt::DashLine));
    left->setTickLength(0, 3);
    left->setSubTickLength(0, 3);
    left->setTicker(QSharedPointer<FourMinorTicks>::create());

    // Series2: area filled in the series colour under a blue line.
    QCPGraph* area = m_plot->addGraph(bottom, left);
    area->setName(QStringLiteral("Series2"));
    area->setPen(QPen(QColor(0, 128, 255)));
    area->setBrush(QColor(255, 255, 128));
    // Series1: a plain line.
    QCPGraph* line = m_plot->addGraph(bottom, left);
    line->setName(QStringLiteral("Series1"));
    line->setPen(QPen(QColor(128, 255, 0)));
    line->setBrush(Qt::NoBrush);
    m_graphs = {area, line};
    for (QCPGraph* g : m_graphs) {
        g->setData(m_data);
        g->setLineStyle(QCPGraph::lsLine);
        g->setScatterStyle(QCPScatterStyle::ssNone);
    }
    applyBottomWindow();
}

ChartView::~ChartView() = default;

QCPGraph* ChartView::graph(int series) const {
    return validSeries(series) ? m_graphs[static_cast<std::size_t>(series)] : nullptr;
}

void ChartView::addPoint(int series, double y) {
    if (!validSeries(series)) return;
    int& count = m_counts[static_cast<std::size_t>(series)];
    if (count < m_data->size()) {
        // The other series already placed this point; keep the shared value current.
        (m_data->begin() + count)->value = y;
    } else {
        m_data->add(QCPGraphData(count, y));  // largest key so far: an append
    }
    ++count;
    if (m_automatic) applyBottomWindow();
    scheduleReplot();
}

void ChartView::clearSeries(int series) {
    if (!validSeries(series)) return;
    m_counts[static_cast<std::size_t>(series)] = 0;
    const int kept = *std::max_element(m_counts.begin(), m_counts.end());
    if (kept == 0) {
        m_data->clear();
    } else if (kept < m_data->size()) {
        m_data->removeAfter(kept - 0.5);  // removes keys above the given one
    }
    if (m_automatic) applyBottomWindow();
    scheduleReplot();
}

int ChartView::pointCount(int series) const {
    return validSeries(series) ? m_counts[static_cast<std::size_t>(series)] : 0;
}

void ChartView::setSeriesShown(int series, bool shown) {
    if (!validSeries(series)) return;
    m_graphs[static_cast<std::size_t>(series)]->setVisible(shown);
    scheduleReplot();
}

bool ChartView::isSeriesShown(int series) const {
    return validSeries(series) && m_graphs[static_cast<std::size_t>(series)]->visible();
}

void ChartView::ShowSeries(int index) {
    for (int s = 0; s < kSeriesCount; ++s)
        setSeriesShown(s, false);
    setSeriesShown(index, true);
}

void ChartView::setBottomAutomatic(bool on) {
    m_automatic = on;
    applyBottomWindow();
}

bool ChartView::setBottomMinimum(double v) {
    if (v > m_bottomMaximum) return false;
    m_bottomMinimum = v;
    applyBottomWindow();
    return true;
}

bool ChartView::setBottomMaximum(double v) {
    if (v < m_bottomMinimum) return false;
    m_bottomMaximum = v;
    applyBottomWindow();
    return true;
}

std::pair<double, double> ChartView::shownPointSpan() const {
    // X runs 0 .. count-1 in every series, so the span is known without looking at points.
    int points = 0;
    for (int s = 0; s < kSeriesCount; ++s) {
        if (isSeriesShown(s)) points = std::max(points, m_counts[static_cast<std::size_t>(s)]);
    }
    return {points > 0 ? points - 1 : 0, 0};
}

void ChartView::scrollBottom(double offset) {
    scrollBottom(offset, 1);
}

void ChartView::scrollBottom(double offset, std::int32_t times) {
    const auto [greatest, least] = shownPointSpan();
    const std::int32_t moves =
        bottomScrollMoves(offset, times, m_bottomMinimum, m_bottomMaximum, least, greatest);
    if (moves == 0) return;
    m_bottomMinimum += offset * moves;
    m_bottomMaximum += offset * moves;
    m_automatic = false;
    applyBottomWindow();
}

void ChartView::applyBottomWindow() {
    // While automatic the axis follows the points; the manual window is kept for later.
    double minimum = m_bottomMinimum, maximum = m_bottomMaximum;
    if (m_automatic) std::tie(maximum, minimum) = shownPointSpan();
    // A one-point window is legal for the pager (page size 1) but not for the axis: pad it.
    const double pad = maximum > minimum ? 0.0 : 0.5;
    m_plot->xAxis->setRange(minimum - pad, maximum + pad);
    scheduleReplot();
}

void ChartView::setLeftRange(double minimum, double maximum) {
    m_plot->yAxis->setRange(minimum, maximum);
    scheduleReplot();
}

double ChartView::leftMinimum() const {
    return m_plot->yAxis->range().lower;
}
double ChartView::leftMaximum() const {
    return m_plot->yAxis->range().upper;
}

double ChartView::pointValue(int series, int index) const {
    if (!validSeries(series) || index < 0 || index >= m_counts[static_cast<std::size_t>(series)]) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return m_data->at(index)->value;
}

QImage ChartView::renderImage() {
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QCPPainter painter(&image);
    // The plot fills the frame's contents; their size is known even before a layout pass.
    const QRect area = contentsRect();
    painter.translate(area.topLeft());
    m_plot->toPainter(&painter, area.width(), area.height());
    painter.end();
    return image;
}

void ChartView::scheduleReplot() {
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}
