#pragma once

/// What the chart pager and the chart view commands need of a chart: series of points addressed
/// by index from 0, each shown or hidden, and a manual bottom-axis window over point numbers.
/// Implemented by the window's chart widget and by MemoryChartSurface. GUI thread only.
class ChartSurface {
public:
    virtual ~ChartSurface() = default;

    virtual int seriesCount() const = 0;
    /// Appends a point whose X is the number of points the series held before (0 for the first),
    /// whose Y is `y`, with an empty label and the colour blue.
    virtual void addPoint(int series, double y) = 0;
    virtual void clearSeries(int series) = 0;
    virtual int pointCount(int series) const = 0;

    virtual void setSeriesShown(int series, bool shown) = 0;
    virtual bool isSeriesShown(int series) const = 0;

    virtual double bottomMinimum() const = 0;
    virtual double bottomMaximum() const = 0;
    virtual void setBottomAutomatic(bool on) = 0;
    /// Refused (false, nothing changes) when `v` lies above the current maximum.
    virtual bool setBottomMinimum(double v) = 0;
    /// Refused (false, nothing changes) when `v` lies below the current minimum.
    virtual bool setBottomMaximum(double v) = 0;
    /// Moves the window by `offset` only if a point of a shown series lies beyond it in that
    /// direction: offset > 0 needs greatest X > maximum, offset < 0 needs least X < minimum.
    /// Without points (or without a shown series) the greatest and least X count as 0.
    virtual void scrollBottom(double offset) = 0;
};
