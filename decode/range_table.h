#pragma once

#include <cstdint>
#include <span>
#include <string_view>

/// What the range table tests of a decoded packet.
struct RangeInput {
    std::string_view FunctionText;
    std::string_view UnitText;
    bool acLit = false;       ///< the AC annunciator is shown (also when FunctionText is "DC")
    int pointPosition = 0;    ///< lit decimal point: 0 none, 1, 2 or 3
    bool kilo = false;        ///< kilo prefix shown
    bool mega = false;        ///< mega prefix shown
    bool continuity = false;  ///< continuity flag (its annunciator is shown exactly then)
    bool position65 = false;  ///< the status bit at position 65
};

/// A test on one yes/no property of the packet.
enum class FlagRule : std::uint8_t { Any, Set, Clear };
/// A test on the lit decimal point.
enum class PointRule : std::uint8_t { Any, NoPoint, P1, P2, P3 };

/// One range of the meter: the condition is the conjunction of every test that is not Any
/// (an empty function or unit text tests nothing; the unit "Hz" also admits "kHz" and "MHz",
/// whose ranges the kilo and mega tests tell apart).
struct RangeRow {
    std::string_view name;
    std::string_view function;
    std::string_view unit;
    FlagRule ac;
    PointRule point;
    FlagRule kilo;
    FlagRule mega;
    FlagRule continuity;
    FlagRule position65;
    long double AxisLimit;    ///< the chart's left axis runs from -AxisLimit to AxisLimit
    long double ScaleFactor;  ///< NumericValue = RawCount x ScaleFactor
};

/// The 45 ranges, in the order they are tested.
std::span<const RangeRow> rangeRows();

bool rowMatches(const RangeRow& row, const RangeInput& in);

struct RangeResult {
    double NumericValue = 0.0;
    const RangeRow* row = nullptr;  ///< the last matching row; nullptr when none matched
};

/// Tests every row in order; the last matching row decides the axis and the scale (the product
/// is formed in extended precision, then stored as a double). Without a match NumericValue is
/// RawCount and the axis keeps its limits.
RangeResult applyRangeTable(const RangeInput& in, double RawCount);
