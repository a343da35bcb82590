#include "app/grid_cell_delegate.h"

#include <QApplication>
#include <QPainter>

namespace {
constexpr int kPadding = 2;
}

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QString text = cell.text;
    cell.text.clear();
    const QStyle* style = cell.widget != nullptr ? cell.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);

    const bool selected = (cell.state & QStyle::State_Selected) != 0;
    painter->save();
    painter->setClipRect(cell.rect);
    painter->setFont(cell.font);
    painter->setPen(cell.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(cell.rect.adjusted(kPadding, 0, -kPadding, 0),
                      static_cast<int>(cell.displayAlignment), text);
    painter->restore();
}
