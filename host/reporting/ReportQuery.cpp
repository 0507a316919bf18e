#include "reporting/ReportQuery.h"

#include "core/CellText.h"
#include "core/Errors.h"
#include "data/KeyTable.h"
#include "library/SelectionText.h"
#include "reporting/ReportSql.h"
#include "reporting/TParams.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace {

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

// Runs a statement of the engine's own (never a user's text).
void execInternal(QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw EHostError(QStringLiteral("O banco de dados recusou '%1': %2.")
                             .arg(sql, ReportQuery::databaseError(q.lastError())));
}

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

class ReportQuery::Transaction {
public:
    Transaction(QSqlDatabase& db, const QString& title) : m_db(db), m_dialect(Dialect::of(db)) {
        if (!m_db.transaction())
            throw EHostError(QStringLiteral("Não foi possível iniciar a transação do relatório '%1': %2.")
                                 .arg(title, databaseError(m_db.lastError())));
        m_open = true;
    }
    ~Transaction() {
        if (!m_open)
            return;
        if (m_readOnly && !m_dialect.writableStatement().isEmpty()) {
            QSqlQuery q(m_db);
            q.exec(m_dialect.writableStatement());
        }
        m_db.rollback();
    }
    void makeReadOnly() {
        if (m_dialect.readOnlyStatement().isEmpty())
            return;
        execInternal(m_db, m_dialect.readOnlyStatement());
        m_readOnly = true;
    }
    void finish(bool keysLoaded) {
        if (m_readOnly && !m_dialect.writableStatement().isEmpty())
            execInternal(m_db, m_dialect.writableStatement());
        m_readOnly = false;
        if (keysLoaded)
            KeyTable::clear(m_db);
        m_open = false;
        if (m_dialect.reportEndsInRollback()) {
            if (!m_db.rollback())
                throw EHostError(QStringLiteral("Não foi possível encerrar a transação do relatório: %1.")
                                     .arg(databaseError(m_db.lastError())));
            return;
        }
        if (!m_db.commit()) {
            m_db.rollback();
            throw EHostError(QStringLiteral("Não foi possível encerrar a transação do relatório: %1.")
                                 .arg(databaseError(m_db.lastError())));
        }
    }

private:
    QSqlDatabase& m_db;
    const Dialect& m_dialect;
    bool m_open = false;
    bool m_readOnly = false;
};

ReportQuery::ReportQuery(QSqlDatabase db, DatabaseKind kind, const ReportDefinition& definition)
    : m_db(std::move(db)), m_kind(kind), m_def(definition), m_sql(definition.sqlFor(kind)) {}

ReportQuery::~ReportQuery() = default;

QString ReportQuery::databaseError(const QSqlError& e) {
    const QString text = e.text().trimmed();
    return text.isEmpty() ? QStringLiteral("erro desconhecido do banco de dados") : text;
}

void ReportQuery::bind(const TParams& params) {
    m_transaction = std::make_unique<Transaction>(m_db, m_def.title);

    // List parameters: decoded into the key table; the placeholder itself says "T" or "L".
    QHash<QString, QVariant> values;
    for (const QString& list : m_def.listParameters)
        if (params.FindParam(list) && !m_keysLoaded) {
            // The key table exists (SQLite makes it on first use) and holds no stale keys.
            KeyTable::clear(m_db);
            m_keysLoaded = true;
        }
    for (int i = 0; i < params.Count(); ++i) {
        const TParam& p = params.Item(i);
        const bool isList =
            std::any_of(m_def.listParameters.begin(), m_def.listParameters.end(),
                        [&](const QString& l) { return l.compare(p.Name(), Qt::CaseInsensitive) == 0; });
        if (!isList) {
            values.insert(p.Name(), p.bindValue());
            continue;
        }
        const QString text = p.IsSet() ? p.Value().toString() : QStringLiteral("T");
        if (text == u"T") {
            values.insert(p.Name(), QStringLiteral("T"));
            continue;
        }
        // Key by key into the table: a selection of every client never becomes a list of them. A
        // text that turns out not to be a selection leaves its keys to the run's rollback.
        KeyTable::Loader keys(m_db, p.Name().toUpper());
        if (!SelectionText::forEachKey(text, [&](QStringView key) { keys.add(key.toString()); }))
            throw EHostError(
                QStringLiteral("A seleção informada para '%1' no relatório '%2' não pôde ser lida.")
                    .arg(p.Name(), m_def.title));
        keys.finish();
        m_keysLoaded = true;
        values.insert(p.Name(), QStringLiteral("L"));
    }
    m_transaction->makeReadOnly();

    m_query = std::make_unique<QSqlQuery>(m_db);
    m_query->setForwardOnly(true);
    if (!m_query->prepare(m_sql))
        throw EHostError(QStringLiteral("A consulta do relatório '%1' não pôde ser preparada: %2.")
                             .arg(m_def.title, databaseError(m_query->lastError())));
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        for (const QString& spelling : ReportSql::placeholderSpellings(m_sql, it.key()))
            m_query->bindValue(QLatin1Char(':') + spelling, Dialect::of(m_db).bindable(it.value()));
}

void ReportQuery::fetch(const std::function<bool(qint64)>& progress, const RowSink& sink) {
    QSqlQuery& q = *m_query;
    if (!q.exec())
        throw EHostError(QStringLiteral("A consulta do relatório '%1' falhou: %2.")
                             .arg(m_def.title, databaseError(q.lastError())));

    const QSqlRecord record = q.record();
    std::vector<int> columnIndex;
    for (const ReportColumn& c : m_def.columns) {
        const int index = record.indexOf(c.field);
        if (index < 0)
            throw EHostError(
                QStringLiteral(
                    "A coluna '%1' do relatório '%2' usa o campo '%3', que a consulta não retorna.")
                    .arg(c.header, m_def.title, c.field));
        columnIndex.push_back(index);
    }
    int groupField = -1;
    std::vector<CaptionPart> caption;
    if (m_def.group.enabled()) {
        groupField = record.indexOf(m_def.group.field);
        if (groupField < 0)
            throw EHostError(
                QStringLiteral("O relatório '%1' é agrupado pelo campo '%2', que a consulta não retorna.")
                    .arg(m_def.title, m_def.group.field));
        caption = captionParts(m_def.group.header, record, m_def.title);
    }

    qint64 fetched = 0;
    QString key, title;
    QStringList cells;
    while (q.next()) {
        cells.clear();
        cells.reserve(qsizetype(columnIndex.size()));
        for (size_t c = 0; c < columnIndex.size(); ++c)
            cells << cellText(display(q.value(columnIndex[c]), m_def.columns[int(c)].format));
        if (groupField >= 0) {
            QString rowKey = rightTrimmed(q.value(groupField).toString());
            if (fetched == 0 || rowKey != key) {
                key = std::move(rowKey);
                title.clear();
                for (const CaptionPart& part : caption)
                    title += part.field < 0 ? part.text : cellText(display(q.value(part.field), {}));
            }
        }
        sink(cells, key, title);
        ++fetched;
        if (progress && progress(fetched))
            throw EAbort();
    }
    if (q.lastError().isValid())
        throw EHostError(QStringLiteral("A leitura do relatório '%1' falhou: %2.")
                             .arg(m_def.title, databaseError(q.lastError())));
    q.finish();
    m_transaction->finish(m_keysLoaded);
}
