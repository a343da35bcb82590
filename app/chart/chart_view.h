#pragma once

#include <QFrame>
#include <QImage>
#include <QSharedPointer>

#include <array>

#include "log/chart_surface.h"

class QCustomPlot;
class QCPGraph;
class QCPGraphData;
template <class DataType>
class QCPDataContainer;
using QCPGraphDataContainer = QCPDataContainer<QCPGraphData>;

/// The chart `Chtshow`: the logged values as an area series (`Series2`, index 0) or a line
/// series (`Series1`, index 1), exactly one shown, over a bottom axis whose window the pager
/// sets. The only class that touches QCustomPlot.
///
/// Both series draw one shared data container: the program always gives them the same values,
/// so each series only keeps its own point count (X of a point = points before it). A series
/// that is refilled while the other still holds points overwrites the shared values.
///
/// Adding a point appends in O(1) and schedules one repaint for the next event-loop turn, so a
/// burst of points costs one repaint. Placed at (309, 189) in its parent, 350 x 316.
/// GUI thread only.
class ChartView : public QFrame, public ChartSurface {
public:
    explicit ChartView(QWidget* parent = nullptr);
    ~ChartView() override;

    int seriesCount() const override { return kSeriesCount; }
    void addPoint(int series, double y) override;
    void clearSeries(int series) override;
    int pointCount(int series) const override;
    void setSeriesShown(int series, bool shown) override;
    bool isSeriesShown(int series) const override;

    double bottomMinimum() const override { return m_bottomMinimum; }
    double bottomMaximum() const override { return m_bottomMaximum; }
    void setBottomAutomatic(bool on) override;
    bool setBottomMinimum(double v) override;
    bool setBottomMaximum(double v) override;
    void scrollBottom(double offset) override;
    void scrollBottom(double offset, std::int32_t times) override;
    bool bottomAutomatic() const { return m_automatic; }

    /// Makes exactly the series `index` shown (0 area, 1 line); other indexes hide all.
    void ShowSeries(int index);

    /// The left axis (manual): the range table and start-up set it.
    void setLeftRange(double minimum, double maximum);
    double leftMinimum() const;
    double leftMaximum() const;

    /// Y of point `index` of `series`, or NaN when there is no such point.
    double pointValue(int series, int index) const;

    /// The chart drawn at its own size onto a white background, as it would be shown now.
    QImage renderImage();

    QCustomPlot* plot() const { return m_plot; }
    QCPGraph* graph(int series) const;
    const QSharedPointer<QCPGraphDataContainer>& data() const { return m_data; }

    static constexpr int kSeriesCount = 2;
    static constexpr QRect kStartGeometry{309, 189, 350, 316};

private:
    bool validSeries(int series) const { return series >= 0 && series < kSeriesCount; }
    /// Greatest and least X over the shown series' points; both 0 without points.
    std::pair<double, double> shownPointSpan() const;
    void applyBottomWindow();
    void scheduleReplot();

    QCustomPlot* m_plot;  // child widget
    QSharedPointer<QCPGraphDataContainer> m_data;
    std::array<QCPGraph*, kSeriesCount> m_graphs{};
    std::array<int, kSeriesCount> m_counts{};
    double m_bottomMinimum = 0.0;
    double m_bottomMaximum = 0.0;
    bool m_automatic = true;
};
