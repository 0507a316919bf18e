#pragma once
// The editor's live page: page 1 of the report as it will print, fitted to the pane. The edges
// between columns can be dragged: the width moves from one column to its neighbour, so the rest of
// the page stays where it is.
#include "host_export.h"
#include "reporting/ReportDocument.h"

#include <QWidget>
#include <memory>
#include <vector>

class HOST_EXPORT LivePageView : public QWidget {
    Q_OBJECT
public:
    explicit LivePageView(QWidget* parent = nullptr);
    ~LivePageView() override;

    // The document to show (its first page), with the criteria block it was laid out with.
    void setDocument(std::unique_ptr<ReportDocument> document, const QStringList& criteria);
    const ReportDocument* document() const { return m_doc.get(); }
    // 0: the whole page fits the view; otherwise the size on screen (1: the paper's own size).
    void setZoom(double zoom);
    QSize sizeHint() const override;
    // Where a point of the page, in layout units from the printable area's top-left, is shown.
    QPointF toView(QPointF layout) const { return origin() + layout * scale(); }

signals:
    // The edge after column was dropped elsewhere: the designed widths (mm) of the column and the
    // next that draw it there.
    void edgeDragged(int column, double width, double nextWidth);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // Pixels per layout unit, and where the printable area's top-left lies in the widget.
    double scale() const;
    QPointF origin() const;
    // The edge (the column before it) under x, or -1.
    int edgeAt(double x) const;

    std::unique_ptr<ReportDocument> m_doc;
    std::vector<double> m_edges; // layout units: the right edge of every column but the last
    std::vector<double> m_drawn; // every column's width as drawn
    std::vector<double> m_need;  // the least width of every column (its field size, a minimum)
    double m_width = 0;          // the printable width
    double m_zoom = 0;
    bool m_hover = false;
    int m_dragging = -1;
    double m_dragFrom = 0, m_dragTo = 0;
};
