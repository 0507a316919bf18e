#include "reporting/ReportDocument.h"

#include "core/Errors.h"
#include "reporting/pdf/PdfWriter.h"

#include <QEventLoop>
#include <QPagedPaintDevice>
#include <QPainter>
#include <cmath>

namespace {

constexpr double kPointsToUnits = 10.0; // layout units per point

} // namespace

QFont ReportFonts::detail(double points) {
    return ReportLayout::qtFont(ReportLayout::Font::Regular, points * kPointsToUnits);
}
QFont ReportFonts::bold(double points) {
    return ReportLayout::qtFont(ReportLayout::Font::Bold, points * kPointsToUnits);
}

ReportDocument::ReportDocument(ReportDefinition definition, QString branch, QDateTime issued, QObject* parent)
    : QObject(parent), m_def(std::move(definition)), m_branch(std::move(branch)), m_issued(std::move(issued)),
      m_layout(m_def.page.layout()) {
    m_rows.fields.reserve(m_def.columns.size());
    for (const ReportColumn& column : m_def.columns)
        m_rows.fields << column.field;
    paginate();
}

ReportDocument::ReportDocument(ReportDefinition definition, ReportRows rows, QString branch, QDateTime issued,
                               QStringList criteria)
    : m_def(std::move(definition)), m_rows(std::move(rows)), m_branch(std::move(branch)),
      m_issued(std::move(issued)), m_criteria(std::move(criteria)), m_layout(m_def.page.layout()) {
    paginate();
    complete();
}

ReportDocument::~ReportDocument() = default;

void ReportDocument::setPageLayout(const QPageLayout& layout) {
    m_layout = layout;
    paginate();
    if (m_complete)
        m_paginator->finish();
}

// Keeps what the pagination places, page by page, and tells the document each page it finishes.
class ReportDocument::Collector : public ReportLayout::Sink {
public:
    explicit Collector(ReportDocument& document) : m_doc(document) {}
    void pageStarted(int) override { m_doc.m_pages.emplace_back(); }
    void placed(const ReportLayout::Item& item, const ReportLayout::Piece* pieces,
                const QStringList&) override {
        Page& page = m_doc.m_pages.back();
        page.items.push_back(item);
        page.pieces.insert(page.pieces.end(), pieces, pieces + item.pieces);
    }
    void pageFinished(int index) override {
        m_doc.m_finishedPages = index + 1;
        if (m_notify)
            emit m_doc.pagesAdded(m_doc.m_finishedPages);
    }
    bool m_notify = true;

private:
    ReportDocument& m_doc;
};

void ReportDocument::paginate() {
    const TextMeasurer& m = TextMeasurer::shared();
    m_geometry = ReportLayout::geometry(m_def, m_layout, m, m_criteria);
    m_pages.clear();
    m_finishedPages = 0;
    m_fed = false; // from here on the document lays its rows out itself
    m_collector = std::make_unique<Collector>(*this);
    m_paginator = std::make_unique<ReportLayout::Paginator>(m_def, m_geometry, m, *m_collector);
    m_collector->m_notify = false; // laying out again: the pages are told once it is done
    addRows(0);
    m_collector->m_notify = true;
}

void ReportDocument::addRows(size_t from) {
    const bool grouping = m_def.group.enabled();
    static const QString none;
    for (size_t i = from; i < m_rows.cells.size(); ++i)
        m_paginator->addRow(m_rows.cells[i], grouping ? m_rows.groupKeys[i] : none,
                            grouping ? m_rows.groupTitles[i] : none);
}

void ReportDocument::setCriteria(QStringList criteria) {
    m_criteria = std::move(criteria);
    paginate();
}

void ReportDocument::appendRows(ReportRows rows) {
    if (m_complete || !m_failure.isEmpty())
        return;
    const size_t from = m_rows.cells.size();
    auto move = [](auto& to, auto& from) { std::move(from.begin(), from.end(), std::back_inserter(to)); };
    move(m_rows.cells, rows.cells);
    move(m_rows.groupKeys, rows.groupKeys);
    move(m_rows.groupTitles, rows.groupTitles);
    addRows(from);
}

void ReportDocument::adopt(Batch batch) {
    if (m_complete || !m_failure.isEmpty())
        return;
    if (batch.first) {
        m_fed = true;
        m_criteria = std::move(batch.criteria);
        m_geometry = std::move(batch.geometry);
        m_pages.clear();
        m_finishedPages = 0;
    }
    auto move = [](auto& to, auto& from) { std::move(from.begin(), from.end(), std::back_inserter(to)); };
    move(m_rows.cells, batch.rows.cells);
    move(m_rows.groupKeys, batch.rows.groupKeys);
    move(m_rows.groupTitles, batch.rows.groupTitles);
    move(m_pages, batch.pages);
    if (m_finishedPages != int(m_pages.size())) {
        m_finishedPages = int(m_pages.size());
        emit pagesAdded(m_finishedPages);
    }
}

