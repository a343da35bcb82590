#pragma once

#include <QAbstractTableModel>

#include "log/log_table.h"

/// The grid `DBGrid1`'s view of the log table: six columns (No., Time, Function, Value, Unit,
/// Judge; NVal has none), rows read from the table on demand, nothing copied. Follows the
/// table through its observer, so rows appear as soon as they are appended.
/// Does not own the table; the table must outlive the model. GUI thread only.
class LogGridModel : public QAbstractTableModel {
public:
    LogGridModel(LogTable& table, QObject* parent);
    ~LogGridModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    /// The table field shown in a column.
    static LogField columnField(int column);
    /// Width of a column in the design, in pixels; the grid shares what its texts leave over
    /// in these proportions (fitLogGridColumns).
    static int columnWidth(int column);

private:
    LogTable& m_table;
    LogTable::ObserverId m_observerId = 0;
    int m_rows = 0;
};
