#include "reporting/preview/ReportPageView.h"

#include "reporting/ReportDocument.h"
#include "reporting/preview/ReportTextSearch.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

namespace {
// Pages drawn are kept by their size in kB: what fills the view some three times over, and at least two
// pages (a page at the width of a large screen is some 6 MB).
qint64 kilobytes(QSize pixels) {
    return qMax<qint64>(1, qint64(pixels.width()) * pixels.height() * 4 / 1024);
}
constexpr double kUnitsPerPoint = ReportDocument::kUnitsPerInch / 72.0;
} // namespace

const QList<int>& ReportPageView::zoomSteps() {
    static const QList<int> steps{25, 50, 75, 100, 125, 150, 200, 300, 400};
    return steps;
}

ReportPageView::ReportPageView(const ReportDocument& document, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(document) {
    setAccessibleName(QStringLiteral("Páginas do relatório"));
    setFocusPolicy(Qt::StrongFocus);
    // Always there, so fitting the width never makes the bar come and go.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(false);
    connect(&document, &ReportDocument::pagesAdded, this, [this] {
        updateScrollBars();
        viewport()->update();
    });
    // The footers say "Página X de Y" from now on: the pages kept are drawn again.
    connect(&document, &ReportDocument::completed, this, [this] {
        m_cache.clear();
        updateScrollBars();
        viewport()->update();
    });
}

double ReportPageView::scale() const {
    const QSizeF paper = m_doc.pageLayout().fullRect(QPageLayout::Point).size();
    const QSize view = viewport()->size();
    const double width = (view.width() - 2 * kMargin) / paper.width();
    if (m_zoom == FitWidth)
        return qMax(0.02, width);
    if (m_zoom == FitPage)
        return qMax(0.02, qMin(width, (view.height() - 2 * kGap) / paper.height()));
    return m_zoom / 100.0 * logicalDpiX() / 72.0;
}

int ReportPageView::percent() const {
    return qRound(scale() * 72.0 / logicalDpiX() * 100);
}

QSize ReportPageView::pageSize() const {
    const QSizeF paper = m_doc.pageLayout().fullRect(QPageLayout::Point).size() * scale();
    return QSize(qMax(1, int(paper.width())), qMax(1, int(paper.height())));
}

QRect ReportPageView::pageRect(int page) const {
    const QSize size = pageSize();
    const int x = qMax(kMargin, (viewport()->width() - size.width()) / 2) - horizontalScrollBar()->value();
    const int y = kGap + page * pageStride() - verticalScrollBar()->value();
    return QRect(QPoint(x, y), size);
}

QSize ReportPageView::drawnPageSize(int page) const {
    const QPixmap* pixmap = m_cache.object(page);
    return pixmap ? pixmap->deviceIndependentSize().toSize() : QSize();
}

void ReportPageView::updateScrollBars() {
    const QSize size = pageSize();
    const QSize view = viewport()->size();
    m_stride = pageStride();
    const int height = kGap + m_doc.pageCount() * m_stride;
    verticalScrollBar()->setRange(0, qMax(0, height - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(qMax(20, view.height() / 20));
    horizontalScrollBar()->setRange(0, qMax(0, size.width() + 2 * kMargin - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(qMax(20, view.width() / 20));
}

void ReportPageView::rescale(const std::function<void()>& change) {
    const double at = m_stride > 0 ? double(verticalScrollBar()->value()) / m_stride : 0;
    const QScrollBar* h = horizontalScrollBar();
    const double across = h->maximum() > 0 ? double(h->value()) / h->maximum() : 0.5;
    change();
    updateScrollBars();
    verticalScrollBar()->setValue(qRound(at * m_stride));
    horizontalScrollBar()->setValue(qRound(across * horizontalScrollBar()->maximum()));
    viewport()->update();
}

void ReportPageView::setZoom(int zoom) {
    zoomAround(zoom, leftEdge());
}

QPoint ReportPageView::leftEdge() const {
    return QPoint(qBound(0, pageRect(0).left(), viewport()->width()), 0);
}

void ReportPageView::zoomAround(int zoom, QPoint at) {
    if (zoom == 0 || zoom == m_zoom)
        return;
    // The point under at, in points of its page, before the change...
    const double before = scale();
    const int stride = pageStride();
    const double down = verticalScrollBar()->value() + at.y() - kGap;
    const int page = qBound(0, int(std::floor(down / stride)), qMax(0, m_doc.pageCount() - 1));
    const double y = (down - page * stride) / before;
    const double x = (at.x() - pageRect(0).left()) / before;
    m_zoom = zoom;
    updateScrollBars();
    // ...is under at after it, as far as the scroll bars go.
    const double after = scale();
    verticalScrollBar()->setValue(qRound(kGap + page * pageStride() + y * after - at.y()));
    const int left = qMax(kMargin, (viewport()->width() - pageSize().width()) / 2);
    horizontalScrollBar()->setValue(qRound(left + x * after - at.x()));
    viewport()->update();
    updateCurrentPage();
    emit zoomChanged(m_zoom);
}

void ReportPageView::zoomBy(int steps) {
    setZoom(nextStep(steps));
}

void ReportPageView::zoomBy(int steps, QPoint at) {
    zoomAround(nextStep(steps), at);
}

int ReportPageView::nextStep(int steps) const {
    const int now = percent();
    const QList<int>& all = zoomSteps();
    int next = now;
    if (steps > 0) {
        auto it = std::upper_bound(all.begin(), all.end(), now);
        next = it == all.end() ? all.back() : *it;
    } else if (steps < 0) {
        auto it = std::lower_bound(all.begin(), all.end(), now);
        next = it == all.begin() ? all.front() : *(it - 1);
    }
    return next;
}

void ReportPageView::goToPage(int page) {
    page = qBound(0, page, qMax(0, m_doc.pageCount() - 1));
    verticalScrollBar()->setValue(page * pageStride());
    setCurrent(page); // the page asked for, though the end of the scroll shows others whole too
}

void ReportPageView::setCurrent(int page) {
    if (page == m_current)
        return;
    m_current = page;
    emit currentPageChanged(page);
}

void ReportPageView::updateCurrentPage() {
    // The page that takes most of the view.
    const int pages = m_doc.pageCount();
    const int height = viewport()->height();
    const int first = qMax(0, (verticalScrollBar()->value() - kGap) / pageStride());
    int best = first, shown = -1;
    for (int page = first; page < pages; ++page) {
        const QRect r = pageRect(page);
        if (r.top() >= height)
            break;
        const int visible = qMin(r.bottom(), height) - qMax(r.top(), 0);
        if (visible > shown) {
            shown = visible;
            best = page;
        }
    }
    setCurrent(qMin(best, qMax(0, pages - 1)));
}

void ReportPageView::scrollContentsBy(int, int) {
    viewport()->update();
    updateCurrentPage();
}

void ReportPageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const int current = m_current;
    rescale([] {});
    setCurrent(current);
}

void ReportPageView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const int delta = event->angleDelta().y();
    if (delta != 0)
        zoomBy(delta > 0 ? 1 : -1, event->position().toPoint());
    event->accept();
}

void ReportPageView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_PageDown:
        goToPage(m_current + 1);
        break;
    case Qt::Key_PageUp:
        // Back to the top of this page first when it is scrolled past.
        goToPage(pageRect(m_current).top() < kGap - 1 ? m_current : m_current - 1);
        break;
    case Qt::Key_Home:
        goToPage(0);
        break;
    case Qt::Key_End:
        goToPage(m_doc.pageCount() - 1);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ReportPageView::setSearch(const ReportTextSearch* search) {
    m_search = search;
    m_currentMatch = -1;
    viewport()->update();
}

void ReportPageView::setCurrentMatch(int index) {
    m_currentMatch = index;
    if (m_search && index >= 0 && index < m_search->count()) {
        const ReportTextSearch::Match& match = m_search->matchAt(index);
        const QRectF paper = m_doc.onPaper(match.box);
        const double s = scale();
        const QRect page = pageRect(match.page);
        const QRect box(page.topLeft() + (paper.topLeft() * s).toPoint(), (paper.size() * s).toSize());
        const QRect view = viewport()->rect();
        if (!view.contains(box)) {
            QScrollBar* v = verticalScrollBar();
            QScrollBar* h = horizontalScrollBar();
            if (box.top() < 0 || box.bottom() > view.height())
                v->setValue(v->value() + box.center().y() - view.height() / 2);
            if (box.left() < 0 || box.right() > view.width())
                h->setValue(h->value() + box.center().x() - view.width() / 2);
        }
        setCurrent(match.page);
    }
    viewport()->update();
}

const QPixmap& ReportPageView::rendered(int page) {
    if (const QPixmap* kept = m_cache.object(page))
        return *kept;
    const double ratio = devicePixelRatioF();
    const double pixelsPerPoint = scale() * ratio;
    const QSize size = pageSize();
    QImage image(QSize(qRound(size.width() * ratio), qRound(size.height() * ratio)), QImage::Format_RGB32);
    const int dotsPerMeter = int(pixelsPerPoint * 72 / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        // Layout units from the top-left of the printable area, at exactly this view's scale.
        painter.scale(pixelsPerPoint / kUnitsPerPoint, pixelsPerPoint / kUnitsPerPoint);
        painter.translate(m_doc.pageLayout().paintRect(QPageLayout::Point).topLeft() * kUnitsPerPoint);
        m_doc.drawPageOnScreen(painter, page);
    }
    auto* pixmap = new QPixmap(QPixmap::fromImage(std::move(image)));
    pixmap->setDevicePixelRatio(ratio);
    const int cost = int(kilobytes(pixmap->size()));
    if (m_cache.maxCost() < 2 * cost) // never refused: a refused page would be gone
        m_cache.setMaxCost(2 * cost);
    m_cache.insert(page, pixmap, cost);
    return *pixmap;
}

void ReportPageView::paintMatches(QPainter& painter, int page, const QRect& where) {
    if (!m_search)
        return;
    const auto [first, last] = m_search->matchesOn(page);
    if (first == last)
        return;
    const double s = scale();
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Multiply); // the text stays black
    for (int i = first; i < last; ++i)
        for (const QRectF& match : m_search->matchAt(i).boxes) {
            const QRectF paper = m_doc.onPaper(match);
            const QRectF box(where.topLeft() + paper.topLeft() * s, paper.size() * s);
            const bool current = i == m_currentMatch;
            painter.fillRect(box.adjusted(-1, -1, 1, 1),
                             current ? QColor(255, 140, 0) : QColor(255, 235, 60));
            if (current) {
                painter.setPen(QPen(QColor(200, 60, 0), 2));
                painter.drawRect(box.adjusted(-2, -2, 2, 2));
            }
        }
    painter.restore();
}

void ReportPageView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Dark));
    const double s = scale();
    if (std::abs(s - m_cachedScale) > 1e-9) {
        m_cache.clear();
        m_cachedScale = s;
    }
    const int pages = m_doc.pageCount();
    if (pages == 0) {
        painter.setPen(palette().color(QPalette::BrightText));
        painter.drawText(viewport()->rect(), Qt::AlignCenter,
                         QStringLiteral("Aguardando a primeira página…"));
        return;
    }
    const int height = viewport()->height();
    // Every page in sight is kept, and a few more.
    const double ratio = devicePixelRatioF();
    m_cache.setMaxCost(
        int(qMax(2 * kilobytes(pageSize() * ratio), 3 * kilobytes(viewport()->size() * ratio))));
    for (int page = qMax(0, (verticalScrollBar()->value() - kGap) / pageStride()); page < pages; ++page) {
        const QRect r = pageRect(page);
        if (r.top() >= height)
            break;
        if (r.bottom() < 0)
            continue;
        painter.fillRect(r.translated(2, 2), QColor(0, 0, 0, 90)); // a shadow
        painter.drawPixmap(r.topLeft(), rendered(page));
        paintMatches(painter, page, r);
    }
}
