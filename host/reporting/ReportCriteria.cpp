#include "reporting/ReportCriteria.h"

#include "core/CellText.h"
#include "core/DateTime.h"
#include "core/Errors.h"
#include "data/KeyTable.h"
#include "reporting/ReportQuery.h"
#include "reporting/ReportSql.h"
#include "reporting/TParams.h"

#include <QDateTime>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>

namespace {

const struct {
    const char* name;
    ReportCriterion::Kind kind;
} kKinds[] = {{"value", ReportCriterion::Kind::Value},     {"month", ReportCriterion::Kind::Month},
              {"period", ReportCriterion::Kind::Period},   {"list", ReportCriterion::Kind::List},
              {"choices", ReportCriterion::Kind::Choices}, {"branch", ReportCriterion::Kind::Branch}};

QString kindName(ReportCriterion::Kind kind) {
    for (const auto& k : kKinds)
        if (k.kind == kind)
            return QLatin1String(k.name);
    return QStringLiteral("value");
}

[[noreturn]] void invalid(const QString& where, const QString& what) {
    throw EHostError(where + what);
}

QString text(const QJsonObject& o, const char* key, const QString& fallback, const QString& where) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return fallback;
    if (!v.isString())
        invalid(where, QStringLiteral("'%1' deve ser um texto").arg(QLatin1String(key)));
    return v.toString();
}

// A lookup may be one string or an array of lines, as the report's SQL.
QString sqlText(const QJsonObject& o, const char* key, const QString& where) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isArray()) {
        QStringList lines;
        for (const QJsonValue& line : v.toArray()) {
            if (!line.isString())
                invalid(where, QStringLiteral("'%1' deve ser um texto ou uma lista de linhas de texto")
                                   .arg(QLatin1String(key)));
            lines << line.toString();
        }
        return lines.join(u'\n');
    }
    return text(o, key, {}, where);
}

ReportCriterion criterionFromJson(const QJsonValue& v, int index) {
    const QString where = QStringLiteral("critério %1: ").arg(index + 1);
    if (!v.isObject())
        invalid(where, QStringLiteral("deve ser um objeto"));
    const QJsonObject o = v.toObject();
    ReportCriterion c;
    c.label = text(o, "label", {}, where).trimmed();
    c.parameter = text(o, "parameter", {}, where).trimmed().toUpper();
    const QString kind = text(o, "kind", QStringLiteral("value"), where);
    bool known = false;
    for (const auto& k : kKinds)
        if (kind == QLatin1String(k.name)) {
            c.kind = k.kind;
            known = true;
        }
    if (!known)
        invalid(where,
                QStringLiteral("tipo '%1' desconhecido (use value, month, period, list, choices ou branch)")
                    .arg(kind));
    c.parameterTo = text(o, "to", {}, where).trimmed().toUpper();
    const QJsonValue allIf = o.value(QLatin1String("all_if"));
    if (!allIf.isUndefined() && !allIf.isNull()) {
        if (!allIf.isObject())
            invalid(where, QStringLiteral("'all_if' deve ser um objeto com 'parameter' e 'value'"));
        c.allIfParameter = text(allIf.toObject(), "parameter", {}, where).trimmed().toUpper();
        c.allIfValue = text(allIf.toObject(), "value", {}, where);
    }
    c.allText = text(o, "all", c.allText, where);
    c.noneText = text(o, "none", c.noneText, where);
    c.lookup = sqlText(o, "lookup", where);
    c.lookupIb = sqlText(o, "lookup_ib", where);
    c.otherBranches = sqlText(o, "other_branches", where);
    const QJsonValue maxNames = o.value(QLatin1String("max_names"));
    if (!maxNames.isUndefined()) {
        if (!maxNames.isDouble() || maxNames.toDouble() != double(maxNames.toInt()) || maxNames.toInt() < 1 ||
            maxNames.toInt() > 20)
            invalid(where, QStringLiteral("'max_names' deve ser um número inteiro entre 1 e 20"));
        c.maxNames = maxNames.toInt();
    }
    const QJsonValue choices = o.value(QLatin1String("choices"));
    if (!choices.isUndefined()) {
        if (!choices.isArray())
            invalid(where, QStringLiteral("'choices' deve ser uma lista de objetos com 'value' e 'text'"));
        for (const QJsonValue& x : choices.toArray()) {
            if (!x.isObject())
                invalid(where,
                        QStringLiteral("'choices' deve ser uma lista de objetos com 'value' e 'text'"));
            ReportCriterion::Choice choice{text(x.toObject(), "value", {}, where),
                                           text(x.toObject(), "text", {}, where)};
            if (choice.value.isEmpty())
                invalid(where, QStringLiteral("cada opção de 'choices' deve ter 'value'"));
            c.choices << choice;
        }
    }
    return c;
}

