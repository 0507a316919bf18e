#include "reporting/ReportDocument.h"

#include "core/Errors.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextLayout>
#include <cmath>

namespace {

constexpr double kPointsToUnits = 10.0; // layout units per point
constexpr double kCellPadding = 20.0;   // 2 pt on each side of a cell's text
constexpr double kRowPadding = 12.0;

QFont makeFont(double points, bool bold) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(qMax(1, int(std::lround(points * kPointsToUnits))));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// Wrapped lines of a text in a width, breaking at word boundaries and inside words only when a
// word alone is wider than the column.
struct Wrapped {
    std::vector<std::pair<int, int>> lines; // start, length
    double height = 0;
};

Wrapped wrap(const QString& text, const QFont& font, double width) {
    Wrapped out;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        out.lines.push_back({line.textStart(), line.textLength()});
    }
    layout.endLayout();
    out.height = double(out.lines.size()) * QFontMetricsF(font).lineSpacing();
    if (out.lines.empty())
        out.height = QFontMetricsF(font).lineSpacing();
    return out;
}

QString pageText(int page, int pages) {
    return QStringLiteral("Página %1 de %2").arg(page).arg(pages);
}

} // namespace

QFont ReportFonts::detail(double points) {
    return makeFont(points, false);
}
QFont ReportFonts::bold(double points) {
    return makeFont(points, true);
}

ReportDocument::ReportDocument(ReportDefinition definition, ReportRows rows, QString branch, QDateTime issued)
    : m_def(std::move(definition)), m_rows(std::move(rows)), m_branch(std::move(branch)),
      m_issued(std::move(issued)), m_layout(m_def.page.layout()) {
    paginate();
}

void ReportDocument::setPageLayout(const QPageLayout& layout) {
    m_layout = layout;
    paginate();
}

ReportDocument::Geometry ReportDocument::geometry() const {
    Geometry g;
    const QRectF paint = m_layout.paintRect(QPageLayout::Point);
    g.width = paint.width() * kPointsToUnits;
    g.height = paint.height() * kPointsToUnits;
    const double size = m_def.page.fontSize;
    const QFontMetricsF detail(ReportFonts::detail(size));
    const QFontMetricsF title(ReportFonts::bold(size + 5));
    g.padding = kRowPadding;
    g.lineHeight = detail.lineSpacing() + 2 * kRowPadding;
    g.groupHeight = QFontMetricsF(ReportFonts::bold(size)).lineSpacing() + 3 * kRowPadding;
    // branch and issue line, title, rule, column headers, rule
    g.headerHeight =
        detail.lineSpacing() + title.lineSpacing() + 4 * kRowPadding + g.lineHeight + 2 * kRowPadding;
    g.footerHeight = detail.lineSpacing() + 4 * kRowPadding;

    double total = 0;
    for (const ReportColumn& c : m_def.columns)
        total += c.width;
    double x = 0;
    for (const ReportColumn& c : m_def.columns) {
        const double w = total > 0 ? g.width * c.width / total : 0;
        g.columnX.push_back(x);
        g.columnW.push_back(w);
        x += w;
    }
    return g;
}

double ReportDocument::rowHeight(int row, const Geometry& g) const {
    double h = g.lineHeight;
    const QFont font = ReportFonts::detail(m_def.page.fontSize);
    const QStringList& cells = m_rows.cells[size_t(row)];
    for (int c = 0; c < m_def.columns.size(); ++c) {
        if (m_def.columns[c].overflow != ReportColumn::Overflow::Wrap)
            continue;
        const QString text = cells.value(c);
        if (text.isEmpty())
            continue;
        const double width = qMax(1.0, g.columnW[size_t(c)] - 2 * kCellPadding);
        h = qMax(h, wrap(text, font, width).height + 2 * g.padding);
    }
    return h;
}