void ReportDocument::complete() {
    if (m_complete || !m_failure.isEmpty())
        return;
    if (!m_fed)
        m_paginator->finish();
    m_complete = true;
    emit completed();
}

// Keeps what the pagination places in the feed's page, and hands finished pages over.
class ReportFeed::Pages : public ReportLayout::Sink {
public:
    explicit Pages(ReportFeed& feed) : m_feed(feed) {}
    void pageStarted(int) override {}
    void placed(const ReportLayout::Item& item, const ReportLayout::Piece* pieces,
                const QStringList&) override {
        m_feed.m_page.items.push_back(item);
        m_feed.m_page.pieces.insert(m_feed.m_page.pieces.end(), pieces, pieces + item.pieces);
    }
    void pageFinished(int) override { m_feed.pageFinished(); }

private:
    ReportFeed& m_feed;
};

ReportFeed::ReportFeed(ReportDocument& document)
    : m_doc(&document), m_def(document.definition()), m_grouping(m_def.group.enabled()),
      m_sink(std::make_unique<Pages>(*this)) {}

void ReportFeed::begin(const ReportHeading& heading, std::function<bool()> cancelled) {
    m_criteria = heading.criteria;
    m_geometry = ReportLayout::geometry(m_def, m_doc->pageLayout(), TextMeasurer::shared(), m_criteria);
    m_paginator =
        std::make_unique<ReportLayout::Paginator>(m_def, m_geometry, TextMeasurer::shared(), *m_sink);
    m_paginator->setCancelCheck(std::move(cancelled));
    m_clock.start();
}

ReportFeed::~ReportFeed() = default;

void ReportFeed::addRow(const QStringList& cells, const QString& groupKey, const QString& groupTitle) {
    // The row goes with the first page that shows it, which may be finished while it is laid out.
    m_batch.rows.cells.push_back(cells);
    if (m_grouping) {
        m_batch.rows.groupKeys.push_back(groupKey);
        m_batch.rows.groupTitles.push_back(groupTitle);
    }
    m_paginator->addRow(cells, groupKey, groupTitle);
}

void ReportFeed::finish() {
    m_paginator->finish();
    if (!m_handed || !m_batch.pages.empty() || !m_batch.rows.cells.empty())
        hand();
}

void ReportFeed::pageFinished() {
    m_batch.pages.push_back(std::move(m_page));
    m_page = {};
    constexpr qint64 kMostMs = 100;
    if (!m_handed || m_clock.elapsed() >= kMostMs)
        hand();
}

void ReportFeed::hand() {
    m_batch.first = !m_handed;
    if (m_batch.first) {
        m_batch.criteria = m_criteria;
        m_batch.geometry = m_geometry;
    }
    m_handed = true;
    auto batch = std::make_shared<ReportDocument::Batch>(std::move(m_batch));
    m_batch = {};
    ReportDocument* doc = m_doc;
    QMetaObject::invokeMethod(
        doc, [doc, batch] { doc->adopt(std::move(*batch)); }, Qt::QueuedConnection);
    m_clock.restart();
}

void ReportDocument::fail(const QString& message) {
    if (m_complete || !m_failure.isEmpty())
        return;
    m_failure = message.isEmpty() ? QStringLiteral("O relatório não pôde ser concluído.") : message;
    emit failed(m_failure);
}

