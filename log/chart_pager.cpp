#include "log/chart_pager.h"

TChartControl::TChartControl(ChartSurface& Chart, std::int32_t size) : m_Chart(Chart) {
    SetPageSize(size < 1 ? 1 : size);
    m_Chart.setBottomAutomatic(false);
    m_Chart.setBottomMinimum(1);
    m_Chart.setBottomMaximum(m_PageSize);
    m_PageCount = 1;
    m_CurrentPage = 1;
    m_Browsing = false;
}

void TChartControl::recountPages() {
    const std::int32_t points = m_Chart.pointCount(0);
    m_PageCount = points / m_PageSize + (points % m_PageSize > 0 ? 1 : 0);
}

void TChartControl::scroll(std::int32_t times, double offset) {
    m_Chart.scrollBottom(offset, times);
}

void TChartControl::AddValue(double value) {
    for (int series = 0; series < m_Chart.seriesCount(); ++series)
        m_Chart.addPoint(series, value);
    recountPages();
    if (!m_Browsing) {
        m_Chart.scrollBottom(m_PageSize);
        m_CurrentPage = m_PageCount;
    }
}

void TChartControl::FirstPage() {
    if (m_PageCount <= 1 || m_CurrentPage == 1) return;
    scroll(m_CurrentPage - 1, -m_PageSize);
    m_CurrentPage = 1;
    m_Browsing = true;
}

void TChartControl::PreviousPage() {
    if (m_CurrentPage <= 1) return;
    m_Chart.scrollBottom(-m_PageSize);
    m_CurrentPage -= 1;
    m_Browsing = true;
}

void TChartControl::NextPage() {
    if (m_PageCount <= 1 || m_CurrentPage == m_PageCount) return;
    m_Chart.scrollBottom(m_PageSize);
    m_CurrentPage += 1;
    m_Browsing = m_CurrentPage != m_PageCount;
}

void TChartControl::LastPage() {
    if (m_PageCount <= 1 || m_CurrentPage == m_PageCount) return;
    scroll(m_PageCount - m_CurrentPage, m_PageSize);
    m_CurrentPage = m_PageCount;
    m_Browsing = false;
}

bool TChartControl::SetPageSize(std::int32_t size) {
    // The page-size edit can deliver 0: a size below 1 would divide by zero when the pages are
    // counted, so it is refused and the current size stays.
    if (size < 1) return false;
    if (size == m_PageSize) return true;
    m_PageSize = size;
    m_Chart.setBottomMinimum(1);
    m_Chart.setBottomMaximum(size);
    recountPages();
    scroll(m_PageCount - 1, size);
    m_CurrentPage = m_PageCount;
    m_Browsing = false;
    return true;
}

void TChartControl::ClearChart() {
    FirstPage();
    for (int series = 0; series < m_Chart.seriesCount(); ++series)
        m_Chart.clearSeries(series);
    m_Browsing = false;
}
