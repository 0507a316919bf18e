#include "reporting/ReportDocument.h"

#include "core/Errors.h"
#include "reporting/pdf/PdfWriter.h"

#include <QEventLoop>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QThread>
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
      m_layout(m_def.page.layout()), m_rows(std::make_unique<ReportRowStore>()),
      m_pages(std::make_unique<ReportLayoutCache>(m_def, *m_rows)) {
    paginate();
}

ReportDocument::ReportDocument(ReportDefinition definition, ReportRows rows, QString branch, QDateTime issued,
                               QStringList criteria)
    : m_def(std::move(definition)), m_branch(std::move(branch)), m_issued(std::move(issued)),
      m_criteria(std::move(criteria)), m_layout(m_def.page.layout()),
      m_rows(std::make_unique<ReportRowStore>()),
      m_pages(std::make_unique<ReportLayoutCache>(m_def, *m_rows)) {
    paginate();
    appendRows(std::move(rows));
    complete();
}

ReportDocument::~ReportDocument() = default;

void ReportDocument::setPageLayout(const QPageLayout& layout) {
    m_layout = layout;
    paginate();
    if (m_complete) {
        m_starts->finish();
        m_pages->addStarts(m_starts->take());
    }
}

void ReportDocument::pageFinished(int index) {
    // The page's start goes to the cache before anyone is told the page is there.
    m_pages->addStarts(m_starts->take());
    m_finishedPages = index + 1;
    if (m_notify)
        emit pagesAdded(m_finishedPages);
}

void ReportDocument::paginate() {
    m_pages->reset(ReportLayout::geometry(m_def, m_layout, TextMeasurer::shared(), m_criteria));
    m_finishedPages = 0;
    m_fed = false; // from here on the document lays its rows out itself
    m_starts = std::make_unique<ReportLayoutCache::Starts>(m_def, m_pages->geometry(),
                                                           [this](int index) { pageFinished(index); });
    m_notify = false; // laying out again: the pages are told once it is done
    m_rows->read(0, [this](int, const ReportRowStore::Row& row) {
        m_starts->addRow(row.cells, row.groupKey, row.groupTitle);
        return true;
    });
    m_pages->addStarts(m_starts->take());
    m_notify = true;
}

void ReportDocument::addRow(const QStringList& cells, const QString& groupKey, const QString& groupTitle) {
    m_rows->append(cells, groupKey, groupTitle); // before its layout, which may draw its page
    m_starts->addRow(cells, groupKey, groupTitle);
}

void ReportDocument::setCriteria(QStringList criteria) {
    m_criteria = std::move(criteria);
    paginate();
}

void ReportDocument::appendRows(ReportRows rows) {
    if (m_complete || !m_failure.isEmpty())
        return;
    const bool grouping = m_def.group.enabled();
    static const QString none;
    try {
        for (size_t i = 0; i < rows.cells.size(); ++i)
            addRow(rows.cells[i], grouping ? rows.groupKeys[i] : none, grouping ? rows.groupTitles[i] : none);
        m_pages->addStarts(m_starts->take());
    } catch (const EHostError& e) {
        fail(e.message());
    }
}

void ReportDocument::forEachRow(const std::function<bool(const ReportRowStore::Row&)>& visit) const {
    m_rows->read(0, [&](int, const ReportRowStore::Row& row) { return visit(row); });
}

ReportRows ReportDocument::rows() const {
    ReportRows rows;
    for (const ReportColumn& column : m_def.columns)
        rows.fields << column.field;
    const bool grouping = m_def.group.enabled();
    forEachRow([&](const ReportRowStore::Row& row) {
        rows.cells.push_back(row.cells);
        if (grouping) {
            rows.groupKeys.push_back(row.groupKey);
            rows.groupTitles.push_back(row.groupTitle);
        }
        return true;
    });
    return rows;
}

std::shared_ptr<const ReportLayoutCache::Page> ReportDocument::page(int index) const {
    if (index < 0 || index >= pageCount())
        return std::make_shared<const ReportLayoutCache::Page>();
    return m_pages->page(index, pageCount(), m_complete);
}

void ReportDocument::adopt(Batch batch) {
    if (m_complete || !m_failure.isEmpty())
        return;
    if (batch.first) {
        m_fed = true;
        m_starts.reset();
        m_criteria = std::move(batch.criteria);
        m_pages->reset(std::move(batch.geometry));
        m_finishedPages = 0;
    }
    try {
        m_rows->append(batch.rows);
    } catch (const EHostError& e) {
        fail(e.message());
        return;
    }
    m_pages->addStarts(std::move(batch.starts));
    if (m_finishedPages != batch.finishedPages) {
        m_finishedPages = batch.finishedPages;
        emit pagesAdded(m_finishedPages);
    }
}

