#pragma once

#include <QStyledItemDelegate>

/// Draws the grid's cells as a data grid does: 2 pixels of padding and the text clipped at the
/// cell's edge rather than elided, so that "10:15:30" fits its 53-pixel column.
class GridCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
