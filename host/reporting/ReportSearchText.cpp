#include "reporting/ReportSearchText.h"

#include <map>

namespace {

// Keeps every text a page draws, in order, empty ones too: a row's draws match its pieces one to one.
class Recorder : public ReportLayout::Canvas {
public:
    Recorder(int page, int pages) : m_page(page), m_pages(pages) {}
    std::vector<ReportDocument::TextRun> runs;
    void text(double x, double baseline, ReportLayout::Font font, double size, QStringView text) override {
        runs.push_back({text.toString(), x, baseline, font, size, 0});
    }
    void fillRect(const QRectF&, double) override {}
    void line(QPointF, QPointF, double) override {}
    void pageNumber(double x, double baseline, double width, ReportLayout::Font font, double size) override {
        // As the preview prints it.
        const QString t = m_pages > 0 ? QStringLiteral("Página %1 de %2").arg(m_page).arg(m_pages)
                                      : QStringLiteral("Página %1").arg(m_page);
        text(x + width - TextMeasurer::shared().width(t, size, font), baseline, font, size, t);
    }

private:
    int m_page, m_pages;
};

void addWhole(std::vector<ReportSearchText::Text>& texts, std::vector<ReportDocument::TextRun>& runs,
              const QString& label, int owner) {
    for (ReportDocument::TextRun& run : runs) {
        if (run.text.isEmpty())
            continue;
        ReportSearchText::Text t;
        t.text = run.text;
        t.label = label;
        t.owner = owner;
        t.parts.push_back({0, int(run.text.size()), std::move(run)});
        texts.push_back(std::move(t));
    }
    runs.clear();
}

} // namespace

std::vector<QRectF> ReportSearchText::Text::boxes(int from, int length) const {
    std::vector<QRectF> found;
    const int to = from + length;
    for (const Part& p : parts) {
        const int a = qMax(from, p.from), b = qMin(to, p.from + p.length);
        if (a < b)
            found.push_back(p.run.box(a - p.from, b - a));
    }
    return found;
}

std::vector<ReportSearchText::Text> ReportSearchText::page(const ReportDocument& document, int index) {
    std::vector<Text> texts;
    if (index < 0 || index >= document.pageCount())
        return texts;
    const ReportDefinition& def = document.definition();
    const std::shared_ptr<const ReportLayoutCache::Page> laid = document.page(index);
    const ReportLayout::Painter draw(def, document.geometry(), TextMeasurer::shared(), document.branch(),
                                     document.issued());
    Recorder recorder(index + 1, document.isComplete() ? document.pageCount() : 0);
    int owner = 0;
    draw.header(recorder, index);
    addWhole(texts, recorder.runs, QStringLiteral("Cabeçalho"), owner++);
    size_t piece = 0;
    for (const ReportLayout::Item& item : laid->items) {
        const QStringList& cells = laid->rowCells(item.row);
        const ReportLayout::Piece* pieces = laid->pieces.data() + piece;
        piece += size_t(item.pieces);
        draw.item(recorder, item, pieces, cells);
        if (item.kind != ReportLayout::ItemKind::Row) {
            addWhole(texts, recorder.runs, QString(), owner++);
            continue;
        }
        if (recorder.runs.size() != size_t(item.pieces)) { // not drawn piece by piece: read as drawn
            addWhole(texts, recorder.runs, QString(), owner++);
            continue;
        }
        // A cell's lines, in column order; what lies between them in the cell (the space it wrapped
        // at) stays in the text.
        std::map<int, std::vector<int>> byColumn;
        for (int i = 0; i < item.pieces; ++i)
            byColumn[pieces[i].column].push_back(i);
        for (const auto& [column, indexes] : byColumn) {
            const QString cell = cells.value(column);
            const ReportLayout::Piece& first = pieces[indexes.front()];
            int end = first.start;
            for (int i : indexes)
                end = qMax(end, pieces[i].start + pieces[i].length);
            Text t;
            t.text = cell.mid(first.start, end - first.start);
            t.label = column < def.columns.size() ? def.columns[column].header : QString();
            t.owner = owner;
            for (int i : indexes)
                t.parts.push_back(
                    {pieces[i].start - first.start, pieces[i].length, recorder.runs[size_t(i)]});
            if (!t.text.isEmpty())
                texts.push_back(std::move(t));
        }
        recorder.runs.clear();
        ++owner;
    }
    draw.footer(recorder);
    addWhole(texts, recorder.runs, QStringLiteral("Rodapé"), owner);
    return texts;
}
