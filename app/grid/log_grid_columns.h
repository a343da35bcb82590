#pragma once

#include <span>
#include <string_view>
#include <vector>

class LogGridView;

/// Widths of columns that share `available` pixels. Each column gets its `needed` width; what is
/// left over goes to the columns in proportion to `weights` (whole pixels, the remainders to the
/// largest fractions, earlier columns first), so that the widths add up to `available`. When the
/// needs add up to more, each column gets its need and the grid scrolls sideways. `needed` and
/// `weights` have one entry per column; weights that add up to 0 share the rest equally.
std::vector<int> shareColumnWidths(std::span<const int> needed, std::span<const int> weights,
                                   int available);

/// Sizes the columns of the log grid, whose model must be set: each heading and the longest
/// texts the log writes (record numbers up to 10,000,000, every function and unit text, a
/// signed value with its decimal separator, the verdicts, the time of day with
/// `timeSeparator`) show whole in the grid's fonts, and the columns fill the grid's width, the
/// design widths weighing the rest. The vertical scroll bar is always shown, so that width does
/// not change as rows arrive. GUI thread only.
void fitLogGridColumns(LogGridView& grid, std::string_view timeSeparator);