void ReportDocument::complete() {
    if (m_complete || !m_failure.isEmpty())
        return;
    if (!m_fed) {
        m_starts->finish();
        m_pages->addStarts(m_starts->take());
    }
    m_complete = true;
    emit completed();
}

ReportFeed::ReportFeed(ReportDocument& document)
    : m_doc(&document), m_def(document.definition()), m_grouping(m_def.group.enabled()) {}

void ReportFeed::begin(const ReportHeading& heading, std::function<bool()> cancelled) {
    m_criteria = heading.criteria;
    m_geometry = ReportLayout::geometry(m_def, m_doc->pageLayout(), TextMeasurer::shared(), m_criteria);
    m_cancelled = std::move(cancelled);
    m_starts = std::make_unique<ReportLayoutCache::Starts>(m_def, m_geometry,
                                                           [this](int index) { pageFinished(index); });
    m_starts->setCancelCheck(m_cancelled);
    m_clock.start();
}

ReportFeed::~ReportFeed() = default;

void ReportFeed::addRow(const QStringList& cells, const QString& groupKey, const QString& groupTitle) {
    // The row goes with the first page that shows it, which may be finished while it is laid out.
    static const QString none;
    m_batch.rows.add(cells, m_grouping ? groupKey : none, m_grouping ? groupTitle : none);
    m_starts->addRow(cells, groupKey, groupTitle);
}

void ReportFeed::finish() {
    m_starts->finish();
    if (!m_handed || m_batch.finishedPages != m_finished || m_batch.rows.rows > 0)
        hand();
}

void ReportFeed::pageFinished(int index) {
    m_finished = index + 1;
    constexpr qint64 kMostMs = 100;
    constexpr qsizetype kMostBytes = 1 << 20;
    if (!m_handed || m_clock.elapsed() >= kMostMs || m_batch.rows.bytes.size() >= kMostBytes)
        hand();
}

void ReportFeed::hand() {
    m_batch.first = !m_handed;
    if (m_batch.first) {
        m_batch.criteria = m_criteria;
        m_batch.geometry = m_geometry;
    }
    m_batch.starts = m_starts->take();
    m_batch.finishedPages = m_finished;
    m_handed = true;
    const qint64 bytes = m_batch.rows.bytes.size();
    auto batch = std::make_shared<ReportDocument::Batch>(std::move(m_batch));
    m_batch = {};
    m_batch.finishedPages = m_finished;
    ReportDocument* doc = m_doc;
    *m_pending += bytes;
    QMetaObject::invokeMethod(
        doc,
        [doc, batch, pending = m_pending, bytes] {
            doc->adopt(std::move(*batch));
            *pending -= bytes;
        },
        Qt::QueuedConnection);
    // Rows read faster than the window takes them in wait here rather than pile up in its queue; not
    // for long, in case the window's thread waits for this one without taking events.
    constexpr qint64 kMostPending = 4 << 20;
    for (int i = 0; *m_pending > kMostPending && i < 200 && !(m_cancelled && m_cancelled()); ++i)
        QThread::msleep(10);
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
    if (index < 0 || index >= pageCount())
        return;
    const std::shared_ptr<const ReportLayoutCache::Page> laid = page(index);
    const ReportLayout::Painter draw(m_def, geometry(), TextMeasurer::shared(), m_branch, m_issued);
    draw.header(canvas, index);
    size_t piece = 0;
    for (const ReportLayout::Item& item : laid->items) {
        draw.item(canvas, item, laid->pieces.data() + piece, laid->rowCells(item.row));
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

void ReportDocument::drawPageOnScreen(QPainter& painter, int index) const noexcept {
    QString problem;
    try {
        drawPage(painter, index);
        return;
    } catch (const EHostError& e) {
        problem = e.message();
    } catch (const std::exception& e) {
        problem = QString::fromLocal8Bit(e.what());
    }
    painter.restore(); // drawPage saved the painter's state before it threw
    painter.save();
    painter.setFont(ReportLayout::qtFont(TextMeasurer::Bold, 100));
    painter.setPen(Qt::darkRed);
    const QRectF area(0, 0, m_layout.paintRect(QPageLayout::Point).width() * kUnitsPerInch / 72,
                      m_layout.paintRect(QPageLayout::Point).height() * kUnitsPerInch / 72);
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap,
                     QStringLiteral("A página %1 não pôde ser mostrada.\n%2").arg(index + 1).arg(problem));
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
    const ReportLayout::Painter draw(m_def, geometry(), TextMeasurer::shared(), m_branch, m_issued);
    TextRecorder recorder(runs);
    const std::shared_ptr<const ReportLayoutCache::Page> laid = page(index);
    size_t piece = 0;
    for (const ReportLayout::Item& item : laid->items) {
        recorder.nextItem();
        draw.item(recorder, item, laid->pieces.data() + piece, laid->rowCells(item.row));
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