void ReportDocument::paginate() {
    m_geometry = geometry();
    const Geometry& g = m_geometry;
    m_pages.clear();
    const double top = g.headerHeight;
    const double bottom = qMax(top + g.lineHeight * 2, g.height - g.footerHeight);
    const bool grouping = m_def.group.enabled();
    const int n = rowCount();
    const bool wraps = std::any_of(m_def.columns.begin(), m_def.columns.end(), [](const ReportColumn& c) {
        return c.overflow == ReportColumn::Overflow::Wrap;
    });

    Page page;
    double y = top;
    auto newPage = [&] {
        m_pages.push_back(std::move(page));
        page = Page();
        y = top;
    };
    auto fits = [&](double h) { return y + h <= bottom + 0.01; };
    auto place = [&](ItemKind kind, int row, double h, bool continued = false, int count = 0) {
        page.items.push_back({kind, row, y, h, continued, count});
        y += h;
    };

    if (n == 0)
        place(ItemKind::Empty, -1, g.lineHeight);
    int groupStart = 0;
    for (int i = 0; i < n; ++i) {
        const bool startsGroup =
            grouping && (i == 0 || m_rows.groupKeys[size_t(i)] != m_rows.groupKeys[size_t(i - 1)]);
        // A row taller than the page is clipped to it rather than looping over empty pages.
        const double rh =
            qMin(wraps ? rowHeight(i, g) : g.lineHeight, bottom - top - (grouping ? g.groupHeight : 0));
        if (startsGroup) {
            groupStart = i;
            if (!fits(g.groupHeight + rh) && !page.items.empty())
                newPage();
            place(ItemKind::GroupHeader, i, g.groupHeight);
        } else if (!fits(rh)) {
            newPage();
            if (grouping)
                place(ItemKind::GroupHeader, groupStart, g.groupHeight, true);
        }
        place(ItemKind::Row, i, rh);
        const bool endsGroup =
            grouping && (i == n - 1 || m_rows.groupKeys[size_t(i + 1)] != m_rows.groupKeys[size_t(i)]);
        if (endsGroup) {
            if (!fits(g.groupHeight))
                newPage();
            place(ItemKind::GroupFooter, groupStart, g.groupHeight, false, i - groupStart + 1);
        }
    }
    if (!fits(g.groupHeight))
        newPage();
    place(ItemKind::Total, -1, g.groupHeight, false, n);
    m_pages.push_back(std::move(page));
}

void ReportDocument::prepare(QPainter& painter, const QPaintDevice& device, bool originAtPaper,
                             const QPageLayout& layout) {
    painter.resetTransform();
    painter.scale(device.logicalDpiX() / kUnitsPerInch, device.logicalDpiY() / kUnitsPerInch);
    if (originAtPaper) {
        const QPointF origin = layout.paintRect(QPageLayout::Point).topLeft() * kPointsToUnits;
        painter.translate(origin);
    }
}

