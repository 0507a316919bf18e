#pragma once
// The report's page layout, shared by the preview, the printer and the PDF. Text is measured once,
// with the fonts' width tables (TextMeasurer): eliding and wrapping are decided while paginating and
// kept, so every device draws the same lines. Rows arrive one at a time and pages are handed over
// as they fill, so a caller that draws them at once holds no more than the row in hand.
#include "host_export.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportSink.h"
#include "reporting/text/TextMeasurer.h"

#include <QDateTime>
#include <QFont>
#include <QPageLayout>
#include <QPointF>
#include <QRectF>
#include <QStringList>
#include <functional>
#include <vector>

class QPainter;
class PdfWriter;

namespace ReportLayout HOST_EXPORT {

using Font = TextMeasurer::Font;

// The Qt font the screen and the printer draw a report font with, size in the caller's units.
QFont qtFont(Font font, double size);

// Where a page draws: QPainter for the screen and the printer, PdfWriter for PDF. Coordinates are
// layout units (tenths of a point) from the top left of the printable area, y downwards.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void text(double x, double baseline, Font font, double size, QStringView text) = 0;
    virtual void fillRect(const QRectF& rect, double grey) = 0;
    virtual void line(QPointF from, QPointF to, double width) = 0;
    // "Página X de Y", right aligned in [x, x + width].
    virtual void pageNumber(double x, double baseline, double width, Font font, double size) = 0;
};

// QPainter already set up by ReportDocument::prepare; the page count is known.
class PainterCanvas : public Canvas {
public:
    PainterCanvas(QPainter& painter, int page, int pages);
    void text(double x, double baseline, Font font, double size, QStringView text) override;
    void fillRect(const QRectF& rect, double grey) override;
    void line(QPointF from, QPointF to, double width) override;
    void pageNumber(double x, double baseline, double width, Font font, double size) override;

private:
    QPainter& m_painter;
    int m_page, m_pages;
    Font m_font = Font::Regular;
    double m_size = -1; // no font set yet
};

// The page count is the writer's, written when it closes.
class PdfCanvas : public Canvas {
public:
    explicit PdfCanvas(PdfWriter& writer) : m_writer(writer) {}
    void text(double x, double baseline, Font font, double size, QStringView text) override;
    void fillRect(const QRectF& rect, double grey) override;
    void line(QPointF from, QPointF to, double width) override;
    void pageNumber(double x, double baseline, double width, Font font, double size) override;

private:
    PdfWriter& m_writer;
};

enum class ItemKind { Row, GroupHeader, GroupFooter, Total, Empty };

// One line of a row's cell as drawn: cells[column].mid(start, length), then "…" when elided.
struct Piece {
    float x = 0; // from the cell's left edge, alignment applied
    int column = 0;
    int line = 0; // from the top of the item: a row taller than a page counts anew on each page
    int start = 0;
    int length = 0;
    bool elided = false;
};

struct Item {
    ItemKind kind = ItemKind::Row;
    int row = -1; // the row (Row), or the group's first row (GroupHeader, GroupFooter)
    double y = 0, height = 0;
    bool shaded = false;
    int count = 0;  // rows counted by a footer or the total
    QString text;   // what a group header, footer, total or the empty line says, as drawn
    int pieces = 0; // a row's pieces, that many from where the item's pieces begin
};

struct Geometry {
    double width = 0, height = 0; // printable area
    double size = 0;              // detail font size
    double line = 0;              // detail line spacing
    double headerHeight = 0, footerHeight = 0, lineHeight = 0, groupHeight = 0;
    std::vector<double> columnX, columnW;
    // The criteria block under the title of the first page, as drawn (lines of at most the width),
    // and the height it adds to that page's header.
    std::vector<QString> criteria;
    double criteriaHeight = 0;
    // Where the rows of a page begin: the first page's header is taller by the criteria block.
    double top(int page) const { return headerHeight + (page == 0 ? criteriaHeight : 0); }
    double bottom() const { return std::max(top(0) + lineHeight * 2, height - footerHeight); }
};

