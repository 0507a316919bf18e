#include "reporting/ReportEngine.h"

#include "core/Errors.h"
#include "data/KeyTable.h"
#include "reporting/ReportCriteria.h"
#include "reporting/ReportLayout.h"
#include "reporting/ReportQuery.h"
#include "reporting/ReportSql.h"
#include "reporting/TParams.h"
#include "reporting/TReportDesignerDialog.h"
#include "reporting/export/TableWriter.h"
#include "reporting/pdf/PdfWriter.h"

#include <QSqlError>
#include <QSqlQuery>

std::unique_ptr<TParams> ReportEngine::makeParams(const ReportDefinition& definition, DatabaseKind kind) {
    auto params = std::make_unique<TParams>();
    for (const QString& name : definition.parameterNames(kind))
        params->Add(name);
    return params;
}

QVariant ReportEngine::bindValue(const TParam& param) {
    switch (param.kind()) {
    case TParam::Kind::Unset:
        return QVariant(QMetaType::fromType<QString>());
    case TParam::Kind::DateTime:
        return HostDate::toDateTime(param.Value().toDouble());
    default:
        // A text set from a null QString is still a text: an empty one, never NULL.
        if (param.Value().metaType().id() == QMetaType::QString && param.Value().toString().isNull())
            return QStringLiteral("");
        return param.Value();
    }
}

namespace {

// Refuses what may not run, lets the screen fill the parameters and binds them: the query is ready
// to fetch. criteria: the lines of the criteria block, read while the run's keys are loaded.
std::unique_ptr<ReportQuery> prepareQuery(const ReportDefinition& def, const ReportRun& run,
                                          QStringList& criteria) {
    const QString sql = def.sqlFor(run.kind);
    // Nothing but one reading statement ever reaches the database.
    const QString refused = ReportSql::readOnlyProblem(sql);
    if (!refused.isEmpty())
        throw EHostError(
            QStringLiteral("O relatório '%1' não pode ser executado. %2").arg(def.title, refused));
    if (!run.db.isOpen())
        throw EHostError(
            QStringLiteral("O banco de dados não está aberto; o relatório '%1' não pode ser executado.")
                .arg(def.title));

    std::unique_ptr<TParams> filled;
    if (!run.params)
        filled = ReportEngine::fillParams(def, run);

    if (run.progress && run.progress(0))
        throw EAbort();
    auto query = std::make_unique<ReportQuery>(run.db, run.kind, def);
    const TParams& params = run.params ? *run.params : *filled;
    query->bind(params);
    criteria = ReportCriteria::describe(def, params, run.db, run.kind);
    return query;
}

// Draws each page as its rows arrive; the writer sends it to the file when the next one starts.
class PdfStream : public ReportLayout::Sink {
public:
    PdfStream(PdfWriter& writer, const ReportLayout::Painter& painter)
        : m_writer(writer), m_canvas(writer), m_painter(painter) {}
    void pageStarted(int index) override {
        m_writer.newPage();
        m_painter.header(m_canvas, index);
    }
    void placed(const ReportLayout::Item& item, const ReportLayout::Piece* pieces,
                const QStringList& cells) override {
        m_painter.item(m_canvas, item, pieces, cells);
    }
    void pageFinished(int index) override {
        m_painter.footer(m_canvas);
        if (m_written)
            m_written(index + 1);
    }
    std::function<void(int)> m_written;

private:
    PdfWriter& m_writer;
    ReportLayout::PdfCanvas m_canvas;
    const ReportLayout::Painter& m_painter;
};

} // namespace

std::unique_ptr<TParams> ReportEngine::fillParams(const ReportDefinition& def, const ReportRun& run) {
    std::unique_ptr<TParams> params = makeParams(def, run.kind);
    if (run.designer) {
        bool cancel = false;
        run.designer->BeforeGetQueryParams(params.get(), cancel);
        if (cancel)
            throw EAbort();
    }
    return params;
}

void ReportEngine::fetchInto(const ReportDefinition& def, const ReportRun& run, ReportDocument& document) {
    QStringList criteria;
    std::unique_ptr<ReportQuery> query = prepareQuery(def, run, criteria);
    qint64 rows = 0;
    ReportFeed feed(document, criteria, [&] { return run.progress && run.progress(rows); });
    query->fetch(run.progress, [&](const QStringList& cells, const QString& key, const QString& title) {
        ++rows;
        feed.addRow(cells, key, title);
    });
    feed.finish();
}

