#include "app/grid/log_grid_columns.h"

#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>
#include <cassert>
#include <numeric>
#include <string>

#include "app/grid/log_grid_model.h"
#include "app/grid/log_grid_view.h"
#include "decode/meter_reading.h"
#include "log/log_table.h"

namespace {

// Records that hold the longest texts of each column, one text per field and record.
std::vector<LogRecord> longestRecords(std::string_view timeSeparator) {
    std::vector<LogRecord> records;
    const auto at = [&records](std::size_t i) -> LogRecord& {
        if (records.size() <= i) records.resize(i + 1);
        return records[i];
    };
    at(0).No = 10000000;
    at(1).No = 9999999;
    const std::string sep(timeSeparator);
    at(0).Time = "00" + sep + "00" + sep + "00";
    for (std::size_t i = 0; i < kFunctionTexts.size(); ++i)
        at(i).DcAc = std::string(kFunctionTexts[i]);
    for (std::size_t i = 0; i < kUnitTexts.size(); ++i)
        at(i).Unit = std::string(kUnitTexts[i]);
    // A sign, four digits and a separator; digits have one width in the grid's font.
    at(0).Value = "-0.000";
    at(1).Value = "-0,000";
    at(2).Value = "0.L";
    at(0).Auto = "pass";
    at(1).Auto = "Fail";
    return records;
}

}  // namespace

std::vector<int> shareColumnWidths(std::span<const int> needed, std::span<const int> weights,
                                   int available) {
    assert(needed.size() == weights.size());
    std::vector<int> widths(needed.begin(), needed.end());
    const int rest = available - std::accumulate(needed.begin(), needed.end(), 0);
    if (rest <= 0 || widths.empty()) return widths;
    const long long total = std::accumulate(weights.begin(), weights.end(), 0LL);
    const auto weight = [&](std::size_t i) { return total > 0 ? weights[i] : 1LL; };
    const long long sum = total > 0 ? total : static_cast<long long>(widths.size());
    std::vector<long long> remainders(widths.size());
    int given = 0;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        const long long share = rest * weight(i);
        widths[i] += static_cast<int>(share / sum);
        given += static_cast<int>(share / sum);
        remainders[i] = share % sum;
    }
    std::vector<std::size_t> order(widths.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return remainders[a] > remainders[b]; });
    for (std::size_t k = 0; given < rest; ++k, ++given)
        ++widths[order[k]];
    return widths;
}

void fitLogGridColumns(LogGridView& grid, std::string_view timeSeparator) {
    QHeaderView* header = grid.header();
    const int columns = header->count();
    // Shown through the grid's own model, so that unit symbols are measured as they are drawn.
    LogTable samples;
    for (const LogRecord& record : longestRecords(timeSeparator))
        samples.append(record);
    const LogGridModel shown(samples, nullptr);
    std::vector<int> needed(static_cast<std::size_t>(columns));
    std::vector<int> weights(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c) {
        int need = header->sectionSizeHint(c);
        for (int row = 0; row < shown.rowCount(); ++row)
            need = std::max(need, grid.cellWidthFor(shown.index(row, c).data().toString()));
        needed[static_cast<std::size_t>(c)] = need;
        weights[static_cast<std::size_t>(c)] = LogGridModel::columnWidth(c);
    }
    grid.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int available =
        grid.width() - 2 * grid.frameWidth() - grid.verticalScrollBar()->sizeHint().width();
    const std::vector<int> widths = shareColumnWidths(needed, weights, available);
    for (int c = 0; c < columns; ++c)
        header->resizeSection(c, widths[static_cast<std::size_t>(c)]);
}
