#include "app/grid/log_grid_view.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {
constexpr int kPadding = 2;
}

LogGridView::LogGridView(QWidget* parent)
    : QAbstractScrollArea(parent), m_header(new QHeaderView(Qt::Horizontal, this)) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    m_header->setSectionsClickable(false);
    m_header->setHighlightSections(false);
    m_header->setSectionResizeMode(QHeaderView::Interactive);
    m_header->setStretchLastSection(false);
    connect(m_header, &QHeaderView::sectionResized, this, [this] {
        updateScrollBars();
        viewport()->update();
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, m_header, &QHeaderView::setOffset);
    verticalScrollBar()->setSingleStep(1);
}

void LogGridView::setModel(QAbstractItemModel* model) {
    if (m_model != nullptr) disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    m_header->setModel(model);
    if (model != nullptr) {
        const auto changed = [this] { modelChanged(); };
        connect(model, &QAbstractItemModel::rowsInserted, this, changed);
        connect(model, &QAbstractItemModel::rowsRemoved, this, changed);
        connect(model, &QAbstractItemModel::modelReset, this, changed);
        connect(model, &QAbstractItemModel::layoutChanged, this, changed);
        connect(model, &QAbstractItemModel::dataChanged, viewport(), qOverload<>(&QWidget::update));
    }
    modelChanged();
}

void LogGridView::modelChanged() {
    m_rows = m_model != nullptr ? m_model->rowCount() : 0;
    if (m_current >= m_rows) m_current = m_rows - 1;
    updateGeometries();
    viewport()->update();
}

void LogGridView::setRowHeight(int pixels) {
    m_rowHeight = std::max(1, pixels);
    updateScrollBars();
    viewport()->update();
}

int LogGridView::firstVisibleRow() const {
    return verticalScrollBar()->value();
}

int LogGridView::fullyVisibleRows() const {
    return std::max(1, viewport()->height() / m_rowHeight);
}

int LogGridView::rowAt(int y) const {
    if (y < 0) return -1;
    const int row = firstVisibleRow() + y / m_rowHeight;
    return row < m_rows ? row : -1;
}

int LogGridView::cellWidthFor(const QString& text) const {
    return viewport()->fontMetrics().horizontalAdvance(text) + 2 * kPadding;
}

void LogGridView::setCurrentRow(int row) {
    if (row < 0 || row >= m_rows) return;
    m_current = row;
    scrollToRow(row);
    viewport()->update();
}

void LogGridView::scrollToRow(int row) {
    const int first = firstVisibleRow();
    if (row < first) {
        verticalScrollBar()->setValue(row);
    } else if (row >= first + fullyVisibleRows()) {
        verticalScrollBar()->setValue(row - fullyVisibleRows() + 1);
    }
}

void LogGridView::updateGeometries() {
    const int headerHeight = m_header->sizeHint().height();
    setViewportMargins(0, headerHeight, 0, 0);
    const QRect area = viewport()->geometry();
    m_header->setGeometry(area.left(), area.top() - headerHeight, area.width(), headerHeight);
    updateScrollBars();
}

void LogGridView::updateScrollBars() {
    QScrollBar* rows = verticalScrollBar();
    rows->setPageStep(fullyVisibleRows());
    rows->setRange(0, std::max(0, m_rows - fullyVisibleRows()));
    QScrollBar* columns = horizontalScrollBar();
    columns->setPageStep(viewport()->width());
    columns->setSingleStep(20);
    columns->setRange(0, std::max(0, m_header->length() - viewport()->width()));
}

void LogGridView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateGeometries();
}

bool LogGridView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        updateGeometries();
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void LogGridView::scrollContentsBy(int, int) {
    viewport()->update();
}

void LogGridView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    if (m_model == nullptr) return;
    const QPalette& colours = palette();
    const int columns = m_model->columnCount();
    const int first = firstVisibleRow();
    const int last = std::min(m_rows - 1, first + viewport()->height() / m_rowHeight);
    const QColor lineColour = colours.color(QPalette::Mid);
    for (int row = first; row <= last; ++row) {
        const int top = (row - first) * m_rowHeight;
        const bool selected = row == m_current;
        for (int column = 0; column < columns; ++column) {
            if (m_header->isSectionHidden(column)) continue;
            const QRect cell(m_header->sectionViewportPosition(column), top,
                             m_header->sectionSize(column), m_rowHeight);
            if (cell.right() < 0 || cell.left() > viewport()->width()) continue;
            if (selected) painter.fillRect(cell, colours.color(QPalette::Highlight));
            const QModelIndex index = m_model->index(row, column);
            const auto alignment =
                Qt::Alignment::fromInt(m_model->data(index, Qt::TextAlignmentRole).toInt());
            painter.setPen(colours.color(selected ? QPalette::HighlightedText : QPalette::Text));
            painter.save();
            painter.setClipRect(cell.adjusted(0, 0, -1, -1));
            painter.drawText(cell.adjusted(kPadding, 0, -kPadding, -1),
                             static_cast<int>(alignment | Qt::AlignVCenter),
                             m_model->data(index).toString());
            painter.restore();
            painter.setPen(lineColour);
            painter.drawLine(cell.topRight(), cell.bottomRight());
            painter.drawLine(cell.bottomLeft(), cell.bottomRight());
        }
    }
}

void LogGridView::mousePressEvent(QMouseEvent* event) {
    const int row = rowAt(event->position().toPoint().y());
    if (row >= 0) setCurrentRow(row);
    QAbstractScrollArea::mousePressEvent(event);
}

void LogGridView::keyPressEvent(QKeyEvent* event) {
    int row = m_current;
    switch (event->key()) {
        case Qt::Key_Up:
            row -= 1;
            break;
        case Qt::Key_Down:
            row += 1;
            break;
        case Qt::Key_PageUp:
            row -= fullyVisibleRows();
            break;
        case Qt::Key_PageDown:
            row += fullyVisibleRows();
            break;
        case Qt::Key_Home:
            row = 0;
            break;
        case Qt::Key_End:
            row = m_rows - 1;
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    setCurrentRow(std::clamp(row, 0, std::max(0, m_rows - 1)));
}