// Columns get the widths of the definition, scaled to the page, but never less than what their
// declared field sizes need (ReportColumn::chars). criteria: the lines of the run's criteria block
// (ReportCriteria::describe), printed under the title of the first page.
Geometry geometry(const ReportDefinition& definition, const QPageLayout& layout, const TextMeasurer& m,
                  const QStringList& criteria);
// The width that a column needs to show any value of its field (0 when it declares no size).
double neededWidth(const ReportColumn& column, double size, const TextMeasurer& m);

// Told what the pagination places, in order.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void pageStarted(int index) = 0;
    // pieces: item.pieces of them; cells: the row's texts (empty for other items).
    virtual void placed(const Item& item, const Piece* pieces, const QStringList& cells) = 0;
    virtual void pageFinished(int index) = 0;
};

// A row taller than a page continues on the next ones: each page takes the lines it holds, under the
// group's "(continuação)" caption, and a cell whose lines have run out is empty on the rest. Nothing
// is cut, and nothing is drawn below the page's body.
class Paginator : public ReportGroups {
public:
    Paginator(const ReportDefinition& definition, const Geometry& geometry, const TextMeasurer& m,
              Sink& sink);
    // Asked inside long layouts too (a row of thousands of lines, page after page of it); answering
    // true stops the layout with EAbort.
    void setCancelCheck(std::function<bool()> cancelled) { m_cancelled = std::move(cancelled); }
    // addRow() takes the rows in report order; finish() places the last group's count, the total
    // (and the empty line when no row came) and finishes the last page.
    int pageCount() const { return m_page + 1; }

    // Where the pagination stands between two rows: a page can be laid out again from the state
    // before the row that began it, without the rows before it.
    struct State {
        int page = -1;
        double y = 0;
        int shade = 0;
        Position rows;
        QString groupTitle;
        int rowCount() const { return rows.rows; }
    };
    State state() const { return {m_page, m_y, m_shade, position(), m_groupTitle}; }
    void restore(const State& s);

protected:
    void groupStarted(const QString& title) override;
    void row(const QStringList& cells, const QString& groupTitle) override;
    void groupEnded(int count) override;
    void ended(int total) override;

private:
    void startPage();
    bool fits(double h) const { return m_y + h <= m_g.bottom() + 0.01; }
    void place(ItemKind kind, int row, double height, const QString& text = {}, int count = 0);
    void placeGroupHeader(bool continued);
    int layoutRow(const QStringList& cells);
    void placeRow(const QStringList& cells, bool shaded, int lines);
    void checkCancelled() const;

    const ReportDefinition& m_def;
    const Geometry& m_g;
    const TextMeasurer& m_m;
    Sink& m_sink;
    int m_page = -1;
    double m_y = 0;
    int m_shade = 0;
    bool m_groupBegins = false; // the next row is its group's first
    QString m_groupTitle;
    std::vector<Piece> m_pieces; // the row in hand
    std::vector<TextMeasurer::Line> m_lines;
    std::function<bool()> m_cancelled;
};

// Draws what the pagination placed: header and footer of a page, and its items.
class Painter {
public:
    Painter(const ReportDefinition& definition, const Geometry& geometry, const TextMeasurer& m,
            const QString& branch, const QDateTime& issued);
    // page: 0-based; the first page carries the criteria block under the title.
    void header(Canvas& canvas, int page) const;
    void footer(Canvas& canvas) const;
    void item(Canvas& canvas, const Item& item, const Piece* pieces, const QStringList& cells) const;

private:
    double baseline(double top, double height, Font font, double size) const;

    const Geometry& m_g;
    const TextMeasurer& m_m;
    QString m_branch, m_issued, m_title, m_footerTitle;
    double m_titleX = 0;
    std::vector<QString> m_headers;
    std::vector<double> m_headerX;
};

} // namespace ReportLayout
