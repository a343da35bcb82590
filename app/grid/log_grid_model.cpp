#include "app/grid/log_grid_model.h"

#include <array>
#include <limits>

#include "ui/ansi_text.h"
#include "ui/unit_symbols.h"

namespace {

struct Column {
    LogField field;
    const char* title;
    Qt::Alignment alignment;
    int width;
};

constexpr std::array<Column, 6> kColumns = {{
    {LogField::No, "No.", Qt::AlignRight | Qt::AlignVCenter, 39},
    {LogField::Time, "Time", Qt::AlignHCenter | Qt::AlignVCenter, 53},
    {LogField::DcAc, "Function", Qt::AlignHCenter | Qt::AlignVCenter, 42},
    {LogField::Value, "Value", Qt::AlignRight | Qt::AlignVCenter, 51},
    {LogField::Unit, "Unit", Qt::AlignRight | Qt::AlignVCenter, 36},
    {LogField::Auto, "Judge", Qt::AlignLeft | Qt::AlignVCenter, 38},
}};

int clampToInt(std::size_t n) {
    return n > static_cast<std::size_t>(std::numeric_limits<int>::max())
               ? std::numeric_limits<int>::max()
               : static_cast<int>(n);
}

}  // namespace

LogGridModel::LogGridModel(LogTable& table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table), m_rows(clampToInt(table.rowCount())) {
    LogTableObserver observer;
    observer.rowsAppended = [this](std::size_t first, std::size_t count) {
        const int from = clampToInt(first);
        const int to = clampToInt(first + count);
        if (count == 0 || from != m_rows || to <= from) {
            beginResetModel();
            m_rows = clampToInt(m_table.rowCount());
            endResetModel();
            return;
        }
        beginInsertRows({}, from, to - 1);
        m_rows = to;
        endInsertRows();
    };
    observer.reset = [this] {
        beginResetModel();
        m_rows = clampToInt(m_table.rowCount());
        endResetModel();
    };
    m_observerId = m_table.addObserver(std::move(observer));
}

LogGridModel::~LogGridModel() {
    m_table.removeObserver(m_observerId);
}

int LogGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int LogGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kColumns.size());
}

QVariant LogGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows ||
        static_cast<std::size_t>(index.row()) >= m_table.rowCount()) {
        return {};
    }
    const Column& column = kColumns[static_cast<std::size_t>(index.column())];
    switch (role) {
        case Qt::DisplayRole: {
            const auto row = static_cast<std::size_t>(index.row());
            if (column.field == LogField::No) {
                const auto no = m_table.No(row);
                return no ? QString::number(*no) : QString();
            }
            const auto text = m_table.text(row, column.field);
            if (!text) return QString();
            return column.field == LogField::Unit ? unitSymbolText(*text) : ansiToQString(*text);
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(column.alignment);
        default:
            return {};
    }
}

QVariant LogGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(kColumns.size())) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return QString::fromLatin1(kColumns[static_cast<std::size_t>(section)].title);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

LogField LogGridModel::columnField(int column) {
    return kColumns.at(static_cast<std::size_t>(column)).field;
}

int LogGridModel::columnWidth(int column) {
    return kColumns.at(static_cast<std::size_t>(column)).width;
}