QJsonValue sqlJson(const QString& text) {
    if (!text.contains(u'\n'))
        return text;
    return QJsonArray::fromStringList(text.split(u'\n'));
}

QDate dateOf(const QVariant& v) {
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime().date();
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

// What the report received for that parameter: as bound, a list's "T" when unset.
QVariant valueOf(const TParams& params, const QString& name) {
    const TParam* p = params.FindParam(name);
    if (!p)
        return {};
    return p->bindValue();
}

const QLocale& portuguese() {
    static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}

class Describer {
public:
    Describer(const ReportDefinition& def, const TParams& params, QSqlDatabase db, DatabaseKind kind)
        : m_def(def), m_params(params), m_db(std::move(db)), m_kind(kind) {
        for (const ReportCriterion& c : def.criteria)
            if (c.kind == ReportCriterion::Kind::Branch && m_params.FindParam(c.parameter)) {
                m_branch = valueOf(m_params, c.parameter).toString().trimmed();
                break;
            }
    }

    // Empty when the criterion's parameter is not among the report's (the SQL was changed and no
    // longer has it), or a list criterion names a parameter that is not a list.
    QString line(const ReportCriterion& c) {
        if (!m_params.FindParam(c.parameter))
            return {};
        if (c.kind == ReportCriterion::Kind::List &&
            !m_def.listParameters.contains(c.parameter, Qt::CaseInsensitive))
            return {};
        // The page header names the branch; the block says only that every branch is shown.
        if (c.kind == ReportCriterion::Kind::Branch && !m_branch.isEmpty())
            return {};
        return QStringLiteral("%1: %2").arg(c.label, value(c));
    }

private:
    QString value(const ReportCriterion& c) {
        if (!c.allIfParameter.isEmpty() && valueOf(m_params, c.allIfParameter).toString() == c.allIfValue)
            return c.allText;
        const QVariant v = valueOf(m_params, c.parameter);
        switch (c.kind) {
        case ReportCriterion::Kind::Month: {
            const QDate d = dateOf(v);
            return d.isValid() ? portuguese().toString(d, QStringLiteral("MMMM 'de' yyyy"))
                               : QStringLiteral("não informado");
        }
        case ReportCriterion::Kind::Period: {
            const QDate from = dateOf(v), to = dateOf(valueOf(m_params, c.parameterTo));
            if (!from.isValid() || !to.isValid())
                return QStringLiteral("não informado");
            // As the reports read a period of birthdays: a year or more is every day of it.
            if (from.daysTo(to) >= 365)
                return QStringLiteral("o ano inteiro");
            return QStringLiteral("%1 a %2").arg(from.toString(QStringLiteral("dd/MM")),
                                                 to.toString(QStringLiteral("dd/MM")));
        }
        case ReportCriterion::Kind::List:
            return list(c, v.isNull() ? QStringLiteral("T") : v.toString());
        case ReportCriterion::Kind::Choices: {
            const QString ticked = v.toString();
            QStringList texts;
            for (const ReportCriterion::Choice& choice : c.choices)
                if (ticked.contains(choice.value))
                    texts << choice.text;
            return texts.isEmpty() ? c.noneText : ReportCriteria::enumerate(texts, int(texts.size()));
        }
        case ReportCriterion::Kind::Value:
        case ReportCriterion::Kind::Branch:
            break;
        }
        const QString text = v.toString().trimmed();
        if (text.isEmpty())
            return c.allText;
        const QString sql = lookupFor(c);
        if (sql.isEmpty())
            return text;
        QSqlQuery q = run(c, sql, {text});
        return q.next() && !q.value(0).toString().trimmed().isEmpty() ? q.value(0).toString().trimmed()
                                                                      : text;
    }

    QString list(const ReportCriterion& c, const QString& selection) {
        if (selection == u"T")
            return c.allText;
        const QString param = c.parameter.toUpper();
        QSqlQuery count = run(
            c, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE PARAM = ?").arg(KeyTable::tableName()), {param});
        const int total = count.next() ? count.value(0).toInt() : 0;
        if (total == 0)
            return c.noneText;
        // Keys of other branches cannot appear: one count of them, and names of the others only.
        const bool byBranch = !c.otherBranches.trimmed().isEmpty();
        int elsewhere = 0;
        if (byBranch && !m_branch.isEmpty()) {
            QSqlQuery apart = run(c, c.otherBranches, QVariantList(c.otherBranches.count(u'?'), m_branch));
            elsewhere = apart.next() ? apart.value(0).toInt() : 0;
        }
        QString sql = lookupFor(c);
        if (sql.isEmpty())
            sql = QStringLiteral("SELECT KEYVALUE FROM %1 WHERE PARAM = ? ORDER BY KEYVALUE")
                      .arg(KeyTable::tableName());
        QVariantList values;
        if (byBranch)
            values = QVariantList(sql.count(u'?'), m_branch.isEmpty() ? QStringLiteral("") : m_branch);
        else if (sql.contains(u'?'))
            values = {param};
        QSqlQuery q = run(c, sql, values);
        QStringList names;
        while (names.size() < c.maxNames && q.next())
            names << q.value(0).toString().trimmed();
        q.finish();
        const int here = qMax(total - elsewhere, int(names.size()));
        if (elsewhere == 0)
            return ReportCriteria::enumerate(names, here);
        // "Ana, Bruno, mais 2 e 3 de outras filiais"; only the count when none is of this branch.
        QStringList parts = names;
        if (here > names.size())
            parts << QStringLiteral("mais %1").arg(here - names.size());
        parts << (elsewhere == 1 ? QStringLiteral("1 de outra filial")
                                 : QStringLiteral("%1 de outras filiais").arg(elsewhere));
        return ReportCriteria::enumerate(parts, int(parts.size()));
    }

    QString lookupFor(const ReportCriterion& c) const {
        return Dialect::textFor(m_kind, {c.lookup, c.lookupIb, {}, {}, {}});
    }

    QSqlQuery run(const ReportCriterion& c, const QString& sql, const QVariantList& values) {
        auto fail = [&](const QString& why) {
            return EHostError(QStringLiteral("O critério '%1' do relatório '%2' não pôde ser lido: %3")
                                  .arg(c.label, m_def.title, why));
        };
        const QString refused = ReportSql::readOnlyProblem(sql);
        if (!refused.isEmpty())
            throw fail(refused);
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        if (!q.prepare(sql))
            throw fail(ReportQuery::databaseError(q.lastError()) + QLatin1Char('.'));
        for (int i = 0; i < values.size(); ++i)
            q.bindValue(i, values[i]);
        if (!q.exec())
            throw fail(ReportQuery::databaseError(q.lastError()) + QLatin1Char('.'));
        return q;
    }

    const ReportDefinition& m_def;
    const TParams& m_params;
    QSqlDatabase m_db;
    DatabaseKind m_kind;
    QString m_branch; // the branch the run is restricted to; empty: every branch
};

} // namespace

QList<ReportCriterion> ReportCriteria::fromJson(const QJsonValue& value) {
    QList<ReportCriterion> criteria;
    if (value.isUndefined() || value.isNull())
        return criteria;
    if (!value.isArray())
        throw EHostError(QStringLiteral("'criteria' deve ser uma lista de critérios"));
    const QJsonArray array = value.toArray();
    for (int i = 0; i < array.size(); ++i)
        criteria << criterionFromJson(array.at(i), i);
    return criteria;
}

QJsonArray ReportCriteria::toJson(const QList<ReportCriterion>& criteria) {
    const ReportCriterion defaults;
    QJsonArray array;
    for (const ReportCriterion& c : criteria) {
        QJsonObject o;
        o["label"] = c.label;
        o["parameter"] = c.parameter;
        o["kind"] = kindName(c.kind);
        if (!c.parameterTo.isEmpty())
            o["to"] = c.parameterTo;
        if (!c.allIfParameter.isEmpty())
            o["all_if"] = QJsonObject{{"parameter", c.allIfParameter}, {"value", c.allIfValue}};
        if (c.allText != defaults.allText)
            o["all"] = c.allText;
        if (c.noneText != defaults.noneText)
            o["none"] = c.noneText;
        if (!c.lookup.isEmpty())
            o["lookup"] = sqlJson(c.lookup);
        if (!c.lookupIb.isEmpty())
            o["lookup_ib"] = sqlJson(c.lookupIb);
        if (!c.otherBranches.isEmpty())
            o["other_branches"] = sqlJson(c.otherBranches);
        if (c.maxNames != defaults.maxNames)
            o["max_names"] = c.maxNames;
        if (!c.choices.isEmpty()) {
            QJsonArray choices;
            for (const ReportCriterion::Choice& choice : c.choices)
                choices.append(QJsonObject{{"value", choice.value}, {"text", choice.text}});
            o["choices"] = choices;
        }
        array.append(o);
    }
    return array;
}

QString ReportCriteria::problem(const ReportDefinition& def) {
    for (int i = 0; i < def.criteria.size(); ++i) {
        const ReportCriterion& c = def.criteria[i];
        const QString where = QStringLiteral("critério %1: ").arg(i + 1);
        if (c.label.isEmpty())
            return where + QStringLiteral("'label' (o rótulo) deve ser informado");
        if (c.parameter.isEmpty())
            return where + QStringLiteral("'parameter' deve ser informado");
        if (c.kind == ReportCriterion::Kind::Period && c.parameterTo.isEmpty())
            return where + QStringLiteral("um período deve dizer em 'to' o parâmetro do fim");
        if (c.kind == ReportCriterion::Kind::Choices && c.choices.isEmpty())
            return where + QStringLiteral("'choices' deve listar as opções");
    }
    return {};
}

QList<std::pair<QString, QString>> ReportCriteria::lookups(const ReportDefinition& def) {
    QList<std::pair<QString, QString>> texts;
    for (const ReportCriterion& c : def.criteria) {
        if (!c.lookup.trimmed().isEmpty())
            texts.append({QStringLiteral("Critério '%1'").arg(c.label), c.lookup});
        if (!c.lookupIb.trimmed().isEmpty())
            texts.append({QStringLiteral("Critério '%1' (Firebird)").arg(c.label), c.lookupIb});
        if (!c.otherBranches.trimmed().isEmpty())
            texts.append({QStringLiteral("Critério '%1' (outras filiais)").arg(c.label), c.otherBranches});
    }
    return texts;
}

QStringList ReportCriteria::describe(const ReportDefinition& def, const TParams& params, QSqlDatabase db,
                                     DatabaseKind kind) {
    Describer describer(def, params, std::move(db), kind);
    QStringList lines;
    for (const ReportCriterion& c : def.criteria) {
        // Names in the criteria come from the database like the rows, under the same rule.
        const QString line = cellText(describer.line(c));
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

QString ReportCriteria::enumerate(const QStringList& shown, int total) {
    if (shown.isEmpty())
        return {};
    const int more = total - int(shown.size());
    if (more > 0)
        return QStringLiteral("%1 e mais %2").arg(shown.join(QStringLiteral(", "))).arg(more);
    if (shown.size() == 1)
        return shown.first();
    return QStringLiteral("%1 e %2").arg(shown.mid(0, shown.size() - 1).join(QStringLiteral(", ")),
                                         shown.last());
}
