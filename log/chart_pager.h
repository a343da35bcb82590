#pragma once

#include <cstdint>

#include "log/chart_surface.h"

/// Shows the logged values page by page: the chart's bottom axis is a window of PageSize point
/// numbers that follows the newest value unless the user browses an earlier page.
/// Does not own the chart. GUI thread only; the caller shows CurrentPage after every call.
class TChartControl {
public:
    /// Sets the page size (sizes below 1 count as 1 here), the window [1, size] and page 1.
    TChartControl(ChartSurface& Chart, std::int32_t size);

    /// Adds `value` to every series (shown or hidden) and follows the newest page unless browsing.
    void AddValue(double value);
    void FirstPage();
    void PreviousPage();
    void NextPage();
    void LastPage();
    /// Changes the points per page and shows the last page. A size below 1 is refused: returns
    /// false and nothing changes. The current size is accepted (true) and changes nothing.
    bool SetPageSize(std::int32_t size);
    /// Goes to page 1 and empties every series; PageCount keeps its value until the next value.
    void ClearChart();

    std::int32_t CurrentPage() const { return m_CurrentPage; }
    std::int32_t PageSize() const { return m_PageSize; }
    std::int32_t PageCount() const { return m_PageCount; }
    bool Browsing() const { return m_Browsing; }

private:
    void recountPages();
    void scroll(std::int32_t times, double offset);

    ChartSurface& m_Chart;
    std::int32_t m_CurrentPage = 1;
    std::int32_t m_PageSize = 0;
    std::int32_t m_PageCount = 0;
    bool m_Browsing = false;
};