void ReportDocument::drawHeader(QPainter& p, const Geometry& g, int pageIndex) const {
    const double size = m_def.page.fontSize;
    const QFont detail = ReportFonts::detail(size);
    const QFont title = ReportFonts::bold(size + 5);
    const QFont bold = ReportFonts::bold(size);
    const double line = QFontMetricsF(detail).lineSpacing();
    const double titleLine = QFontMetricsF(title).lineSpacing();

    p.setPen(Qt::black);
    p.setFont(detail);
    QRectF top(0, 0, g.width, line);
    p.drawText(top, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Filial: %1").arg(m_branch));
    p.drawText(top, Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Emissão: %1").arg(m_issued.toString(QStringLiteral("dd/MM/yyyy HH:mm"))));
    p.setFont(title);
    const QRectF titleRect(0, line + kRowPadding, g.width, titleLine);
    p.drawText(titleRect, Qt::AlignHCenter | Qt::AlignVCenter,
               QFontMetricsF(title).elidedText(m_def.title, Qt::ElideRight, g.width));
    double y = titleRect.bottom() + 2 * kRowPadding;
    p.setPen(QPen(Qt::black, 8));
    p.drawLine(QPointF(0, y), QPointF(g.width, y));
    y += kRowPadding;

    p.setFont(bold);
    p.setPen(Qt::black);
    const QFontMetricsF fm(bold);
    for (int c = 0; c < m_def.columns.size(); ++c) {
        const ReportColumn& col = m_def.columns[c];
        const QRectF cell(g.columnX[size_t(c)] + kCellPadding, y, g.columnW[size_t(c)] - 2 * kCellPadding,
                          g.lineHeight);
        p.save();
        p.setClipRect(QRectF(g.columnX[size_t(c)], y, g.columnW[size_t(c)], g.lineHeight));
        p.drawText(cell, col.alignment | Qt::AlignVCenter,
                   fm.elidedText(col.header, Qt::ElideRight, cell.width()));
        p.restore();
    }
    y += g.lineHeight + kRowPadding / 2;
    p.setPen(QPen(Qt::black, 4));
    p.drawLine(QPointF(0, y), QPointF(g.width, y));
    Q_UNUSED(pageIndex);
}

void ReportDocument::drawFooter(QPainter& p, const Geometry& g, int pageIndex) const {
    const QFont detail = ReportFonts::detail(m_def.page.fontSize);
    const double line = QFontMetricsF(detail).lineSpacing();
    const double y = g.height - g.footerHeight + kRowPadding;
    p.setPen(QPen(Qt::black, 4));
    p.drawLine(QPointF(0, y), QPointF(g.width, y));
    p.setFont(detail);
    const QRectF rect(0, y + kRowPadding, g.width, line);
    const QString pages = pageText(pageIndex + 1, pageCount());
    const QFontMetricsF fm(detail);
    p.drawText(rect, Qt::AlignRight | Qt::AlignVCenter, pages);
    p.drawText(
        QRectF(0, rect.y(), g.width - fm.horizontalAdvance(pages) - 200, line),
        Qt::AlignLeft | Qt::AlignVCenter,
        fm.elidedText(m_def.title, Qt::ElideRight, qMax(0.0, g.width - fm.horizontalAdvance(pages) - 200)));
}

void ReportDocument::drawItem(QPainter& p, const Geometry& g, const Item& item, bool shaded) const {
    const double size = m_def.page.fontSize;
    switch (item.kind) {
    case ItemKind::Row: {
        if (shaded)
            p.fillRect(QRectF(0, item.y, g.width, item.height), QColor(0xf0, 0xf0, 0xf0));
        const QFont font = ReportFonts::detail(size);
        const QFontMetricsF fm(font);
        p.setFont(font);
        p.setPen(Qt::black);
        const QStringList& cells = m_rows.cells[size_t(item.row)];
        for (int c = 0; c < m_def.columns.size(); ++c) {
            const ReportColumn& col = m_def.columns[c];
            const QString text = cells.value(c);
            const double x = g.columnX[size_t(c)];
            const double w = g.columnW[size_t(c)];
            const QRectF cell(x + kCellPadding, item.y + g.padding, qMax(1.0, w - 2 * kCellPadding),
                              item.height - 2 * g.padding);
            p.save();
            p.setClipRect(QRectF(x, item.y, w, item.height)); // text never leaves its column
            if (col.overflow == ReportColumn::Overflow::Wrap) {
                const Wrapped wrapped = wrap(text, font, cell.width());
                double ly = cell.y();
                for (const auto& [start, length] : wrapped.lines) {
                    p.drawText(QRectF(cell.x(), ly, cell.width(), fm.lineSpacing()),
                               col.alignment | Qt::AlignVCenter, text.mid(start, length).trimmed());
                    ly += fm.lineSpacing();
                }
            } else {
                p.drawText(QRectF(cell.x(), cell.y(), cell.width(), fm.lineSpacing()),
                           col.alignment | Qt::AlignVCenter,
                           fm.elidedText(text, Qt::ElideRight, cell.width()));
            }
            p.restore();
        }
        break;
    }
    case ItemKind::GroupHeader: {
        const QFont font = ReportFonts::bold(size);
        p.fillRect(QRectF(0, item.y + kRowPadding, g.width, item.height - kRowPadding),
                   QColor(0xdd, 0xdd, 0xdd));
        p.setFont(font);
        p.setPen(Qt::black);
        QString text = m_rows.groupTitles[size_t(item.row)];
        if (item.continued)
            text += QStringLiteral(" (continuação)");
        const QRectF rect(kCellPadding, item.y + kRowPadding, g.width - 2 * kCellPadding,
                          item.height - kRowPadding);
        p.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetricsF(font).elidedText(text, Qt::ElideRight, rect.width()));
        break;
    }
    case ItemKind::GroupFooter:
    case ItemKind::Total: {
        const bool total = item.kind == ItemKind::Total;
        const QFont font = total ? ReportFonts::bold(size) : ReportFonts::detail(size);
        p.setPen(QPen(Qt::black, total ? 6 : 3));
        p.drawLine(QPointF(0, item.y + kRowPadding / 2), QPointF(g.width, item.y + kRowPadding / 2));
        p.setFont(font);
        const QString text =
            QStringLiteral("%1: %2").arg(total ? m_def.totalLabel : m_def.group.countLabel).arg(item.count);
        const QRectF rect(kCellPadding, item.y + kRowPadding, g.width - 2 * kCellPadding,
                          item.height - kRowPadding);
        p.drawText(rect, Qt::AlignRight | Qt::AlignVCenter,
                   QFontMetricsF(font).elidedText(text, Qt::ElideLeft, rect.width()));
        break;
    }
    case ItemKind::Empty: {
        const QFont font = ReportFonts::detail(size);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QRectF(0, item.y, g.width, item.height), Qt::AlignHCenter | Qt::AlignVCenter,
                   QStringLiteral("Nenhum registro atende aos filtros informados."));
        break;
    }
    }
}

