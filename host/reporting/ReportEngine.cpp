#include "reporting/ReportEngine.h"

#include "core/Errors.h"
#include "data/KeyTable.h"
#include "library/SelectionText.h"
#include "reporting/ReportSql.h"
#include "reporting/TParams.h"
#include "reporting/TReportDesignerDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

constexpr int kProgressDelayMs = 500;

QString rightTrimmed(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1).isSpace())
        --n;
    return n == s.size() ? s : s.left(n);
}

QDate asDate(const QVariant& v) {
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate();
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

QString display(const QVariant& v, const QString& format) {
    if (v.isNull())
        return {};
    if (format == u"date" || format == u"daymonth" || v.metaType().id() == QMetaType::QDate ||
        v.metaType().id() == QMetaType::QDateTime) {
        const QDate d = asDate(v);
        if (d.isValid())
            return d.toString(format == u"daymonth" ? QStringLiteral("dd/MM") : QStringLiteral("dd/MM/yyyy"));
    }
    return rightTrimmed(v.toString());
}

QString dbError(const QSqlError& e) {
    const QString text = e.text().trimmed();
    return text.isEmpty() ? QStringLiteral("erro desconhecido do banco de dados") : text;
}

// Runs a statement of the engine's own (never a user's text).
void execInternal(QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw EHostError(
            QStringLiteral("O banco de dados recusou '%1': %2.").arg(sql, dbError(q.lastError())));
}

// One explicit transaction for the key load and the SELECT; whatever happens, the connection is
// left as it was found (no transaction, writable, no keys of this run).
class RunTransaction {
public:
    RunTransaction(QSqlDatabase& db, DatabaseKind kind, const QString& title) : m_db(db), m_kind(kind) {
        if (!m_db.transaction())
            throw EHostError(QStringLiteral("Não foi possível iniciar a transação do relatório '%1': %2.")
                                 .arg(title, dbError(m_db.lastError())));
        m_open = true;
    }
    ~RunTransaction() {
        if (!m_open)
            return;
        if (m_readOnly) {
            QSqlQuery q(m_db);
            q.exec(QStringLiteral("PRAGMA query_only = 0"));
        }
        m_db.rollback();
    }
    void makeReadOnly() {
        if (m_kind != DatabaseKind::SQLite)
            return;
        execInternal(m_db, QStringLiteral("PRAGMA query_only = 1"));
        m_readOnly = true;
    }
    void finish(bool keysLoaded) {
        if (m_readOnly) {
            execInternal(m_db, QStringLiteral("PRAGMA query_only = 0"));
            m_readOnly = false;
        }
        if (keysLoaded)
            KeyTable::clear(m_db);
        m_open = false;
        if (!m_db.commit()) {
            m_db.rollback();
            throw EHostError(QStringLiteral("Não foi possível encerrar a transação do relatório: %1.")
                                 .arg(dbError(m_db.lastError())));
        }
    }

private:
    QSqlDatabase& m_db;
    DatabaseKind m_kind;
    bool m_open = false;
    bool m_readOnly = false;
};

// The progress dialog appears only when a run takes longer than half a second; Cancel is looked at
// between rows. One thread: the connection lives in this one.
class Progress {
public:
    Progress(const ReportRun& run, const QString& title) : m_run(run), m_title(title) { m_clock.start(); }
    ~Progress() { delete m_dialog; }
    // True when the user (or the test's check) asked to stop.
    bool cancelled(qint64 rows) {
        if (m_run.cancelCheck)
            return m_run.cancelCheck(rows);
        if ((rows & 63) != 0 || !qobject_cast<QApplication*>(QCoreApplication::instance()))
            return false;
        if (!m_dialog) {
            if (m_clock.elapsed() < kProgressDelayMs)
                return false;
            m_dialog = new QProgressDialog(m_run.window);
            m_dialog->setWindowTitle(QStringLiteral("Relatório"));
            m_dialog->setCancelButtonText(QStringLiteral("Cancelar"));
            m_dialog->setWindowModality(Qt::ApplicationModal);
            m_dialog->setRange(0, 0);
            m_dialog->setMinimumDuration(0);
            m_dialog->setAutoClose(false);
            m_dialog->setAutoReset(false);
            m_dialog->show();
        }
        m_dialog->setLabelText(
            QStringLiteral("Gerando \"%1\"...\n%2 registros lidos").arg(m_title).arg(rows));
        QCoreApplication::processEvents();
        return m_dialog->wasCanceled();
    }

private:
    const ReportRun& m_run;
    QString m_title;
    QElapsedTimer m_clock;
    QProgressDialog* m_dialog = nullptr;
};

// "{FIELD}" in a group caption, replaced by the row's value of that field.
struct CaptionPart {
    QString text;
    int field = -1; // record index, or -1 for literal text
};

std::vector<CaptionPart> captionParts(const QString& caption, const QSqlRecord& record,
                                      const QString& title) {
    std::vector<CaptionPart> parts;
    static const QRegularExpression re(QStringLiteral("\\{([A-Za-z_][A-Za-z0-9_$]*)\\}"));
    qsizetype last = 0;
    auto it = re.globalMatch(caption);
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.capturedStart() > last)
            parts.push_back({caption.mid(last, m.capturedStart() - last), -1});
        const int index = record.indexOf(m.captured(1));
        if (index < 0)
            throw EHostError(
                QStringLiteral("O grupo do relatório '%1' usa o campo '%2', que a consulta não retorna.")
                    .arg(title, m.captured(1)));
        parts.push_back({{}, index});
        last = m.capturedEnd();
    }
    if (last < caption.size())
        parts.push_back({caption.mid(last), -1});
    return parts;
}

} // namespace

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

