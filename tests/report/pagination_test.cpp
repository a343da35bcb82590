#include "report/report_pagination.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

constexpr Hmm kA4Portrait = 29700 - 2 * 1000;
constexpr Hmm kA4Landscape = 21000 - 2 * 1000;
// Page header, column header and footer: what a page needs besides its detail bands.
constexpr Hmm kFrame = 1058 + 1058 + 1058;

struct PaginationCase {
    const char* name;
    std::size_t records;
    Hmm printableHeight;
    std::size_t perPage;
    std::size_t pages;
    std::size_t onLastPage;
};
void PrintTo(const PaginationCase& c, std::ostream* os) {
    *os << c.name;
}

class Paginate : public ::testing::TestWithParam<PaginationCase> {};

TEST_P(Paginate, PagesFromTheBandHeights) {
    const PaginationCase& c = GetParam();
    const ReportPagination pages = paginate(c.records, c.printableHeight);
    EXPECT_EQ(pages.recordsPerPage, c.perPage);
    ASSERT_EQ(pages.pageCount(), c.pages);
    if (c.pages == 0) return;
    EXPECT_EQ(pages.recordsOn(c.pages - 1), c.onLastPage);
    EXPECT_EQ(pages.recordsOn(c.pages), 0u) << "no page after the last";
    // Every page but the last is full, and the pages together hold every record once.
    for (std::size_t page = 0; page + 1 < c.pages && page < 3; ++page)
        EXPECT_EQ(pages.recordsOn(page), c.perPage) << page;
    const std::size_t total = (c.pages - 1) * c.perPage + pages.recordsOn(c.pages - 1);
    EXPECT_EQ(total, c.records);
}

INSTANTIATE_TEST_SUITE_P(
    Report, Paginate,
    ::testing::Values(PaginationCase{"EmptyLogHasNoPage", 0, kA4Portrait, 37, 0, 0},
                      PaginationCase{"OneRecordOnePage", 1, kA4Portrait, 37, 1, 1},
                      PaginationCase{"FullPage", 37, kA4Portrait, 37, 1, 37},
                      PaginationCase{"OneMoreStartsPage2", 38, kA4Portrait, 37, 2, 1},
                      PaginationCase{"TenThousand", 10000, kA4Portrait, 37, 271, 10000 - 270 * 37},
                      PaginationCase{"LimitlessLog", 10000000, kA4Portrait, 37, 270271, 10},
                      PaginationCase{"Landscape", 100, kA4Landscape, 23, 5, 100 - 4 * 23},
                      PaginationCase{"ExactlyRoomFor37", 74, kFrame + 37 * 661, 37, 2, 37},
                      PaginationCase{"OneHundredthShortOf37", 74, kFrame + 37 * 661 - 1, 36, 3, 2},
                      PaginationCase{"TooShortForADetailBandStillOnePerPage", 3, kFrame, 1, 3, 1}),
    [](const ::testing::TestParamInfo<PaginationCase>& row) {
        return std::string(row.param.name);
    });

TEST(Paginate, TheRecordThatStartsEachPage) {
    const ReportPagination pages = paginate(100, kA4Portrait);
    EXPECT_EQ(pages.firstRecord(0), 0u);
    EXPECT_EQ(pages.firstRecord(1), 37u) << "the 38th record heads page 2";
    EXPECT_EQ(pages.firstRecord(2), 74u);
    EXPECT_EQ(pages.pageOf(36), 0u);
    EXPECT_EQ(pages.pageOf(37), 1u);
    EXPECT_EQ(pages.pageOf(99), 2u);
    const ReportPagination huge = paginate(10000000, kA4Portrait);
    EXPECT_EQ(huge.firstRecord(huge.pageCount() - 1), 9999990u);
    EXPECT_EQ(huge.pageOf(9999999), huge.pageCount() - 1);
}

}  // namespace
