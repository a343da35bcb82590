#include "decode/range_table.h"

#include <gtest/gtest.h>

namespace {

struct RangeCase {
    const char* name;
    RangeInput in;
    double rawCount;
    int row;  // 1-based; 0 when no row matches
    double numericValue;
};

void PrintTo(const RangeCase& c, std::ostream* os) {
    *os << c.name;
}

class RangeTable : public testing::TestWithParam<RangeCase> {};

TEST_P(RangeTable, LastMatchingRowDecides) {
    const RangeCase& c = GetParam();
    const RangeResult r = applyRangeTable(c.in, c.rawCount);
    const int row = r.row == nullptr ? 0 : static_cast<int>(r.row - rangeRows().data()) + 1;
    EXPECT_EQ(row, c.row);
    EXPECT_EQ(r.NumericValue, c.numericValue);
}

RangeInput in(const char* function, const char* unit, int point, bool ac = false) {
    RangeInput r;
    r.FunctionText = function;
    r.UnitText = unit;
    r.pointPosition = point;
    r.acLit = ac;
    return r;
}

RangeInput with(RangeInput r, bool RangeInput::*flag) {
    r.*flag = true;
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RangeTable,
    testing::Values(
        RangeCase{"DcVoltsPoint2", in("DC", "V", 2), 599, 7, 5.99},
        RangeCase{"DcMillivoltsPoint3", in("DC", "mV", 3), 5999, 5, 599.9},
        RangeCase{"AcVoltsNoPoint", in("AC", "V", 0, true), 230, 4, 230},
        RangeCase{"AcMilliampsPoint2OverwritesTheAcRow", in("AC", "mA", 2, true), 1234, 40, 12.34},
        RangeCase{"OhmPoint3", in("OHM", "*", 3), 1000, 17, 100},
        RangeCase{"ContinuityOnlyRow16", with(in("OHM", "*", 3), &RangeInput::continuity), 123, 16,
                  12.3},
        RangeCase{"FrequencyWithoutPointNoRow", in("Freq", "Hz", 0), 1234, 0, 1234},
        RangeCase{"DiodePoint1NoRow", in("Diode", "V", 1), 599, 0, 599},
        RangeCase{"OverloadIn60VRange", in("DC", "V", 2), 6001, 7, 60.01},
        RangeCase{"DutyCycle", in("DutyCycle", "%", 3), 500, 33, 50},
        RangeCase{"DcMicroampsNoPointOverwritesRow9", in("DC", "uA", 0), 1234, 35, 1234},
        RangeCase{"AcWithDcFunctionStillLit", in("DC", "V", 1, true), 5999, 6, 5.999},
        RangeCase{"KiloHertzPoint2", with(in("Freq", "kHz", 2), &RangeInput::kilo), 4567, 30,
                  45.67},
        RangeCase{"KiloHertzPoint3Is1MHzRange", with(in("Freq", "kHz", 3), &RangeInput::kilo), 5000,
                  31, 500},
        RangeCase{"MegaHertzPoint1", with(in("Freq", "MHz", 1), &RangeInput::mega), 1234, 32,
                  1.234},
        RangeCase{"KiloAndMegaHertzNoRow",
                  with(with(in("Freq", "MHz", 1), &RangeInput::kilo), &RangeInput::mega), 1234, 0,
                  1234},
        RangeCase{"HertzPoint3", in("Freq", "Hz", 3), 4400, 28, 440},
        RangeCase{"Position65", with(in("", "", 0), &RangeInput::position65), 1234, 23, 1.234},
        RangeCase{"Celsius", in("TMP", "#", 0), -20, 24, -20},
        RangeCase{"Fahrenheit", in("TMP", "?", 3), 987, 25, 987},
        RangeCase{"NanofaradPoint2", in("CAP", "nF", 2), 3999, 10, 39.99},
        // Row 15 tests the function and the point only, so it overwrites row 10.
        RangeCase{"NanofaradNoPointFallsToRow15", in("CAP", "nF", 0), 3999, 15, 3999},
        RangeCase{"NanofaradPoint3", in("CAP", "nF", 3), 3999, 11, 399.9},
        RangeCase{"MicrofaradNoPoint", in("CAP", "uF", 0), 3999, 15, 3999},
        RangeCase{"AcAmpsPoint2", in("AC", "A", 2, true), 999, 45, 9.99},
        RangeCase{"MegaohmPoint2", in("OHM", "M*", 2), -42, 22, -0.42}),
    [](const testing::TestParamInfo<RangeCase>& row) { return std::string(row.param.name); });

}  // namespace