bool ReportDocument::waitUntilComplete() {
    if (!m_complete && m_failure.isEmpty()) {
        QEventLoop loop;
        connect(this, &ReportDocument::completed, &loop, &QEventLoop::quit);
        connect(this, &ReportDocument::failed, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return m_complete;
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

void ReportDocument::drawPage(ReportLayout::Canvas& canvas, int index) const {
    const ReportLayout::Painter draw(m_def, m_geometry, TextMeasurer::shared(), m_branch, m_issued);
    draw.header(canvas, index);
    const Page& page = m_pages[size_t(index)];
    static const QStringList none;
    size_t piece = 0;
    for (const ReportLayout::Item& item : page.items) {
        const bool row = item.kind == ReportLayout::ItemKind::Row;
        draw.item(canvas, item, page.pieces.data() + piece, row ? m_rows.cells[size_t(item.row)] : none);
        piece += size_t(item.pieces);
    }
    draw.footer(canvas);
}

void ReportDocument::drawPage(QPainter& painter, int index) const {
    if (index < 0 || index >= pageCount())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    // While rows are still coming the page count is not known yet: 0 leaves it out.
    ReportLayout::PainterCanvas canvas(painter, index + 1, m_complete ? pageCount() : 0);
    drawPage(canvas, index);
    painter.restore();
}

namespace {

// Keeps what a page's body draws, line by line, and draws nothing.
class TextRecorder : public ReportLayout::Canvas {
public:
    explicit TextRecorder(std::vector<ReportDocument::TextRun>& runs) : m_runs(runs) {}
    void nextItem() { m_itemFirstLine = m_lines; }
    void text(double x, double baseline, ReportLayout::Font font, double size, QStringView text) override {
        if (text.isEmpty())
            return;
        // A row's cells share their lines: a run on a baseline already seen in the item joins it.
        int line = -1;
        for (size_t i = m_itemFirstLine; i < m_baselines.size(); ++i)
            if (std::abs(m_baselines[i] - baseline) < 0.5)
                line = int(i);
        if (line < 0) {
            line = int(m_baselines.size());
            m_baselines.push_back(baseline);
            m_lines = m_baselines.size();
        }
        m_runs.push_back({text.toString(), x, baseline, font, size, line});
    }
    void fillRect(const QRectF&, double) override {}
    void line(QPointF, QPointF, double) override {}
    void pageNumber(double, double, double, ReportLayout::Font, double) override {}

private:
    std::vector<ReportDocument::TextRun>& m_runs;
    std::vector<double> m_baselines;
    size_t m_itemFirstLine = 0, m_lines = 0;
};

} // namespace

QRectF ReportDocument::TextRun::box(int from, int length) const {
    const TextMeasurer& m = TextMeasurer::shared();
    const QStringView all(text);
    const double left = x + m.width(all.left(from), size, font);
    const double width = m.width(all.mid(from, length), size, font);
    const double ascent = m.ascent(size, font);
    return QRectF(left, baseline - ascent, width, ascent + m.descent(size, font));
}

std::vector<ReportDocument::TextRun> ReportDocument::pageText(int index) const {
    std::vector<TextRun> runs;
    if (index < 0 || index >= pageCount())
        return runs;
    const ReportLayout::Painter draw(m_def, m_geometry, TextMeasurer::shared(), m_branch, m_issued);
    TextRecorder recorder(runs);
    const Page& page = m_pages[size_t(index)];
    static const QStringList none;
    size_t piece = 0;
    for (const ReportLayout::Item& item : page.items) {
        const bool row = item.kind == ReportLayout::ItemKind::Row;
        recorder.nextItem();
        draw.item(recorder, item, page.pieces.data() + piece, row ? m_rows.cells[size_t(item.row)] : none);
        piece += size_t(item.pieces);
    }
    return runs;
}

QRectF ReportDocument::onPaper(const QRectF& box) const {
    const QPointF origin = m_layout.paintRect(QPageLayout::Point).topLeft();
    return QRectF(origin + box.topLeft() / kPointsToUnits, box.size() / kPointsToUnits);
}

void ReportDocument::print(QPagedPaintDevice& device, int from, int to,
                           const std::function<bool(int page)>& progress) const {
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
        if (progress && progress(page)) {
            painter.end();
            throw EAbort();
        }
        prepare(painter, device, false, m_layout);
        drawPage(painter, page - 1);
    }
    if (!painter.end())
        throw EHostError(
            QStringLiteral("A impressão do relatório '%1' não pôde ser concluída.").arg(m_def.title));
}

PdfWriter::Options ReportDocument::pdfOptions(const ReportDefinition& definition, const QPageLayout& layout) {
    PdfWriter::Options o;
    o.unitsPerPoint = kPointsToUnits;
    o.origin = layout.paintRect(QPageLayout::Point).topLeft();
    o.title = definition.title;
    o.creator = QStringLiteral("ERP - relatórios");
    return o;
}

void ReportDocument::exportPdf(const QString& path) const {
    if (!m_complete)
        throw EHostError(
            QStringLiteral("O relatório '%1' ainda não terminou; exporte-o quando estiver completo.")
                .arg(title()));
    try {
        PdfWriter writer(TextMeasurer::shared());
        writer.begin(path, m_layout.fullRect(QPageLayout::Point).size(), pdfOptions(m_def, m_layout));
        ReportLayout::PdfCanvas canvas(writer);
        for (int page = 0; page < pageCount(); ++page) {
            writer.newPage();
            drawPage(canvas, page);
        }
        writer.close();
    } catch (const PdfWriteError& e) {
        throw EHostError(e.message());
    }
}
