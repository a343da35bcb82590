#include "log/chart_pager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/memory_chart_surface.h"

namespace {

enum class Op { Add, First, Previous, Next, Last, PageSize, Clear };

struct Step {
    Op op;
    int arg = 1;  // Add: how many values; PageSize: the size
};

struct Expect {
    int currentPage;
    int pageCount;
    double minimum;
    double maximum;
    bool browsing;
    int points;  // of series 0
};

struct PagerCase {
    std::string name;
    bool placeholder;  // the start-up placeholder point at X 0
    std::vector<Step> steps;
    Expect expect;
};

void PrintTo(const PagerCase& c, std::ostream* os) {
    *os << c.name;
}

class PagerScript : public testing::TestWithParam<PagerCase> {};

TEST_P(PagerScript, EndsInExpectedState) {
    const PagerCase& c = GetParam();
    MemoryChartSurface chart(2);
    if (c.placeholder) {
        for (int s = 0; s < chart.seriesCount(); ++s)
            chart.addPoint(s, 0.0);
    }
    TChartControl pager(chart, 100);
    double next = 1.0;
    for (const Step& step : c.steps) {
        switch (step.op) {
            case Op::Add:
                for (int i = 0; i < step.arg; ++i)
                    pager.AddValue(next++);
                break;
            case Op::First:
                pager.FirstPage();
                break;
            case Op::Previous:
                pager.PreviousPage();
                break;
            case Op::Next:
                pager.NextPage();
                break;
            case Op::Last:
                pager.LastPage();
                break;
            case Op::PageSize:
                pager.SetPageSize(step.arg);
                break;
            case Op::Clear:
                pager.ClearChart();
                break;
        }
    }
    EXPECT_EQ(pager.CurrentPage(), c.expect.currentPage);
    EXPECT_EQ(pager.PageCount(), c.expect.pageCount);
    EXPECT_EQ(chart.bottomMinimum(), c.expect.minimum);
    EXPECT_EQ(chart.bottomMaximum(), c.expect.maximum);
    EXPECT_EQ(pager.Browsing(), c.expect.browsing);
    EXPECT_EQ(chart.pointCount(0), c.expect.points);
    EXPECT_EQ(chart.pointCount(1), c.expect.points);
    EXPECT_FALSE(chart.bottomAutomatic());
}

const PagerCase kPagerCases[] = {
    {"Fresh", true, {}, {1, 1, 1, 100, false, 1}},
    {"NinetyNineValues", true, {{Op::Add, 99}}, {1, 1, 1, 100, false, 100}},
    {"HundredthValueTurnsPageNotWindow", true, {{Op::Add, 100}}, {2, 2, 1, 100, false, 101}},
    {"HundredAndFirstMovesWindow", true, {{Op::Add, 101}}, {2, 2, 101, 200, false, 102}},
    {"PreviousFindsPlaceholderBelowWindow",
     true,
     {{Op::Add, 100}, {Op::Previous}},
     {1, 2, -99, 0, true, 101}},
    {"BrowsingKeepsWindowWhileValuesArrive",
     true,
     {{Op::Add, 100}, {Op::Previous}, {Op::Add, 5}},
     {1, 2, -99, 0, true, 106}},
    {"NextLeavesBrowsingOnLastPage",
     true,
     {{Op::Add, 100}, {Op::Previous}, {Op::Next}},
     {2, 2, 1, 100, false, 101}},
    {"PageSizeFiftyOnThreePages",
     true,
     {{Op::Add, 204}, {Op::PageSize, 50}},
     {5, 5, 201, 250, false, 205}},
    {"PageSizeBackToHundred",
     true,
     {{Op::Add, 204}, {Op::PageSize, 50}, {Op::PageSize, 100}},
     {3, 3, 201, 300, false, 205}},
    {"FirstPageWithOnePageDoesNothing",
     true,
     {{Op::Add, 10}, {Op::First}},
     {1, 1, 1, 100, false, 11}},
    {"FirstPageFromPageThree", true, {{Op::Add, 250}, {Op::First}}, {1, 3, 1, 100, true, 251}},
    {"PreviousThenTwoHundredValuesThenLast",
     true,
     {{Op::Add, 150}, {Op::Previous}, {Op::Add, 200}, {Op::Last}},
     {4, 4, 301, 400, false, 351}},
    {"LastThenValuesFollowAgain",
     true,
     {{Op::Add, 150}, {Op::Previous}, {Op::Add, 200}, {Op::Last}, {Op::Add, 50}},
     {5, 5, 301, 400, false, 401}},
    {"ClearOnPageThreeKeepsPageCount",
     true,
     {{Op::Add, 250}, {Op::Clear}},
     {1, 3, 1, 100, false, 0}},
    {"LastAfterClearSetsPageWithoutMoving",
     true,
     {{Op::Add, 250}, {Op::Clear}, {Op::Last}},
     {3, 3, 1, 100, false, 0}},
    {"ValueAfterClearResetsPages",
     true,
     {{Op::Add, 250}, {Op::Clear}, {Op::Last}, {Op::Add, 1}},
     {1, 1, 1, 100, false, 1}},
    {"AfterClearFirstValueHasXZero",
     true,
     {{Op::Add, 250}, {Op::Clear}, {Op::Add, 102}},
     {2, 2, 101, 200, false, 102}},
    {"SamePageSizeChangesNothing",
     true,
     {{Op::Add, 100}, {Op::Previous}, {Op::PageSize, 100}},
     {1, 2, -99, 0, true, 101}},
    {"PageSizeZeroIsRefused",
     true,
     {{Op::Add, 150}, {Op::PageSize, 0}},
     {2, 2, 101, 200, false, 151}},
    {"NegativePageSizeIsRefused",
     true,
     {{Op::Add, 150}, {Op::PageSize, -5}},
     {2, 2, 101, 200, false, 151}},
    {"NextWithoutPagesDoesNothing",
     false,
     {{Op::Next}, {Op::Last}, {Op::Previous}},
     {1, 1, 1, 100, false, 0}},
    {"WithoutPlaceholderWindowWaitsOnePoint", false, {{Op::Add, 101}}, {2, 2, 1, 100, false, 101}},
};

INSTANTIATE_TEST_SUITE_P(TChartControl, PagerScript, testing::ValuesIn(kPagerCases),
                         [](const testing::TestParamInfo<PagerCase>& p) { return p.param.name; });

TEST(TChartControl, SetPageSizeReportsRefusal) {
    MemoryChartSurface chart(2);
    TChartControl pager(chart, 100);
    EXPECT_FALSE(pager.SetPageSize(0));
    EXPECT_EQ(pager.PageSize(), 100);
    EXPECT_TRUE(pager.SetPageSize(100));
    EXPECT_TRUE(pager.SetPageSize(7));
    EXPECT_EQ(pager.PageSize(), 7);
}

TEST(TChartControl, AddsEveryValueToHiddenSeriesToo) {
    MemoryChartSurface chart(2);
    chart.setSeriesShown(1, false);
    TChartControl pager(chart, 100);
    pager.AddValue(1.5);
    pager.AddValue(-2.5);
    for (int s = 0; s < 2; ++s) {
        ASSERT_EQ(chart.pointCount(s), 2);
        EXPECT_EQ(chart.value(s, 0), 1.5);
        EXPECT_EQ(chart.value(s, 1), -2.5);
    }
}

// The window moves only for points of shown series beyond it.
TEST(MemoryChartSurface, ScrollLooksAtShownSeriesOnly) {
    MemoryChartSurface chart(2);
    chart.setBottomMaximum(10);
    chart.setBottomMinimum(5);
    for (int i = 0; i < 20; ++i)
        chart.addPoint(1, i);
    chart.setSeriesShown(1, false);
    chart.scrollBottom(10);
    EXPECT_EQ(chart.bottomMinimum(), 5);
    chart.scrollBottom(-10);  // least X of no shown point counts as 0, below 5
    EXPECT_EQ(chart.bottomMinimum(), -5);
    chart.setSeriesShown(1, true);
    chart.scrollBottom(10);
    chart.scrollBottom(10);
    EXPECT_EQ(chart.bottomMinimum(), 15);
    EXPECT_EQ(chart.bottomMaximum(), 20);
    chart.scrollBottom(10);  // greatest X 19 is not above 20
    EXPECT_EQ(chart.bottomMaximum(), 20);
    EXPECT_FALSE(chart.setBottomMinimum(21));
    EXPECT_FALSE(chart.setBottomMaximum(14));
    EXPECT_EQ(chart.bottomMinimum(), 15);
}

}  // namespace

