#include "reporting/ReportLayout.h"

#include "core/Errors.h"
#include "reporting/pdf/PdfWriter.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace ReportLayout {

namespace {

constexpr double kPointsToUnits = 10.0; // layout units per point
constexpr double kCellPadding = 20.0;   // 2 pt on each side of a cell's text
constexpr double kRowPadding = 12.0;
constexpr double kShadeRow = 0xf0 / 255.0;
constexpr double kShadeGroup = 0xdd / 255.0;
constexpr double kHeaderGap = 200.0;      // between the branch and the issue date, 20 pt
constexpr int kLinesBetweenChecks = 4096; // a cell's lines laid out between two looks at Cancel

const QString& pageFormat() {
    static const QString format = QStringLiteral("Página %1 de %2");
    return format;
}

double alignedX(Qt::Alignment alignment, double room, double width) {
    if (alignment & Qt::AlignRight)
        return room - width;
    if (alignment & Qt::AlignHCenter)
        return (room - width) / 2;
    return 0;
}

} // namespace

// The screen and the printer draw the same glyph advances the tables measure: no kerning, no hinting,
// and what the report font lacks from the same fallback faces, in the same order, as the PDF.
QFont qtFont(Font font, double size) {
    QFont f;
    f.setFamilies(TextMeasurer::fontFamilies());
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(qMax(1, int(std::lround(size))));
    f.setBold(font == Font::Bold);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

PainterCanvas::PainterCanvas(QPainter& painter, int page, int pages)
    : m_painter(painter), m_page(page), m_pages(pages) {
    m_painter.setPen(Qt::black);
}

void PainterCanvas::text(double x, double baseline, Font font, double size, QStringView text) {
    if (text.isEmpty())
        return;
    if (font != m_font || size != m_size) {
        m_font = font;
        m_size = size;
        m_painter.setFont(qtFont(font, size));
    }
    m_painter.drawText(QPointF(x, baseline), text.toString());
}

void PainterCanvas::fillRect(const QRectF& rect, double grey) {
    m_painter.fillRect(rect, QColor::fromRgbF(float(grey), float(grey), float(grey)));
}

void PainterCanvas::line(QPointF from, QPointF to, double width) {
    m_painter.setPen(QPen(Qt::black, width));
    m_painter.drawLine(from, to);
    m_painter.setPen(Qt::black); // text keeps a plain black pen
}

void PainterCanvas::pageNumber(double x, double baseline, double width, Font font, double size) {
    const QString t =
        m_pages > 0 ? pageFormat().arg(m_page).arg(m_pages) : QStringLiteral("Página %1").arg(m_page);
    text(x + width - TextMeasurer::shared().width(t, size, font), baseline, font, size, t);
}

void PdfCanvas::text(double x, double baseline, Font font, double size, QStringView text) {
    if (!text.isEmpty())
        m_writer.text(x, baseline, font, size, text);
}

void PdfCanvas::fillRect(const QRectF& rect, double grey) {
    m_writer.fillRect(rect, grey);
}

void PdfCanvas::line(QPointF from, QPointF to, double width) {
    m_writer.line(from, to, width);
}

void PdfCanvas::pageNumber(double x, double baseline, double width, Font font, double size) {
    m_writer.pageCountText(x, baseline, width, PdfWriter::Align::Right, font, size, pageFormat());
}

namespace {

// Widths scaled from the designed ones to the page, each at least its need: a column that needs more
// takes it and the others share what is left, in their designed proportions. When the needs alone
// exceed the page, every column gets its share of the page in proportion to its need (the text of
// such a column then wraps instead of being cut).
std::vector<double> columnWidths(const ReportDefinition& def, double width, const std::vector<double>& need) {
    const size_t n = size_t(def.columns.size());
    std::vector<double> w(n, 0);
    double needs = 0;
    for (double x : need)
        needs += x;
    if (needs > width) {
        for (size_t i = 0; i < n; ++i)
            w[i] = need[i] > 0 ? width * need[i] / needs : 0;
        return w;
    }
    std::vector<bool> fixed(n, false);
    for (bool changed = true; changed;) {
        changed = false;
        double room = width, designed = 0;
        for (size_t i = 0; i < n; ++i) {
            if (fixed[i])
                room -= need[i];
            else
                designed += def.columns[int(i)].width;
        }
        for (size_t i = 0; i < n; ++i) {
            if (fixed[i]) {
                w[i] = need[i];
                continue;
            }
            w[i] = designed > 0 ? room * def.columns[int(i)].width / designed : 0;
            if (w[i] < need[i]) {
                fixed[i] = true;
                changed = true;
            }
        }
    }
    return w;
}

// The criteria, "  ·  " between them, packed into lines of the page's width; one longer than a line
// wraps on its own. At most kCriteriaLines lines, the last one elided.
constexpr int kCriteriaLines = 6;

std::vector<QString> criteriaLines(const QStringList& criteria, double size, double width,
                                   const TextMeasurer& m) {
    static const QString separator = QStringLiteral("  \u00b7  ");
    std::vector<QString> lines;
    QString current;
    for (const QString& c : criteria) {
        const QString joined = current.isEmpty() ? c : current + separator + c;
        if (m.width(joined, size) <= width) {
            current = joined;
            continue;
        }
        if (!current.isEmpty())
            lines.push_back(current);
        current.clear();
        const std::vector<TextMeasurer::Line> parts = m.wrap(c, size, width);
        for (size_t i = 0; i < parts.size(); ++i) {
            const QString part = c.mid(parts[i].start, parts[i].length).trimmed();
            if (i + 1 < parts.size())
                lines.push_back(part);
            else
                current = part;
        }
    }
    if (!current.isEmpty())
        lines.push_back(current);
    if (lines.size() > size_t(kCriteriaLines)) {
        lines.resize(size_t(kCriteriaLines));
        lines.back() = m.elide(lines.back() + QStringLiteral(" \u2026"), size, width);
    }
    return lines;
}

} // namespace

double neededWidth(const ReportColumn& column, double size, const TextMeasurer& m) {
    if (column.chars <= 0)
        return 0;
    if (column.overflow == ReportColumn::Overflow::Wrap)
        return (column.chars + 1) / 2 * m.advance(u'n', Font::Regular) * size / 1000 + 2 * kCellPadding;
    // Room for a key of that many digits on one line; wider letters wrap onto a second line rather
    // than being cut, so the column does not take a third of the page for its rare longest values.
    return column.chars * m.advance(u'0', Font::Regular) * size / 1000 + 2 * kCellPadding + 1;
}

Geometry geometry(const ReportDefinition& def, const QPageLayout& layout, const TextMeasurer& m,
                  const QStringList& criteria) {
    Geometry g;
    const QRectF paint = layout.paintRect(QPageLayout::Point);
    g.width = paint.width() * kPointsToUnits;
    g.height = paint.height() * kPointsToUnits;
    g.size = def.page.fontSize * kPointsToUnits;
    g.line = m.lineSpacing(g.size);
    g.lineHeight = g.line + 2 * kRowPadding;
    g.groupHeight = m.lineSpacing(g.size, Font::Bold) + 3 * kRowPadding;
    const double titleLine = m.lineSpacing(g.size + 5 * kPointsToUnits, Font::Bold);
    // branch and issue line, title, rule, column headers, rule
    g.headerHeight = g.line + titleLine + 4 * kRowPadding + g.lineHeight + 2 * kRowPadding;
    g.footerHeight = g.line + 4 * kRowPadding;
    g.criteria = criteriaLines(criteria, g.size, g.width, m);
    if (!g.criteria.empty())
        g.criteriaHeight = double(g.criteria.size()) * g.line + kRowPadding;

    std::vector<double> need;
    for (const ReportColumn& c : def.columns)
        need.push_back(neededWidth(c, g.size, m));
    g.columnW = columnWidths(def, g.width, need);
    double x = 0;
    for (double w : g.columnW) {
        g.columnX.push_back(x);
        x += w;
    }
    return g;
}

Paginator::Paginator(const ReportDefinition& def, const Geometry& g, const TextMeasurer& m, Sink& sink)
    : ReportGroups(def.group.enabled()), m_def(def), m_g(g), m_m(m), m_sink(sink) {}

void Paginator::restore(const State& s) {
    m_page = s.page;
    m_y = s.y;
    m_shade = s.shade;
    setPosition(s.rows);
    m_groupTitle = s.groupTitle;
}

void Paginator::startPage() {
    if (m_page >= 0)
        m_sink.pageFinished(m_page);
    ++m_page;
    m_y = m_g.top(m_page);
    m_shade = 0;
    m_sink.pageStarted(m_page);
}

void Paginator::place(ItemKind kind, int row, double height, const QString& text, int count) {
    if (m_page < 0)
        startPage();
    Item item;
    item.kind = kind;
    item.row = row;
    item.y = m_y;
    item.height = height;
    item.count = count;
    item.text = text;
    static const QStringList none;
    m_sink.placed(item, nullptr, none);
    m_y += height;
}

void Paginator::placeGroupHeader(bool continued) {
    const QString text = continued ? m_groupTitle + QStringLiteral(" (continuação)") : m_groupTitle;
    place(ItemKind::GroupHeader, groupStart(), m_g.groupHeight,
          m_m.elide(text, m_g.size, m_g.width - 2 * kCellPadding, Font::Bold));
}

void Paginator::groupEnded(int count) {
    if (!fits(m_g.groupHeight))
        startPage();
    place(ItemKind::GroupFooter, groupStart(), m_g.groupHeight,
          m_m.elide(QStringLiteral("%1: %2").arg(m_def.group.countLabel).arg(count), m_g.size,
                    m_g.width - 2 * kCellPadding),
          count);
}

void Paginator::checkCancelled() const {
    if (m_cancelled && m_cancelled())
        throw EAbort();
}

// Decides the row's lines (m_pieces, column after column) and returns how many it takes.
int Paginator::layoutRow(const QStringList& cells) {
    m_pieces.clear();
    int lines = 1;
    for (int c = 0; c < m_def.columns.size(); ++c) {
        const ReportColumn& col = m_def.columns[c];
        const QString text = cells.value(c);
        if (text.isEmpty())
            continue;
        const double room = qMax(1.0, m_g.columnW[size_t(c)] - 2 * kCellPadding);
        const bool left = !(col.alignment & (Qt::AlignRight | Qt::AlignHCenter));
        // A column of a declared size is never cut: what its room cannot hold goes on another line.
        const bool wrap = col.overflow == ReportColumn::Overflow::Wrap ||
                          (col.chars > 0 && m_m.width(text, m_g.size) > room);
        if (wrap) {
            m_lines = m_m.wrap(text, m_g.size, room);
            int n = 0;
            for (const TextMeasurer::Line& l : m_lines) {
                if (n % kLinesBetweenChecks == kLinesBetweenChecks - 1)
                    checkCancelled();
                int start = l.start, end = l.start + l.length;
                while (start < end && text.at(start).isSpace())
                    ++start;
                while (end > start && text.at(end - 1).isSpace())
                    --end;
                Piece p;
                p.column = c;
                p.line = n++;
                p.start = start;
                p.length = end - start;
                if (!left)
                    p.x = float(alignedX(col.alignment, room,
                                         m_m.width(QStringView(text).mid(start, end - start), m_g.size)));
                if (p.length > 0)
                    m_pieces.push_back(p);
            }
            lines = std::max(lines, int(m_lines.size()));
        } else {
            const double w = m_m.width(text, m_g.size);
            Piece p;
            p.column = c;
            if (w <= room) {
                p.length = int(text.size());
                if (!left)
                    p.x = float(alignedX(col.alignment, room, w));
            } else {
                const QString shown = m_m.elide(text, m_g.size, room);
                if (shown.isEmpty())
                    continue;
                // The prefix, then "…"; a space before it would read as a word cut short.
                p.length = int(shown.size()) - 1;
                while (p.length > 0 && text.at(p.length - 1).isSpace())
                    --p.length;
                p.elided = true;
                if (!left)
                    p.x = float(alignedX(col.alignment, room,
                                         m_m.width(QStringView(text).left(p.length), m_g.size) +
                                             m_m.width(u"\u2026", m_g.size)));
            }
            m_pieces.push_back(p);
        }
    }
    return lines;
}

// Places the row in hand from where the page is, over as many pages as its lines need.
void Paginator::placeRow(const QStringList& cells, bool shaded, int lines) {
    size_t from = 0;
    for (int first = 0;;) {
        const int rest = lines - first;
        const int n = fits(rest * m_g.line + 2 * kRowPadding)
                          ? rest
                          : std::clamp(int((m_g.bottom() - m_y - 2 * kRowPadding) / m_g.line), 1, rest);
        // Parted over pages: line after line across the columns, so that each part is one run.
        if (first == 0 && n < lines)
            std::stable_sort(m_pieces.begin(), m_pieces.end(),
                             [](const Piece& a, const Piece& b) { return a.line < b.line; });
        size_t to = from;
        for (; to < m_pieces.size() && m_pieces[to].line < first + n; ++to)
            m_pieces[to].line -= first;
        Item item;
        item.kind = ItemKind::Row;
        item.row = rowCount();
        item.y = m_y;
        item.height = std::max(m_g.lineHeight, n * m_g.line + 2 * kRowPadding);
        item.shaded = shaded;
        item.pieces = int(to - from);
        m_sink.placed(item, m_pieces.data() + from, cells);
        m_y += item.height;
        first += n;
        from = to;
        if (first >= lines)
            break;
        checkCancelled();
        startPage();
        if (grouping())
            placeGroupHeader(true);
        m_shade = shaded ? 0 : 1; // the next row still alternates with this one
    }
}

void Paginator::groupStarted(const QString& title) {
    m_groupTitle = title;
    m_groupBegins = true;
}

void Paginator::row(const QStringList& cells, const QString&) {
    const int lines = layoutRow(cells);
    const double h = std::max(m_g.lineHeight, lines * m_g.line + 2 * kRowPadding);
    // A row that a whole page cannot hold begins where there is room for one of its lines; any
    // other begins where it fits whole.
    const double room = m_g.bottom() - m_g.top(1) - (grouping() ? m_g.groupHeight : 0);
    const double needed = h > room ? m_g.lineHeight : h;
    if (m_page < 0)
        startPage();
    if (m_groupBegins) {
        m_groupBegins = false;
        if (!fits(m_g.groupHeight + needed) && m_y > m_g.top(m_page))
            startPage();
        placeGroupHeader(false);
    } else if (!fits(needed)) {
        startPage();
        if (grouping())
            placeGroupHeader(true);
    }
    placeRow(cells, (m_shade++ % 2) == 1, lines);
}

void Paginator::ended(int total) {
    if (total == 0)
        place(ItemKind::Empty, -1, m_g.lineHeight,
              QStringLiteral("Nenhum registro atende aos filtros informados."));
    if (!fits(m_g.groupHeight))
        startPage();
    place(ItemKind::Total, -1, m_g.groupHeight,
          m_m.elide(QStringLiteral("%1: %2").arg(m_def.totalLabel).arg(total), m_g.size,
                    m_g.width - 2 * kCellPadding, Font::Bold),
          total);
    m_sink.pageFinished(m_page);
}

Painter::Painter(const ReportDefinition& def, const Geometry& g, const TextMeasurer& m, const QString& branch,
                 const QDateTime& issued)
    : m_g(g), m_m(m) {
    m_issued = QStringLiteral("Emissão: %1").arg(issued.toString(QStringLiteral("dd/MM/yyyy HH:mm")));
    // The branch ends, elided, before the issue date: the date is never overprinted.
    m_branch = m.elide(QStringLiteral("Filial: %1").arg(branch), g.size,
                       qMax(0.0, g.width - m.width(m_issued, g.size) - kHeaderGap));
    const double titleSize = g.size + 5 * kPointsToUnits;
    m_title = m.elide(def.title, titleSize, g.width, Font::Bold);
    m_titleX = (g.width - m.width(m_title, titleSize, Font::Bold)) / 2;
    for (int c = 0; c < def.columns.size(); ++c) {
        const double room = g.columnW[size_t(c)] - 2 * kCellPadding;
        const QString text = m.elide(def.columns[c].header, g.size, room, Font::Bold);
        m_headers.push_back(text);
        m_headerX.push_back(g.columnX[size_t(c)] + kCellPadding +
                            alignedX(def.columns[c].alignment, room, m.width(text, g.size, Font::Bold)));
    }
    // Room for the widest page count a report can have: the count is written after the page.
    m_footerTitle =
        m.elide(def.title, g.size,
                qMax(0.0, g.width - m.width(QStringLiteral("Página 00000 de 00000"), g.size) - 200));
}

double Painter::baseline(double top, double height, Font font, double size) const {
    return top + (height - m_m.ascent(size, font) - m_m.descent(size, font)) / 2 + m_m.ascent(size, font);
}

void Painter::header(Canvas& canvas, int page) const {
    const double size = m_g.size;
    const double b = baseline(0, m_g.line, Font::Regular, size);
    canvas.text(0, b, Font::Regular, size, m_branch);
    canvas.text(m_g.width - m_m.width(m_issued, size), b, Font::Regular, size, m_issued);
    const double titleSize = size + 5 * kPointsToUnits;
    const double titleLine = m_m.lineSpacing(titleSize, Font::Bold);
    canvas.text(m_titleX, baseline(m_g.line + kRowPadding, titleLine, Font::Bold, titleSize), Font::Bold,
                titleSize, m_title);
    double y = m_g.line + kRowPadding + titleLine + 2 * kRowPadding;
    if (page == 0 && !m_g.criteria.empty()) {
        double top = y - kRowPadding;
        for (const QString& line : m_g.criteria) {
            canvas.text(0, baseline(top, m_g.line, Font::Regular, size), Font::Regular, size, line);
            top += m_g.line;
        }
        y += m_g.criteriaHeight;
    }
    canvas.line(QPointF(0, y), QPointF(m_g.width, y), 8);
    y += kRowPadding;
    const double hb = baseline(y, m_g.lineHeight, Font::Bold, size);
    for (size_t c = 0; c < m_headers.size(); ++c)
        canvas.text(m_headerX[c], hb, Font::Bold, size, m_headers[c]);
    y += m_g.lineHeight + kRowPadding / 2;
    canvas.line(QPointF(0, y), QPointF(m_g.width, y), 4);
}

void Painter::footer(Canvas& canvas) const {
    const double y = m_g.height - m_g.footerHeight + kRowPadding;
    canvas.line(QPointF(0, y), QPointF(m_g.width, y), 4);
    const double b = baseline(y + kRowPadding, m_g.line, Font::Regular, m_g.size);
    canvas.pageNumber(0, b, m_g.width, Font::Regular, m_g.size);
    canvas.text(0, b, Font::Regular, m_g.size, m_footerTitle);
}

void Painter::item(Canvas& canvas, const Item& item, const Piece* pieces, const QStringList& cells) const {
    const double size = m_g.size;
    switch (item.kind) {
    case ItemKind::Row: {
        if (item.shaded)
            canvas.fillRect(QRectF(0, item.y, m_g.width, item.height), kShadeRow);
        const double b0 = baseline(item.y + kRowPadding, m_g.line, Font::Regular, size);
        QString shown;
        for (int i = 0; i < item.pieces; ++i) {
            const Piece& p = pieces[i];
            const double x = m_g.columnX[size_t(p.column)] + kCellPadding + p.x;
            const double b = b0 + p.line * m_g.line;
            const QStringView cell = QStringView(cells[p.column]).mid(p.start, p.length);
            if (p.elided) {
                shown = cell.toString();
                shown += QChar(0x2026);
                canvas.text(x, b, Font::Regular, size, shown);
            } else {
                canvas.text(x, b, Font::Regular, size, cell);
            }
        }
        break;
    }
    case ItemKind::GroupHeader:
        canvas.fillRect(QRectF(0, item.y + kRowPadding, m_g.width, item.height - kRowPadding), kShadeGroup);
        canvas.text(kCellPadding, baseline(item.y + kRowPadding, item.height - kRowPadding, Font::Bold, size),
                    Font::Bold, size, item.text);
        break;
    case ItemKind::GroupFooter:
    case ItemKind::Total: {
        const bool total = item.kind == ItemKind::Total;
        const Font font = total ? Font::Bold : Font::Regular;
        canvas.line(QPointF(0, item.y + kRowPadding / 2), QPointF(m_g.width, item.y + kRowPadding / 2),
                    total ? 6 : 3);
        canvas.text(m_g.width - kCellPadding - m_m.width(item.text, size, font),
                    baseline(item.y + kRowPadding, item.height - kRowPadding, font, size), font, size,
                    item.text);
        break;
    }
    case ItemKind::Empty:
        canvas.text((m_g.width - m_m.width(item.text, size)) / 2,
                    baseline(item.y, item.height, Font::Regular, size), Font::Regular, size, item.text);
        break;
    }
}

} // namespace ReportLayout
