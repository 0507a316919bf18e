#pragma once
// The pages of a report one under the other in one vertical scroll. Only the pages in sight are
// drawn, at the resolution of the screen, and the last few drawn are kept; a report of thousands of
// pages opens as fast as one of a page. The zoom fits the page's width or the whole page to the view
// (again whenever the view is resized) or is a percentage of the paper's size. Matches of a search
// are highlighted on the pages, the current one in another colour.
#include "host_export.h"

#include <QAbstractScrollArea>
#include <QCache>
#include <QPixmap>
#include <functional>

class ReportDocument;
class ReportTextSearch;

class HOST_EXPORT ReportPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // A zoom is one of these or a percentage (100 is the paper's size on the screen).
    enum Fit { FitWidth = -1, FitPage = -2 };
    // The percentages the zoom steps through (Ctrl+wheel, Ctrl++ and Ctrl+-).
    static const QList<int>& zoomSteps();

    explicit ReportPageView(const ReportDocument& document, QWidget* parent = nullptr);

    int zoom() const { return m_zoom; }
    // A new zoom keeps the page's left edge where it is (or as near as the scroll allows) and the
    // point of the page at the top of the view.
    void setZoom(int zoom);
    // The next percentage up (steps > 0) or down from what is shown now.
    void zoomBy(int steps);
    // The same, keeping the point of the page under at (viewport pixels) in place: the mouse's.
    void zoomBy(int steps, QPoint at);
    // Screen pixels per point of paper at the zoom and the view's size.
    double scale() const;
    int percent() const;

    int currentPage() const { return m_current; } // 0-based
    // Scrolls the page's top into sight.
    void goToPage(int page);
    // Where a page is in the viewport, in pixels.
    QRect pageRect(int page) const;
    // The size of a page as last drawn (in the view's pixels); empty when it is not among those kept.
    QSize drawnPageSize(int page) const;

    // The search whose matches are highlighted; the current match (-1 for none) is scrolled into sight.
    void setSearch(const ReportTextSearch* search);
    void setCurrentMatch(int index);
    int currentMatch() const { return m_currentMatch; }

signals:
    void currentPageChanged(int page);
    void zoomChanged(int zoom);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QSize pageSize() const; // pixels at the current scale
    int pageStride() const { return pageSize().height() + kGap; }
    void updateScrollBars();
    void updateCurrentPage();
    void setCurrent(int page);
    // Keeps the point of the page at the top of the view in place while the scale changes.
    void rescale(const std::function<void()>& change);
    // Keeps the point of the page under at (viewport pixels) in place while the zoom changes.
    void zoomAround(int zoom, QPoint at);
    // The page's left edge at the top of the view (within it): where a zoom from the keys is anchored.
    QPoint leftEdge() const;
    int nextStep(int steps) const;
    const QPixmap& rendered(int page);
    void paintMatches(QPainter& painter, int page, const QRect& where);

    static constexpr int kGap = 10;   // between pages
    static constexpr int kMargin = 3; // left and right of a page fitted to the width

    const ReportDocument& m_doc;
    const ReportTextSearch* m_search = nullptr;
    int m_zoom = FitWidth;
    int m_current = 0;
    int m_currentMatch = -1;
    double m_cachedScale = 0;
    int m_stride = 0; // the page stride the scroll bars were set for
    QCache<int, QPixmap> m_cache;
};