std::unique_ptr<ReportDocument> ReportEngine::run(const ReportDefinition& def, const ReportRun& run) {
    QSqlDatabase db = run.db;
    const QString sql = def.sqlFor(run.kind);
    // Nothing but one reading statement ever reaches the database.
    const QString refused = ReportSql::readOnlyProblem(sql);
    if (!refused.isEmpty())
        throw EHostError(
            QStringLiteral("O relatório '%1' não pode ser executado. %2").arg(def.title, refused));
    if (!db.isOpen())
        throw EHostError(
            QStringLiteral("O banco de dados não está aberto; o relatório '%1' não pode ser executado.")
                .arg(def.title));

    std::unique_ptr<TParams> params = makeParams(def, run.kind);
    if (run.designer) {
        bool cancel = false;
        run.designer->BeforeGetQueryParams(params.get(), cancel);
        if (cancel)
            throw EAbort();
    }
    if (run.onParams)
        run.onParams(*params);

    Progress progress(run, def.title);
    RunTransaction transaction(db, run.kind, def.title);

    // List parameters: decoded into the key table; the placeholder itself says "T" or "L".
    QHash<QString, QVariant> values;
    bool keysLoaded = false;
    for (const QString& list : def.listParameters)
        if (params->FindParam(list) && !keysLoaded) {
            KeyTable::clear(
                db); // the key table exists (SQLite makes it on first use) and holds no stale keys
            keysLoaded = true;
        }
    for (int i = 0; i < params->Count(); ++i) {
        const TParam& p = params->Item(i);
        const bool isList =
            std::any_of(def.listParameters.begin(), def.listParameters.end(),
                        [&](const QString& l) { return l.compare(p.Name(), Qt::CaseInsensitive) == 0; });
        if (!isList) {
            values.insert(p.Name(), bindValue(p));
            continue;
        }
        const QString text = p.IsSet() ? p.Value().toString() : QStringLiteral("T");
        if (text == u"T") {
            values.insert(p.Name(), QStringLiteral("T"));
            continue;
        }
        const std::optional<QStringList> keys = SelectionText::decode(text);
        if (!keys)
            throw EHostError(
                QStringLiteral("A seleção informada para '%1' no relatório '%2' não pôde ser lida.")
                    .arg(p.Name(), def.title));
        KeyTable::load(db, p.Name().toUpper(), *keys);
        keysLoaded = true;
        values.insert(p.Name(), QStringLiteral("L"));
    }
    transaction.makeReadOnly();

    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw EHostError(QStringLiteral("A consulta do relatório '%1' não pôde ser preparada: %2.")
                             .arg(def.title, dbError(q.lastError())));
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        for (const QString& spelling : ReportSql::placeholderSpellings(sql, it.key()))
            q.bindValue(QLatin1Char(':') + spelling, it.value());
    if (!q.exec())
        throw EHostError(QStringLiteral("A consulta do relatório '%1' falhou: %2.")
                             .arg(def.title, dbError(q.lastError())));

    const QSqlRecord record = q.record();
    ReportRows rows;
    std::vector<int> columnIndex;
    for (const ReportColumn& c : def.columns) {
        const int index = record.indexOf(c.field);
        if (index < 0)
            throw EHostError(
                QStringLiteral(
                    "A coluna '%1' do relatório '%2' usa o campo '%3', que a consulta não retorna.")
                    .arg(c.header, def.title, c.field));
        columnIndex.push_back(index);
        rows.fields << c.field;
    }
    int groupField = -1;
    std::vector<CaptionPart> caption;
    if (def.group.enabled()) {
        groupField = record.indexOf(def.group.field);
        if (groupField < 0)
            throw EHostError(
                QStringLiteral("O relatório '%1' é agrupado pelo campo '%2', que a consulta não retorna.")
                    .arg(def.title, def.group.field));
        caption = captionParts(def.group.header, record, def.title);
    }

    qint64 fetched = 0;
    while (q.next()) {
        QStringList cells;
        cells.reserve(qsizetype(columnIndex.size()));
        for (size_t c = 0; c < columnIndex.size(); ++c)
            cells << display(q.value(columnIndex[c]), def.columns[int(c)].format);
        rows.cells.push_back(std::move(cells));
        if (groupField >= 0) {
            const QString key = rightTrimmed(q.value(groupField).toString());
            if (!rows.groupKeys.empty() && rows.groupKeys.back() == key) {
                rows.groupTitles.push_back(rows.groupTitles.back());
            } else {
                QString title;
                for (const CaptionPart& part : caption)
                    title += part.field < 0 ? part.text : display(q.value(part.field), {});
                rows.groupTitles.push_back(title);
            }
            rows.groupKeys.push_back(key);
        }
        if (progress.cancelled(++fetched))
            throw EAbort();
    }
    if (q.lastError().isValid())
        throw EHostError(
            QStringLiteral("A leitura do relatório '%1' falhou: %2.").arg(def.title, dbError(q.lastError())));
    q.finish();
    transaction.finish(keysLoaded);

    return std::make_unique<ReportDocument>(def, std::move(rows), run.branch, QDateTime::currentDateTime());
}

QString ReportEngine::checkForSave(const ReportDefinition& def, QSqlDatabase db, DatabaseKind kind) {
    const QString wrong = def.problem();
    if (!wrong.isEmpty())
        return QStringLiteral("A definição não pode ser gravada: %1.").arg(wrong);
    const QList<std::pair<QString, QString>> texts = {{QStringLiteral("SQL"), def.sql},
                                                      {QStringLiteral("SQL_IB"), def.sqlIb},
                                                      {QStringLiteral("SQL_ORACLE"), def.sqlOracle},
                                                      {QStringLiteral("SQL_MSSQL"), def.sqlMssql}};
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
        return QStringLiteral("Não foi possível verificar a consulta: %1.").arg(dbError(db.lastError()));
    QString problem;
    try {
        KeyTable::clear(db);
        QSqlQuery q(db);
        if (!q.prepare(def.sqlFor(kind)))
            problem = QStringLiteral("A consulta não pôde ser preparada no banco de dados atual: %1.")
                          .arg(dbError(q.lastError()));
    } catch (const EHostError& e) {
        problem = e.message();
    }
    db.rollback();
    return problem;
}
