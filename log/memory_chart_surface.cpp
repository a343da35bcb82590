#include "log/memory_chart_surface.h"

#include <algorithm>

MemoryChartSurface::MemoryChartSurface(int seriesCount)
    : m_series(static_cast<std::size_t>(seriesCount > 0 ? seriesCount : 0)) {}

int MemoryChartSurface::seriesCount() const {
    return static_cast<int>(m_series.size());
}

void MemoryChartSurface::addPoint(int series, double y) {
    m_series.at(static_cast<std::size_t>(series)).values.push_back(y);
}

void MemoryChartSurface::clearSeries(int series) {
    // Release the memory too: a cleared log may have held millions of points.
    std::vector<double>().swap(m_series.at(static_cast<std::size_t>(series)).values);
}

int MemoryChartSurface::pointCount(int series) const {
    return static_cast<int>(m_series.at(static_cast<std::size_t>(series)).values.size());
}

void MemoryChartSurface::setSeriesShown(int series, bool shown) {
    m_series.at(static_cast<std::size_t>(series)).shown = shown;
}

bool MemoryChartSurface::isSeriesShown(int series) const {
    return m_series.at(static_cast<std::size_t>(series)).shown;
}

bool MemoryChartSurface::setBottomMinimum(double v) {
    if (v > m_maximum) return false;
    m_minimum = v;
    return true;
}

bool MemoryChartSurface::setBottomMaximum(double v) {
    if (v < m_minimum) return false;
    m_maximum = v;
    return true;
}

void MemoryChartSurface::scrollBottom(double offset) {
    scrollBottom(offset, 1);
}

void MemoryChartSurface::scrollBottom(double offset, std::int32_t times) {
    // X of a point is its index, so the least X of a non-empty series is 0 and its greatest X
    // is its count - 1. A chart without shown points has 0 for both.
    bool any = false;
    double greatest = 0.0;
    for (const Series& s : m_series) {
        if (!s.shown || s.values.empty()) continue;
        const double last = static_cast<double>(s.values.size() - 1);
        greatest = any ? std::max(greatest, last) : last;
        any = true;
    }
    const double least = 0.0;
    const std::int32_t moves =
        bottomScrollMoves(offset, times, m_minimum, m_maximum, least, greatest);
    if (moves == 0) return;
    m_minimum += offset * moves;
    m_maximum += offset * moves;
    ++m_scrolls;
}

double MemoryChartSurface::value(int series, std::size_t index) const {
    return m_series.at(static_cast<std::size_t>(series)).values.at(index);
}
