#include "reporting/ReportEngine.h"

#include "core/Errors.h"
#include "data/KeyTable.h"
#include "reporting/ReportCriteria.h"
#include "reporting/ReportDocument.h"
#include "reporting/ReportQuery.h"
#include "reporting/ReportRows.h"
#include "reporting/ReportSink.h"
#include "reporting/ReportSql.h"
#include "reporting/TParams.h"
#include "reporting/TReportDesignerDialog.h"

#include <QSqlError>
#include <QSqlQuery>

std::unique_ptr<TParams> ReportEngine::makeParams(const ReportDefinition& definition, DatabaseKind kind) {
    auto params = std::make_unique<TParams>();
    for (const QString& name : definition.parameterNames(kind))
        params->Add(name);
    return params;
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

// Keeps every row, for a document made once the run has ended.
class RowsKept : public ReportSink {
public:
    explicit RowsKept(const ReportDefinition& def) : m_grouping(def.group.enabled()) {
        for (const ReportColumn& c : def.columns)
            rows.fields << c.field;
    }
    void begin(const ReportHeading& h, std::function<bool()>) override { heading = h; }
    void addRow(const QStringList& cells, const QString& key, const QString& title) override {
        rows.cells.push_back(cells);
        if (m_grouping) {
            rows.groupKeys.push_back(key);
            rows.groupTitles.push_back(title);
        }
    }
    void finish() override {}

    ReportHeading heading;
    ReportRows rows;

private:
    bool m_grouping;
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

int ReportEngine::run(const ReportDefinition& def, const ReportRun& run, ReportSink& sink) {
    QStringList criteria;
    std::unique_ptr<ReportQuery> query = prepareQuery(def, run, criteria);
    qint64 rows = 0;
    sink.begin({def.title, run.branch, QDateTime::currentDateTime(), std::move(criteria)},
               [&] { return run.progress && run.progress(rows); });
    query->fetch(run.progress, [&](const QStringList& cells, const QString& key, const QString& title) {
        ++rows;
        sink.addRow(cells, key, title);
    });
    sink.finish();
    return int(rows);
}

std::unique_ptr<ReportDocument> ReportEngine::run(const ReportDefinition& def, const ReportRun& run) {
    RowsKept kept(def);
    ReportEngine::run(def, run, kept);
    return std::make_unique<ReportDocument>(def, std::move(kept.rows), run.branch, kept.heading.issued,
                                            std::move(kept.heading.criteria));
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