std::unique_ptr<ReportDocument> ReportEngine::run(const ReportDefinition& def, const ReportRun& run) {
    QStringList criteria;
    std::unique_ptr<ReportQuery> query = prepareQuery(def, run, criteria);
    ReportRows rows = query->fetch(run.progress);
    return std::make_unique<ReportDocument>(def, std::move(rows), run.branch, QDateTime::currentDateTime(),
                                            std::move(criteria));
}

ReportPdfResult ReportEngine::writePdf(const ReportDefinition& def, const ReportRun& run, const QString& path,
                                       const QPageLayout& layout) {
    QStringList criteria;
    std::unique_ptr<ReportQuery> query = prepareQuery(def, run, criteria);
    const TextMeasurer& measurer = TextMeasurer::shared();
    const ReportLayout::Geometry geometry = ReportLayout::geometry(def, layout, measurer, criteria);
    const ReportLayout::Painter painter(def, geometry, measurer, run.branch, QDateTime::currentDateTime());
    ReportPdfResult result;
    try {
        // A run that fails or is cancelled drops the writer unclosed, which leaves no file.
        PdfWriter writer(measurer);
        writer.begin(path, layout.fullRect(QPageLayout::Point).size(),
                     ReportDocument::pdfOptions(def, layout));
        PdfStream stream(writer, painter);
        stream.m_written = run.pageWritten;
        ReportLayout::Paginator paginator(def, geometry, measurer, stream);
        qint64 rows = 0;
        paginator.setCancelCheck([&] { return run.progress && run.progress(rows); });
        query->fetch(run.progress, [&](const QStringList& cells, const QString& key, const QString& title) {
            ++rows;
            paginator.addRow(cells, key, title);
        });
        paginator.finish();
        writer.close();
        result.rows = paginator.rowCount();
        result.pages = paginator.pageCount();
    } catch (const PdfWriteError& e) {
        throw EHostError(e.message());
    }
    return result;
}

int ReportEngine::writeTable(const ReportDefinition& def, const ReportRun& run, const QString& path,
                             ReportExport::Format format) {
    QStringList criteria;
    std::unique_ptr<ReportQuery> query = prepareQuery(def, run, criteria);
    const std::unique_ptr<TableWriter> writer = TableWriter::create(
        format, path, def, {def.title, run.branch, QDateTime::currentDateTime(), criteria});
    query->fetch(run.progress, [&](const QStringList& cells, const QString& key, const QString& title) {
        writer->addRow(cells, key, title);
    });
    writer->finish();
    return writer->rowCount();
}

QString ReportEngine::checkForSave(const ReportDefinition& def, QSqlDatabase db, DatabaseKind kind) {
    const QString wrong = def.problem();
    if (!wrong.isEmpty())
        return QStringLiteral("A definição não pode ser gravada: %1.").arg(wrong);
    const QList<std::pair<QString, QString>> texts =
        QList<std::pair<QString, QString>>{{QStringLiteral("SQL"), def.sql},
                                           {QStringLiteral("SQL_IB"), def.sqlIb},
                                           {QStringLiteral("SQL_ORACLE"), def.sqlOracle},
                                           {QStringLiteral("SQL_MSSQL"), def.sqlMssql},
                                           {QStringLiteral("SQL_PG"), def.sqlPg}} +
        ReportCriteria::lookups(def);
    for (const auto& [name, text] : texts) {
        if (text.trimmed().isEmpty())
            continue;
        const QString refused = ReportSql::readOnlyProblem(text);
        if (!refused.isEmpty())
            return QStringLiteral("%1: %2").arg(name, refused);
    }
    if (!db.isOpen())
        return QStringLiteral("O banco de dados não está aberto; a consulta não pôde ser verificada.");
    // The key table must exist for the text to prepare; nothing of this check is kept.
    if (!db.transaction())
        return QStringLiteral("Não foi possível verificar a consulta: %1.")
            .arg(ReportQuery::databaseError(db.lastError()));
    QString problem;
    try {
        KeyTable::clear(db);
        QSqlQuery q(db);
        if (!q.prepare(def.sqlFor(kind)))
            problem = QStringLiteral("A consulta não pôde ser preparada no banco de dados atual: %1.")
                          .arg(ReportQuery::databaseError(q.lastError()));
    } catch (const EHostError& e) {
        problem = e.message();
    }
    db.rollback();
    return problem;
}
