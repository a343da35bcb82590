#include "decode/range_table.h"

#include <array>

namespace {

constexpr FlagRule A = FlagRule::Any;
constexpr FlagRule Y = FlagRule::Set;
constexpr FlagRule N = FlagRule::Clear;
constexpr PointRule AnyP = PointRule::Any;
constexpr PointRule NoP = PointRule::NoPoint;
constexpr PointRule P1 = PointRule::P1;
constexpr PointRule P2 = PointRule::P2;
constexpr PointRule P3 = PointRule::P3;

// Rows overlap and their order decides: a later match overwrites an earlier one (the AC rows
// match any reading with the AC annunciator by its point alone, the unit rows refine them).
// clang-format off
constexpr std::array<RangeRow, 45> kRows = {{
    //  name      function  unit  ac  point kilo mega ctn  p65  axis    scale
    {"6v",       "",      "",    Y, P1,  A, A, A, A, 6.0L,    0.001L},
    {"60v",      "",      "",    Y, P2,  A, A, A, A, 60.0L,   0.01L},
    {"600v",     "",      "",    Y, P3,  A, A, A, A, 600.0L,  0.1L},
    {"750v",     "",      "",    Y, NoP, A, A, A, A, 750.0L,  1.0L},
    {"600mv",    "DC",    "mV",  A, AnyP, A, A, A, A, 600.0L, 0.1L},
    {"6v",       "DC",    "V",   A, P1,  A, A, A, A, 6.0L,    0.001L},
    {"60v",      "DC",    "V",   A, P2,  A, A, A, A, 60.0L,   0.01L},
    {"600v",     "DC",    "V",   A, P3,  A, A, A, A, 600.0L,  0.1L},
    {"1000v",    "DC",    "",    A, NoP, A, A, A, A, 1000.0L, 1.0L},
    {"40nF",     "CAP",   "nF",  A, AnyP, A, A, A, A, 40.0L,  0.01L},
    {"400nF",    "CAP",   "nF",  A, P3,  A, A, A, A, 400.0L,  0.1L},
    {"4uF",      "CAP",   "uF",  A, P1,  A, A, A, A, 4.0L,    0.001L},
    {"40uF",     "CAP",   "uF",  A, P2,  A, A, A, A, 40.0L,   0.01L},
    {"400uF",    "CAP",   "uF",  A, P3,  A, A, A, A, 400.0L,  0.1L},
    {"4000uF",   "CAP",   "",    A, NoP, A, A, A, A, 4000.0L, 1.0L},
    {"60*",      "",      "",    A, AnyP, A, A, Y, A, 60.0L,  0.1L},
    {"600*",     "OHM",   "*",   A, P3,  A, A, N, A, 600.0L,  0.1L},
    {"6k*",      "OHM",   "k*",  A, P1,  A, A, A, A, 6.0L,    0.001L},
    {"60k*",     "OHM",   "k*",  A, P2,  A, A, A, A, 60.0L,   0.01L},
    {"600k*",    "OHM",   "k*",  A, P3,  A, A, A, A, 600.0L,  0.1L},
    {"6M*",      "OHM",   "M*",  A, P1,  A, A, A, A, 6.0L,    0.001L},
    {"60M*",     "OHM",   "M*",  A, P2,  A, A, A, A, 60.0L,   0.01L},
    {"6v",       "",      "",    A, AnyP, A, A, A, Y, 6.0L,   0.001L},
    {"1000#",    "",      "#",   A, AnyP, A, A, A, A, 1000.0L, 1.0L},
    {"1832?",    "",      "?",   A, AnyP, A, A, A, A, 1832.0L, 1.0L},
    {"10Hz",     "Freq",  "Hz",  A, P1,  N, N, A, A, 10.0L,   0.001L},
    {"100Hz",    "Freq",  "Hz",  A, P2,  N, N, A, A, 100.0L,  0.01L},
    {"1kHz",     "Freq",  "Hz",  A, P3,  N, N, A, A, 1000.0L, 0.1L},
    {"10kHz",    "Freq",  "Hz",  A, P1,  Y, N, A, A, 10.0L,   0.001L},
    {"100kHz",   "Freq",  "Hz",  A, P2,  Y, N, A, A, 100.0L,  0.01L},
    {"1MHz",     "Freq",  "Hz",  A, P3,  Y, N, A, A, 1000.0L, 0.1L},
    {"10MHz",    "Freq",  "Hz",  A, P1,  N, Y, A, A, 10.0L,   0.001L},
    {"100%",     "",      "%",   A, AnyP, A, A, A, A, 100.0L, 0.1L},
    {"600uA",    "DC",    "uA",  A, P3,  A, A, A, A, 600.0L,  0.1L},
    {"6000uA",   "DC",    "uA",  A, NoP, A, A, A, A, 6000.0L, 1.0L},
    {"600uA",    "AC",    "uA",  A, P3,  A, A, A, A, 600.0L,  0.1L},
    {"6000uA",   "AC",    "uA",  A, NoP, A, A, A, A, 6000.0L, 1.0L},
    {"60mA",     "DC",    "mA",  A, P2,  A, A, A, A, 60.0L,   0.01L},
    {"600mA",    "DC",    "mA",  A, P3,  A, A, A, A, 600.0L,  0.1L},
    {"60mA",     "AC",    "mA",  A, P2,  A, A, A, A, 60.0L,   0.01L},
    {"600mA",    "AC",    "mA",  A, P3,  A, A, A, A, 600.0L,  0.1L},
    {"6A",       "DC",    "A",   A, P1,  A, A, A, A, 6.0L,    0.001L},
    {"10A",      "DC",    "A",   A, P2,  A, A, A, A, 10.0L,   0.01L},
    {"6A",       "AC",    "A",   A, P1,  A, A, A, A, 6.0L,    0.001L},
    {"10A",      "AC",    "A",   A, P2,  A, A, A, A, 10.0L,   0.01L},
}};
// clang-format on

bool flagOk(FlagRule rule, bool value) {
    return rule == FlagRule::Any || (rule == FlagRule::Set) == value;
}

// The frequency rows name the base unit "Hz": the reading's unit carries the prefix ("kHz",
// "MHz"), and the rows tell those ranges apart by the kilo and mega flags.
bool unitOk(std::string_view rowUnit, std::string_view unit) {
    if (rowUnit.empty() || rowUnit == unit) return true;
    return rowUnit == "Hz" && (unit == "kHz" || unit == "MHz");
}

bool pointOk(PointRule rule, int position) {
    switch (rule) {
        case PointRule::Any:
            return true;
        case PointRule::NoPoint:
            return position == 0;
        case PointRule::P1:
            return position == 1;
        case PointRule::P2:
            return position == 2;
        case PointRule::P3:
            return position == 3;
    }
    return false;
}

}  // namespace

std::span<const RangeRow> rangeRows() {
    return kRows;
}

bool rowMatches(const RangeRow& row, const RangeInput& in) {
    return (row.function.empty() || row.function == in.FunctionText) &&
           unitOk(row.unit, in.UnitText) && flagOk(row.ac, in.acLit) &&
           pointOk(row.point, in.pointPosition) && flagOk(row.kilo, in.kilo) &&
           flagOk(row.mega, in.mega) && flagOk(row.continuity, in.continuity) &&
           flagOk(row.position65, in.position65);
}

RangeResult applyRangeTable(const RangeInput& in, double RawCount) {
    RangeResult result{RawCount, nullptr};
    for (const RangeRow& row : kRows) {
        if (rowMatches(row, in)) result.row = &row;
    }
    if (result.row != nullptr) {
        const long double product = static_cast<long double>(RawCount) * result.row->ScaleFactor;
        result.NumericValue = static_cast<double>(product);
    }
    return result;
}