namespace {

// A jump of many pages lands where as many single scrolls would, in one move of the window.
struct JumpCase {
    const char* name;
    int points;  // in both series, shown
    double minimum, maximum;
    double offset;
    int times;
};
void PrintTo(const JumpCase& c, std::ostream* os) {
    *os << c.name;
}

class ScrollJump : public testing::TestWithParam<JumpCase> {};

TEST_P(ScrollJump, EqualsSingleScrollsWithOneMove) {
    const JumpCase& c = GetParam();
    MemoryChartSurface stepped(2), jumped(2);
    for (MemoryChartSurface* chart : {&stepped, &jumped}) {
        chart->setBottomAutomatic(false);
        chart->setBottomMaximum(c.maximum);
        chart->setBottomMinimum(c.minimum);
        for (int s = 0; s < 2; ++s)
            for (int i = 0; i < c.points; ++i)
                chart->addPoint(s, i);
    }
    for (int i = 0; i < c.times; ++i)
        stepped.scrollBottom(c.offset);
    jumped.scrollBottom(c.offset, c.times);
    EXPECT_EQ(jumped.bottomMinimum(), stepped.bottomMinimum());
    EXPECT_EQ(jumped.bottomMaximum(), stepped.bottomMaximum());
    EXPECT_EQ(jumped.scrollCount(), stepped.scrollCount() > 0 ? 1U : 0U);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScrollJump,
    testing::Values(JumpCase{"ForwardStopsAtTheNewestPoint", 1001, 1, 100, 100, 50},
                    JumpCase{"ForwardFewerTimesThanPages", 1001, 1, 100, 100, 3},
                    JumpCase{"ForwardExactlyToTheLastPoint", 1000, 1, 100, 100, 50},
                    JumpCase{"ForwardWithNothingBeyond", 50, 1, 100, 100, 5},
                    JumpCase{"BackStopsBelowPointZero", 1001, 901, 1000, -100, 50},
                    JumpCase{"BackFewerTimesThanPages", 1001, 901, 1000, -100, 4},
                    JumpCase{"BackFromTheFirstPage", 1001, 1, 100, -100, 9},
                    JumpCase{"NoTimes", 1001, 1, 100, 100, 0},
                    JumpCase{"PageOfOne", 10, 0, 0, 1, 20}),
    [](const testing::TestParamInfo<JumpCase>& p) { return std::string(p.param.name); });

TEST(ChartPager, FirstAndLastPageOfALongLogMoveTheWindowOnce) {
    MemoryChartSurface chart(2);
    TChartControl pager(chart, 100);
    for (int s = 0; s < 2; ++s)
        chart.addPoint(s, 0.0);  // the placeholder
    for (int i = 0; i < 1'000'000; ++i)
        pager.AddValue(i);
    ASSERT_EQ(pager.CurrentPage(), 10'001);
    const std::size_t before = chart.scrollCount();
    pager.FirstPage();
    EXPECT_EQ(chart.scrollCount(), before + 1);
    EXPECT_EQ(chart.bottomMinimum(), -99);  // the placeholder at X 0 lies below page 1
    EXPECT_EQ(chart.bottomMaximum(), 0);
    EXPECT_EQ(pager.CurrentPage(), 1);
    pager.LastPage();
    EXPECT_EQ(chart.scrollCount(), before + 2);
    EXPECT_EQ(chart.bottomMinimum(), 999'901);
    EXPECT_EQ(chart.bottomMaximum(), 1'000'000);
    EXPECT_EQ(pager.CurrentPage(), 10'001);
}

}  // namespace
