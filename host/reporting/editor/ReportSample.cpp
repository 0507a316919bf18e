#include "reporting/editor/ReportSample.h"

#include "core/Errors.h"
#include "data/KeyTable.h"
#include "reporting/ReportCriteria.h"
#include "reporting/ReportEngine.h"
#include "reporting/ReportQuery.h"
#include "reporting/ReportSql.h"
#include "reporting/TParams.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const QString kFormats[] = {QString(), QStringLiteral("date"), QStringLiteral("daymonth")};
constexpr int kFormatCount = 3;

int formatIndex(const QString& format) {
    for (int i = 0; i < kFormatCount; ++i)
        if (kFormats[i] == format)
            return i;
    return 0;
}

// The usual prefixes of this database's column names, so that a field no column shows yet still
// reads as something: "NMFANTCLIE" becomes "Nome fantclie".
QString readable(const QString& field) {
    static const struct {
        const char* prefix;
        const char* word;
    } kPrefixes[] = {{"CD", "Código"}, {"NM", "Nome"},   {"DS", "Descrição"},
                     {"DT", "Data"},   {"NR", "Número"}, {"SG", "Sigla"},
                     {"ID", "Tipo"},   {"VL", "Valor"},  {"QT", "Quantidade"}};
    for (const auto& p : kPrefixes)
        if (field.size() > 2 && field.startsWith(QLatin1String(p.prefix)))
            return QString::fromUtf8(p.word) + u' ' + field.mid(2).toLower().replace(u'_', u' ');
    QString text = field.toLower().replace(u'_', u' ').trimmed();
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

const QRegularExpression& placeholder() {
    static const QRegularExpression re(QStringLiteral("\\{([A-Za-z_][A-Za-z0-9_$]*)\\}"));
    return re;
}

// The fields of the query's result, asked for no rows: every parameter bound as NULL and the text
// wrapped so that the database plans nothing it would have to read.
QStringList queryFields(QString sql, QSqlDatabase& db, QString& error) {
    if (const QString why = ReportSql::readOnlyProblem(sql); !why.isEmpty()) {
        error = why;
        return {};
    }
    sql = sql.trimmed();
    while (sql.endsWith(u';'))
        sql = sql.chopped(1).trimmed();
    try {
        KeyTable::clear(db); // SQLite makes the key table on first use, and a list's SQL names it
    } catch (const EHostError& e) {
        error = e.message();
        return {};
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    auto run = [&](const QString& text) {
        if (!q.prepare(text))
            return false;
        for (const QString& name : ReportSql::parameterNames(sql))
            for (const QString& spelling : ReportSql::placeholderSpellings(sql, name))
                q.bindValue(QLatin1Char(':') + spelling, QVariant());
        return q.exec();
    };
    // Line breaks around the text: a comment on its last line ends before the bracket. A text that
    // cannot be wrapped (Firebird takes a WITH only at the top) runs as it is, every parameter NULL.
    if (!run(QStringLiteral("SELECT * FROM (\n%1\n) EDITOR_FIELDS WHERE 1 = 0").arg(sql)) && !run(sql)) {
        error = ReportQuery::databaseError(q.lastError());
        return {};
    }
    const QSqlRecord record = q.record();
    QStringList fields;
    for (int i = 0; i < record.count(); ++i)
        fields << record.fieldName(i).trimmed().toUpper();
    return fields;
}

// Rows a clerk can tell apart: dates for date fields, the field's label and a number otherwise; the
// group field's value changes every few rows, so that groups show.
std::vector<QStringList> madeUpValues(const QStringList& fields, const QStringList& labels,
                                      const QString& groupField) {
    std::vector<QStringList> rows;
    for (int r = 0; r < 40; ++r) {
        QStringList row;
        for (int f = 0; f < fields.size(); ++f) {
            if (fields[f].startsWith(QLatin1String("DT"))) {
                const QDate d(1970 + r % 40, r % 12 + 1, r % 28 + 1);
                row << d.toString(QStringLiteral("dd/MM/yyyy")) << d.toString(QStringLiteral("dd/MM/yyyy"))
                    << d.toString(QStringLiteral("dd/MM"));
                continue;
            }
            const int n = (fields[f] == groupField ? r / 4 : r) + 1;
            const QString text = QStringLiteral("%1 %2").arg(labels[f]).arg(n);
            row << text << text << text;
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace

void ReportSample::learnLabels(const ReportDefinition& d) {
    for (auto it = d.columns.crbegin(); it != d.columns.crend(); ++it)
        if (!it->header.trimmed().isEmpty() && !m_labels.contains(it->field.toUpper()))
            m_labels.insert(it->field.toUpper(), it->header.trimmed());
    // "Ramo de Atividade: {DSATIVCLI}": the words before a field name it.
    qsizetype last = 0;
    auto it = placeholder().globalMatch(d.group.header);
    while (it.hasNext()) {
        const auto m = it.next();
        QString before = d.group.header.mid(last, m.capturedStart() - last).trimmed();
        while (!before.isEmpty() && !before.back().isLetterOrNumber() && before.back() != u')')
            before.chop(1);
        const QString field = m.captured(1).toUpper();
        if (!before.isEmpty() && !m_labels.contains(field))
            m_labels.insert(field, before);
        last = m.capturedEnd();
    }
}

QString ReportSample::label(const QString& field) const {
    return m_labels.value(field.toUpper(), readable(field.toUpper()));
}

QString ReportSample::choiceText(const QString& field) const {
    return QStringLiteral("%1 (%2)").arg(label(field), field.toUpper());
}

int ReportSample::fieldIndex(const QString& field) const {
    return int(m_fields.indexOf(field.trimmed().toUpper()));
}

QStringList ReportSample::parameters(const ReportDefinition& definition) const {
    return definition.parameterNames(m_kind == DatabaseKind::None ? DatabaseKind::SQLite : m_kind);
}

ReportSample ReportSample::madeUp(const ReportDefinition& d, const QString& why) {
    ReportSample s;
    s.learnLabels(d);
    auto add = [&](const QString& field) {
        if (!field.isEmpty() && !s.m_fields.contains(field.toUpper()))
            s.m_fields << field.toUpper();
    };
    for (const ReportColumn& c : d.columns)
        add(c.field);
    add(d.group.field);
    auto it = placeholder().globalMatch(d.group.header);
    while (it.hasNext())
        add(it.next().captured(1));
    QStringList labels;
    for (const QString& f : s.m_fields)
        labels << s.label(f);
    s.m_values = madeUpValues(s.m_fields, labels, d.group.field.toUpper());
    s.m_note = why;
    return s;
}

ReportSample ReportSample::read(const ReportDefinition& d, QSqlDatabase db, DatabaseKind kind,
                                std::shared_ptr<const TParams> params, int maxRows) {
    QString error;
    QStringList fields = queryFields(d.sqlFor(kind), db, error);
    if (fields.isEmpty())
        return madeUp(d,
                      QStringLiteral("A consulta não pôde ser lida (%1); a página mostra linhas de exemplo.")
                          .arg(error.isEmpty() ? QStringLiteral("não retorna campos") : error));
    ReportSample s;
    s.learnLabels(d);
    s.m_fields = fields;
    s.m_fieldsFromQuery = true;
    s.m_db = db;
    s.m_kind = kind;
    const bool screenFilters = bool(params);
    s.m_params =
        params ? std::move(params) : std::shared_ptr<const TParams>(ReportEngine::makeParams(d, kind));

    // Each field three times, as each format shows it: the page follows a format change at once.
    ReportDefinition probe = d;
    probe.columns.clear();
    probe.group = {};
    for (const QString& f : fields)
        for (const QString& format : kFormats) {
            ReportColumn c;
            c.field = f;
            c.header = f;
            c.format = format;
            probe.columns << c;
        }
    try {
        ReportQuery query(db, kind, probe);
        query.bind(*s.m_params);
        query.fetch(
            [maxRows](qint64 rows) { return rows >= maxRows; },
            [&](const QStringList& cells, const QString&, const QString&) { s.m_values.push_back(cells); });
    } catch (const EAbort&) {
        // enough rows for the first page
    } catch (const EHostError& e) {
        error = e.message();
        s.m_values.clear();
    }
    s.m_realRows = !s.m_values.empty();
    if (s.m_realRows) {
        s.m_note = (screenFilters ? QStringLiteral("Primeiras linhas da consulta, com os filtros da tela.")
                                  : QStringLiteral("Primeiras linhas da consulta, sem filtros."));
        // The footer's page count counts the rows read here; the report's own is in the preview.
        if (qsizetype(s.m_values.size()) >= maxRows)
            s.m_note +=
                QStringLiteral(" O total de páginas do rodapé conta só estas %1 linhas.").arg(maxRows);
        return s;
    }
    QStringList labels;
    for (const QString& f : s.m_fields)
        labels << s.label(f);
    s.m_values = madeUpValues(s.m_fields, labels, d.group.field.toUpper());
    s.m_note = error.isEmpty()
                   ? QStringLiteral("A consulta não retornou linhas com os filtros da tela; a página mostra "
                                    "linhas de exemplo.")
                   : QStringLiteral("A consulta falhou (%1); a página mostra linhas de exemplo.").arg(error);
    return s;
}

ReportRows ReportSample::rowsFor(const ReportDefinition& d, QStringList* problems) const {
    auto problem = [&](const QString& text) {
        if (problems)
            *problems << text;
    };
    ReportRows rows;
    std::vector<int> source; // value index per column, -1: not returned
    for (const ReportColumn& c : d.columns) {
        rows.fields << c.field;
        const int f = fieldIndex(c.field);
        if (f < 0)
            problem(QStringLiteral("A coluna '%1' usa o campo '%2', que a consulta não retorna.")
                        .arg(c.header, c.field));
        source.push_back(f < 0 ? -1 : f * kFormatCount + formatIndex(c.format));
    }
    const bool grouping = d.group.enabled();
    const int groupField = fieldIndex(d.group.field);
    if (grouping && groupField < 0)
        problem(
            QStringLiteral("O agrupamento usa o campo '%1', que a consulta não retorna.").arg(d.group.field));
    struct Part {
        QString text;
        int field = -1;
    };
    std::vector<Part> caption;
    qsizetype last = 0;
    auto it = placeholder().globalMatch(d.group.header);
    while (it.hasNext()) {
        const auto m = it.next();
        caption.push_back({d.group.header.mid(last, m.capturedStart() - last), -1});
        const int f = fieldIndex(m.captured(1));
        if (f < 0)
            problem(QStringLiteral("O título do grupo usa o campo '%1', que a consulta não retorna.")
                        .arg(m.captured(1)));
        caption.push_back({f < 0 ? m.captured(0) : QString(), f < 0 ? -1 : f * kFormatCount});
        last = m.capturedEnd();
    }
    caption.push_back({d.group.header.mid(last), -1});

    for (const QStringList& values : m_values) {
        QStringList cells;
        for (int s : source)
            cells << (s < 0 ? QString() : values[s]);
        rows.cells.push_back(cells);
        if (!grouping)
            continue;
        rows.groupKeys.push_back(groupField < 0 ? QString() : values[groupField * kFormatCount]);
        QString title;
        for (const Part& p : caption)
            title += p.field < 0 ? p.text : values[p.field];
        rows.groupTitles.push_back(title);
    }
    return rows;
}

QStringList ReportSample::criteriaFor(const ReportDefinition& d) const {
    QJsonObject keyObject{{"criteria", ReportCriteria::toJson(d.criteria)},
                          {"sql", d.sqlFor(m_kind)},
                          {"lists", QJsonArray::fromStringList(d.listParameters)}};
    const QByteArray key = QJsonDocument(keyObject).toJson(QJsonDocument::Compact);
    if (key == m_criteriaKey)
        return m_criteria;
    m_criteriaKey = key;
    m_criteria.clear();
    if (m_params && m_db.isValid() && m_db.isOpen()) {
        try {
            // Inside a run's transaction, with its keys loaded, as the engine describes them; the
            // query's end (a rollback) leaves the connection as it was.
            ReportQuery query(m_db, m_kind, d);
            query.bind(*m_params);
            m_criteria = ReportCriteria::describe(d, *m_params, m_db, m_kind);
            return m_criteria;
        } catch (const EHostError&) {
        } catch (const EAbort&) {
        }
    }
    for (const ReportCriterion& c : d.criteria)
        m_criteria << QStringLiteral("%1: %2").arg(c.label, c.allText);
    return m_criteria;
}
