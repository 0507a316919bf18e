#include "reporting/editor/LivePageView.h"

#include "reporting/ReportLayout.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {
constexpr double kUnitsPerPoint = ReportDocument::kUnitsPerInch / 72.0;
constexpr int kMargin = 8;  // pixels around the paper
constexpr double kGrip = 5; // pixels either side of an edge that pick it up
} // namespace

LivePageView::LivePageView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumWidth(240);
    setAccessibleName(QStringLiteral("Página ao vivo"));
}

LivePageView::~LivePageView() = default;

QSize LivePageView::sizeHint() const {
    if (m_zoom <= 0 || !m_doc)
        return {520, 400};
    const QSizeF paper = m_doc->pageLayout().fullRect(QPageLayout::Point).size() * kUnitsPerPoint * scale();
    return (paper + QSizeF(2 * kMargin, 2 * kMargin)).toSize();
}

void LivePageView::setZoom(double zoom) {
    m_zoom = zoom;
    updateGeometry();
    if (m_zoom > 0)
        resize(sizeHint());
    update();
}

void LivePageView::setDocument(std::unique_ptr<ReportDocument> document, const QStringList& criteria) {
    const bool resized =
        m_doc && document && m_doc->pageLayout().fullRect() != document->pageLayout().fullRect();
    m_doc = std::move(document);
    m_edges.clear();
    if (m_doc) {
        const ReportLayout::Geometry g = ReportLayout::geometry(m_doc->definition(), m_doc->pageLayout(),
                                                                TextMeasurer::shared(), criteria);
        for (size_t i = 0; i + 1 < g.columnX.size(); ++i)
            m_edges.push_back(g.columnX[i] + g.columnW[i]);
        m_drawn = g.columnW;
        m_need.clear();
        for (const ReportColumn& c : m_doc->definition().columns)
            m_need.push_back(std::max(20.0, ReportLayout::neededWidth(c, g.size, TextMeasurer::shared())));
        m_width = g.width;
    }
    if (resized || m_zoom > 0)
        setZoom(m_zoom);
    update();
}

double LivePageView::scale() const {
    if (m_zoom > 0)
        return m_zoom * logicalDpiX() / ReportDocument::kUnitsPerInch;
    if (!m_doc)
        return 1;
    const QSizeF paper = m_doc->pageLayout().fullRect(QPageLayout::Point).size() * kUnitsPerPoint;
    return std::max(0.01, std::min((width() - 2.0 * kMargin) / paper.width(),
                                   (height() - 2.0 * kMargin) / paper.height()));
}

QPointF LivePageView::origin() const {
    const QPointF printable = m_doc->pageLayout().paintRect(QPageLayout::Point).topLeft() * kUnitsPerPoint;
    return QPointF(kMargin, kMargin) + printable * scale();
}

int LivePageView::edgeAt(double x) const {
    if (!m_doc)
        return -1;
    for (size_t i = 0; i < m_edges.size(); ++i)
        if (std::abs(origin().x() + m_edges[i] * scale() - x) <= kGrip)
            return int(i);
    return -1;
}

void LivePageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    if (!m_doc || m_doc->pageCount() < 1)
        return;
    const double s = scale();
    const QSizeF paper = m_doc->pageLayout().fullRect(QPageLayout::Point).size() * kUnitsPerPoint * s;
    painter.fillRect(QRectF(QPointF(kMargin, kMargin), paper), Qt::white);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(origin());
    painter.scale(s, s);
    m_doc->drawPage(painter, 0);
    painter.restore();
    // The edges that can be dragged, shown while the pointer is over the page; they do not print.
    const QPointF top = origin();
    const double bottom =
        top.y() + m_doc->pageLayout().paintRect(QPageLayout::Point).height() * kUnitsPerPoint * s;
    if (m_hover && m_dragging < 0) {
        painter.setPen(QPen(QColor(0, 120, 215, 110), 1, Qt::DotLine));
        for (double edge : m_edges)
            painter.drawLine(QPointF(top.x() + edge * s, top.y()), QPointF(top.x() + edge * s, bottom));
    }
    if (m_dragging >= 0) {
        const double x = top.x() + m_dragTo * s;
        painter.setPen(QPen(QColor(0, 120, 215), 1, Qt::DashLine));
        painter.drawLine(QPointF(x, top.y()), QPointF(x, bottom));
    }
}

void LivePageView::enterEvent(QEnterEvent*) {
    m_hover = true;
    update();
}

void LivePageView::leaveEvent(QEvent*) {
    m_hover = false;
    update();
}

void LivePageView::mousePressEvent(QMouseEvent* event) {
    const int edge = event->button() == Qt::LeftButton ? edgeAt(event->position().x()) : -1;
    if (edge < 0)
        return QWidget::mousePressEvent(event);
    m_dragging = edge;
    m_dragFrom = m_dragTo = m_edges[size_t(edge)];
    update();
}

void LivePageView::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging < 0) {
        setCursor(edgeAt(event->position().x()) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
        return;
    }
    // Between the neighbours' other edges, each column keeping the width its field size needs.
    const size_t i = size_t(m_dragging);
    const double left = (i > 0 ? m_edges[i - 1] : 0) + m_need[i];
    const double right = (i + 1 < m_edges.size() ? m_edges[i + 1] : m_width) - m_need[i + 1];
    m_dragTo = std::clamp((event->position().x() - origin().x()) / scale(), std::min(left, m_dragFrom),
                          std::max(right, m_dragFrom));
    update();
}

void LivePageView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragging < 0)
        return QWidget::mouseReleaseEvent(event);
    const size_t column = size_t(m_dragging);
    const double delta = m_dragTo - m_dragFrom;
    m_dragging = -1;
    update();
    if (std::abs(delta) <= 1)
        return;
    // Columns above their least width are drawn at one scale of their designed width: the pair's new
    // widths at that scale put the edge where it was dropped, whatever was at its least before.
    const QList<ReportColumn>& columns = m_doc->definition().columns;
    double designed = 0, drawn = 0;
    for (size_t i = 0; i < m_drawn.size(); ++i)
        if (m_drawn[i] > m_need[i] + 0.5 && columns[qsizetype(i)].width > 0) {
            designed += columns[qsizetype(i)].width;
            drawn += m_drawn[i];
        }
    const double unitsPerMm = designed > 0 ? drawn / designed : m_width / 100;
    emit edgeDragged(int(column), (m_drawn[column] + delta) / unitsPerMm,
                     (m_drawn[column + 1] - delta) / unitsPerMm);
}