void ReportDocument::drawPage(QPainter& painter, int index) const {
    if (index < 0 || index >= pageCount())
        return;
    const Geometry& g = m_geometry;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    drawHeader(painter, g, index);
    int shade = 0;
    for (const Item& item : m_pages[size_t(index)].items)
        drawItem(painter, g, item, item.kind == ItemKind::Row && (shade++ % 2) == 1);
    drawFooter(painter, g, index);
    painter.restore();
}

void ReportDocument::print(QPagedPaintDevice& device, int from, int to) const {
    if (to <= 0 || to > pageCount())
        to = pageCount();
    from = qMax(1, from);
    device.setPageLayout(m_layout);
    QPainter painter;
    if (!painter.begin(&device))
        throw EHostError(
            QStringLiteral("Não foi possível iniciar a impressão do relatório '%1'.").arg(m_def.title));
    for (int page = from; page <= to; ++page) {
        if (page > from && !device.newPage()) {
            painter.end();
            throw EHostError(QStringLiteral("A impressão do relatório '%1' falhou na página %2.")
                                 .arg(m_def.title)
                                 .arg(page));
        }
        prepare(painter, device, false, m_layout);
        drawPage(painter, page - 1);
    }
    if (!painter.end())
        throw EHostError(
            QStringLiteral("A impressão do relatório '%1' não pôde ser concluída.").arg(m_def.title));
}

void ReportDocument::exportPdf(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EHostError(
            QStringLiteral("Não foi possível gravar o PDF '%1': %2.").arg(path, file.errorString()));
    {
        QPdfWriter writer(&file);
        writer.setResolution(600);
        writer.setTitle(m_def.title);
        writer.setCreator(QStringLiteral("ERP - relatórios"));
        print(writer);
    }
    if (!file.commit())
        throw EHostError(
            QStringLiteral("Não foi possível gravar o PDF '%1': %2.").arg(path, file.errorString()));
}
