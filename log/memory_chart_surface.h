#pragma once

#include <cstddef>
#include <vector>

#include "log/chart_surface.h"

/// A chart held in memory: the Y values of each series (X is the index), the shown flags and the
/// bottom-axis window. Used by the command-line logger and by tests in place of the chart widget.
class MemoryChartSurface : public ChartSurface {
public:
    /// `seriesCount` series, all shown, empty; bottom axis automatic with window [0, 0].
    explicit MemoryChartSurface(int seriesCount = 2);

    int seriesCount() const override;
    void addPoint(int series, double y) override;
    void clearSeries(int series) override;
    int pointCount(int series) const override;
    void setSeriesShown(int series, bool shown) override;
    bool isSeriesShown(int series) const override;
    double bottomMinimum() const override { return m_minimum; }
    double bottomMaximum() const override { return m_maximum; }
    void setBottomAutomatic(bool on) override { m_automatic = on; }
    bool setBottomMinimum(double v) override;
    bool setBottomMaximum(double v) override;
    void scrollBottom(double offset) override;
    void scrollBottom(double offset, std::int32_t times) override;

    bool bottomAutomatic() const { return m_automatic; }
    /// Y of point `index` of `series`; both must be in range.
    double value(int series, std::size_t index) const;
    /// How many scrolls moved the window (repaints of a real chart).
    std::size_t scrollCount() const { return m_scrolls; }

private:
    struct Series {
        std::vector<double> values;
        bool shown = true;
    };
    std::vector<Series> m_series;
    double m_minimum = 0.0;
    double m_maximum = 0.0;
    bool m_automatic = true;
    std::size_t m_scrolls = 0;
};
