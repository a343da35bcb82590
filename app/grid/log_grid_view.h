#pragma once

#include <QAbstractScrollArea>
#include <QPointer>

class QAbstractItemModel;
class QHeaderView;

/// The grid `DBGrid1`: a read-only data grid that shows whole rows of a table model, with
/// resizable column titles, column and row lines and one current row shown selected.
///
/// It paints only the rows in view and keeps no per-row state, so a repaint after an append
/// costs the same with ten rows or ten million (a table view's row header recomputes every
/// row's position after each insert). GUI thread only; the model must outlive the view or
/// be detached first.
class LogGridView : public QAbstractScrollArea {
public:
    explicit LogGridView(QWidget* parent);

    void setModel(QAbstractItemModel* model);
    QAbstractItemModel* model() const { return m_model; }
    /// The column titles; their sections give the column widths.
    QHeaderView* header() const { return m_header; }

    /// The current (selected) row; -1 when there is none.
    int currentRow() const { return m_current; }
    /// Makes `row` current and scrolls it into view.
    void setCurrentRow(int row);
    void scrollToRow(int row);
    /// Row height in pixels.
    int rowHeight() const { return m_rowHeight; }
    void setRowHeight(int pixels);
    /// The first row in view and how many rows fit wholly.
    int firstVisibleRow() const;
    int fullyVisibleRows() const;
    /// The row under a point of the viewport; -1 below the last row.
    int rowAt(int y) const;
    /// The column width a cell needs to show `text` whole in the grid's font, its padding
    /// included.
    int cellWidthFor(const QString& text) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void modelChanged();
    void updateGeometries();
    void updateScrollBars();

    QHeaderView* m_header;
    QPointer<QAbstractItemModel> m_model;
    int m_rows = 0;
    int m_current = -1;
    int m_rowHeight = 18;
};
