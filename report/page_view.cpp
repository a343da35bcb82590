#include "report/page_view.h"

#include <QKeyEvent>
#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kGap = 12;  // grey around the page, in pixels
constexpr double kMillimetresPerInch = 25.4;

}  // namespace

PageView::PageView(PageDrawer drawer, QWidget* parent)
    : QAbstractScrollArea(parent), m_drawer(std::move(drawer)) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(false);
}

void PageView::setPaper(const QSizeF& paperMm) {
    m_paperMm = paperMm;
    m_kept.clear();
    updateScrollBars();
    viewport()->update();
}

void PageView::setPageCount(std::size_t count) {
    m_kept.clear();
    m_pageCount = count;
    const std::size_t current = count == 0 ? 0 : std::min(m_current, count - 1);
    const bool moved = current != m_current;
    m_current = current;
    updateScrollBars();
    viewport()->update();
    if (moved && m_onCurrentPageChanged) m_onCurrentPageChanged();
}

void PageView::setCurrentPage(std::size_t page) {
    if (page >= m_pageCount) return;
    changePage(page);
}

void PageView::changePage(std::size_t page) {
    if (page == m_current) return;
    m_current = page;
    viewport()->update();
    if (m_onCurrentPageChanged) m_onCurrentPageChanged();
}

void PageView::setZoomMode(ZoomMode mode) {
    m_zoom = mode;
    // A page as wide as the view is taller than it: keep the scroll bar, or its coming and
    // going would change the width it is fitted to.
    setVerticalScrollBarPolicy(mode == ZoomMode::Width ? Qt::ScrollBarAlwaysOn
                                                       : Qt::ScrollBarAsNeeded);
    updateScrollBars();
    viewport()->update();
}

void PageView::setMessage(const QString& text) {
    m_message = text;
    if (!text.isEmpty()) m_kept.clear();
    updateScrollBars();
    viewport()->update();
}

void PageView::setOnCurrentPageChanged(std::function<void()> callback) {
    m_onCurrentPageChanged = std::move(callback);
}

void PageView::setOnPageUnavailable(std::function<void()> callback) {
    m_onPageUnavailable = std::move(callback);
}

int PageView::pageDpi() const {
    const QSize view = viewport()->size();
    double dpi = logicalDpiX();
    const double fitWidth = (view.width() - 2 * kGap) / m_paperMm.width() * kMillimetresPerInch;
    const double fitHeight = (view.height() - 2 * kGap) / m_paperMm.height() * kMillimetresPerInch;
    switch (m_zoom) {
        case ZoomMode::Fit:
            dpi = std::min(fitWidth, fitHeight);
            break;
        case ZoomMode::Width:
            dpi = fitWidth;
            break;
        case ZoomMode::Actual:
            break;
    }
    return std::max(8, static_cast<int>(std::floor(dpi)));
}

QSize PageView::pageSizeInPixels() const {
    const double perMm = pageDpi() / kMillimetresPerInch;
    return {static_cast<int>(std::lround(m_paperMm.width() * perMm)),
            static_cast<int>(std::lround(m_paperMm.height() * perMm))};
}

QPoint PageView::pageTopLeft(const QSize& size) const {
    const QSize view = viewport()->size();
    const int x = size.width() + 2 * kGap > view.width() ? kGap - horizontalScrollBar()->value()
                                                         : (view.width() - size.width()) / 2;
    const int y = size.height() + 2 * kGap > view.height() ? kGap - verticalScrollBar()->value()
                                                           : (view.height() - size.height()) / 2;
    return {x, y};
}

void PageView::updateScrollBars() {
    const bool page = m_message.isEmpty() && m_pageCount > 0;
    const QSize size = page ? pageSizeInPixels() : QSize();
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, size.width() + 2 * kGap - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, std::max(0, size.height() + 2 * kGap - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(20);
}

const QImage* PageView::pageImage(std::size_t page, const QSize& logicalSize) {
    const double ratio = devicePixelRatioF();
    const QSize pixels(static_cast<int>(std::lround(logicalSize.width() * ratio)),
                       static_cast<int>(std::lround(logicalSize.height() * ratio)));
    const auto found = std::find_if(m_kept.begin(), m_kept.end(), [&](const Kept& k) {
        return k.page == page && k.image.size() == pixels;
    });
    if (found != m_kept.end()) {
        std::rotate(found, found + 1, m_kept.end());
        return &m_kept.back().image;
    }
    // Images of another zoom are not shown again soon; only this zoom's are worth keeping.
    std::erase_if(m_kept, [&](const Kept& k) { return k.image.size() != pixels; });

    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    const double dotsPerMm = pageDpi() * ratio / kMillimetresPerInch;
    const int dotsPerMeter = static_cast<int>(std::lround(dotsPerMm * 1000.0));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    bool drawn = false;
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        drawn = m_drawer && m_drawer(painter, page);
    }
    ++m_pagesDrawn;
    if (!drawn) return nullptr;
    m_kept.push_back({page, std::move(image)});
    if (m_kept.size() > kKeptPages) m_kept.erase(m_kept.begin());
    return &m_kept.back().image;
}

void PageView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Dark));
    if (!m_message.isEmpty() || m_pageCount == 0) {
        painter.setPen(palette().color(QPalette::BrightText));
        painter.drawText(viewport()->rect().adjusted(kGap, kGap, -kGap, -kGap),
                         Qt::AlignCenter | Qt::TextWordWrap, m_message);
        return;
    }
    const QSize size = pageSizeInPixels();
    const QRect page(pageTopLeft(size), size);
    painter.fillRect(page.translated(3, 3), palette().color(QPalette::Shadow));
    if (const QImage* image = pageImage(m_current, size)) {
        painter.drawImage(page, *image);
        return;
    }
    painter.fillRect(page, Qt::white);
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_onPageUnavailable) m_onPageUnavailable();
        },
        Qt::QueuedConnection);
}

void PageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void PageView::wheelEvent(QWheelEvent* event) {
    // Past the foot of a page the wheel goes on to the next one, past its head to the one before.
    QScrollBar* bar = verticalScrollBar();
    const int delta = event->angleDelta().y();
    if (delta < 0 && bar->value() == bar->maximum() && m_current + 1 < m_pageCount) {
        changePage(m_current + 1);
        bar->setValue(bar->minimum());
        event->accept();
        return;
    }
    if (delta > 0 && bar->value() == bar->minimum() && m_current > 0) {
        changePage(m_current - 1);
        bar->setValue(bar->maximum());
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void PageView::keyPressEvent(QKeyEvent* event) {
    if (m_pageCount == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_PageDown:
            if (m_current + 1 < m_pageCount) changePage(m_current + 1);
            break;
        case Qt::Key_PageUp:
            if (m_current > 0) changePage(m_current - 1);
            break;
        case Qt::Key_Home:
            changePage(0);
            break;
        case Qt::Key_End:
            changePage(m_pageCount - 1);
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    event->accept();
}
