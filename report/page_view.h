#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QSizeF>

#include <cstddef>
#include <functional>
#include <vector>

class QPainter;

/// How the page fits into the view.
enum class ZoomMode {
    Fit,     ///< the whole page in view
    Actual,  ///< 100 %: the page at its real size on the screen
    Width,   ///< the page's width fills the view
};

/// Shows one page of a paged document at a time. Pages are drawn only when they come into
/// view, through the drawer, and the last few drawn are kept as images, so the cost of
/// showing a page does not depend on how many pages there are. GUI thread only.
class PageView : public QAbstractScrollArea {
public:
    /// Draws `page` with the painter's origin at the paper's corner, on a white image whose
    /// resolution is the zoom's; false when the page cannot be drawn (nothing is kept then).
    using PageDrawer = std::function<bool(QPainter& painter, std::size_t page)>;

    explicit PageView(PageDrawer drawer, QWidget* parent = nullptr);

    /// The paper in millimetres. Drops every kept image.
    void setPaper(const QSizeF& paperMm);
    /// Number of pages; the current page moves into the new range. Drops every kept image.
    void setPageCount(std::size_t count);
    std::size_t pageCount() const { return m_pageCount; }
    /// From 0; ignored outside the pages.
    void setCurrentPage(std::size_t page);
    std::size_t currentPage() const { return m_current; }
    void setZoomMode(ZoomMode mode);
    ZoomMode zoomMode() const { return m_zoom; }
    /// The page's resolution on screen at the current zoom and view size, in whole dots per
    /// inch so that the page image and the fonts drawn on it scale alike.
    int pageDpi() const;
    /// A text shown instead of the pages while not empty (no pages, pages gone).
    void setMessage(const QString& text);
    QString message() const { return m_message; }

    /// Called after the current page changed.
    void setOnCurrentPageChanged(std::function<void()> callback);
    /// Called, after the paint, when the drawer could not draw a page in view.
    void setOnPageUnavailable(std::function<void()> callback);

    /// Pages drawn so far (each drawing of a page counts once; images reused do not count).
    std::size_t pagesDrawn() const { return m_pagesDrawn; }
    /// Page images kept now; never more than kKeptPages.
    std::size_t keptPages() const { return m_kept.size(); }
    static constexpr std::size_t kKeptPages = 3;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Kept {
        std::size_t page;
        QImage image;
    };
    QSize pageSizeInPixels() const;
    QPoint pageTopLeft(const QSize& size) const;
    const QImage* pageImage(std::size_t page, const QSize& logicalSize);
    void updateScrollBars();
    void changePage(std::size_t page);

    PageDrawer m_drawer;
    QSizeF m_paperMm{210.0, 297.0};
    std::size_t m_pageCount = 0;
    std::size_t m_current = 0;
    ZoomMode m_zoom = ZoomMode::Fit;
    QString m_message;
    std::vector<Kept> m_kept;  // most recently used last
    std::size_t m_pagesDrawn = 0;
    std::function<void()> m_onCurrentPageChanged;
    std::function<void()> m_onPageUnavailable;
};
