#pragma once

#include <cstdint>

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
    /// The same as `times` calls of scrollBottom(offset), with at most one move of the window:
    /// page jumps over a long log cost one axis update, not one per page.
    virtual void scrollBottom(double offset, std::int32_t times) = 0;
};

/// How far `times` scrolls by `offset` move a window [minimum, maximum] when the shown points
/// span [least, greatest]: each scroll moves it only while a point lies beyond it in that
/// direction. Returns the number of scrolls that move (0 to times).
inline std::int32_t bottomScrollMoves(double offset, std::int32_t times, double minimum,
                                      double maximum, double least, double greatest) {
    if (times <= 0 || offset == 0) return 0;
    // The k-th scroll moves when the point beyond is still beyond the window moved k-1 times.
    const double beyond = offset > 0 ? greatest - maximum : minimum - least;
    if (!(beyond > 0)) return 0;
    const double step = offset > 0 ? offset : -offset;
    const double needed = beyond / step;
    std::int64_t moves = static_cast<std::int64_t>(needed);
    if (static_cast<double>(moves) < needed) ++moves;
    return moves < times ? static_cast<std::int32_t>(moves) : times;
}
