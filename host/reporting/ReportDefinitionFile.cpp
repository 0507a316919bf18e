// The file format of report definitions: JSON, read with a message for every wrong value and written
// atomically.
#include "reporting/ReportDefinition.h"

#include "core/Errors.h"
#include "reporting/ReportCriteria.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace {

// A thrown "what is wrong", turned into a message naming the file by load().
struct Invalid {
    QString what;
};

[[noreturn]] void invalid(const QString& what) {
    throw Invalid{what};
}

// SQL may be one string or an array of lines (easier to read and to diff).
QString sqlText(const QJsonObject& o, const char* key) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return {};
    if (v.isString())
        return v.toString();
    if (v.isArray()) {
        QStringList lines;
        for (const QJsonValue& line : v.toArray()) {
            if (!line.isString())
                invalid(QStringLiteral("'%1' deve ser um texto ou uma lista de linhas de texto").arg(key));
            lines << line.toString();
        }
        return lines.join(u'\n');
    }
    invalid(QStringLiteral("'%1' deve ser um texto ou uma lista de linhas de texto").arg(key));
}

QJsonValue sqlJson(const QString& text) {
    QJsonArray lines;
    for (const QString& line : text.split(u'\n'))
        lines.append(line);
    return lines;
}

QString stringOf(const QJsonObject& o, const char* key, const QString& fallback, const QString& where) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return fallback;
    if (!v.isString())
        invalid(QStringLiteral("%1'%2' deve ser um texto").arg(where, key));
    return v.toString();
}

double numberOf(const QJsonObject& o, const char* key, double fallback, const QString& where) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return fallback;
    if (!v.isDouble())
        invalid(QStringLiteral("%1'%2' deve ser um número").arg(where, key));
    return v.toDouble();
}

const struct {
    const char* name;
    Qt::Alignment value;
} kAlignments[] = {{"left", Qt::AlignLeft}, {"center", Qt::AlignHCenter}, {"right", Qt::AlignRight}};

const QStringList kFormats = {QString(), QStringLiteral("date"), QStringLiteral("daymonth")};

ReportColumn columnFromJson(const QJsonValue& v, int index) {
    const QString where = QStringLiteral("coluna %1: ").arg(index + 1);
    if (!v.isObject())
        invalid(where + QStringLiteral("deve ser um objeto"));
    const QJsonObject o = v.toObject();
    ReportColumn c;
    c.field = stringOf(o, "field", {}, where).trimmed().toUpper();
    if (c.field.isEmpty())
        invalid(where + QStringLiteral("'field' (o campo da consulta) deve ser informado"));
    c.header = stringOf(o, "header", c.field, where);
    c.width = numberOf(o, "width", 20, where);
    if (!(c.width > 0) || c.width > 1000)
        invalid(where + QStringLiteral("'width' deve estar entre 0 e 1000 mm"));
    const QString align = stringOf(o, "align", QStringLiteral("left"), where);
    bool found = false;
    for (const auto& a : kAlignments)
        if (align == QLatin1String(a.name)) {
            c.alignment = a.value;
            found = true;
        }
    if (!found)
        invalid(where +
                QStringLiteral("alinhamento '%1' desconhecido (use left, center ou right)").arg(align));
    const QString overflow = stringOf(o, "overflow", QStringLiteral("elide"), where);
    if (overflow == u"elide")
        c.overflow = ReportColumn::Overflow::Elide;
    else if (overflow == u"wrap")
        c.overflow = ReportColumn::Overflow::Wrap;
    else
        invalid(where + QStringLiteral("'overflow' '%1' desconhecido (use elide ou wrap)").arg(overflow));
    c.format = stringOf(o, "format", {}, where);
    if (!kFormats.contains(c.format))
        invalid(where + QStringLiteral("formato '%1' desconhecido (use date ou daymonth)").arg(c.format));
    const double chars = numberOf(o, "chars", 0, where);
    if (chars != double(int(chars)) || chars < 0 || chars > 1000)
        invalid(where +
                QStringLiteral("'chars' (o tamanho do campo) deve ser um número inteiro entre 0 e 1000"));
    c.chars = int(chars);
    return c;
}

QString alignmentName(Qt::Alignment a) {
    for (const auto& x : kAlignments)
        if (x.value == a)
            return QLatin1String(x.name);
    return QStringLiteral("left");
}

} // namespace

// Throws Invalid; load() names the file, fromJson() hands callers an EHostError they can catch.
static ReportDefinition readDefinition(const QJsonObject& o) {
    ReportDefinition d;
    const QString none;
    d.title = stringOf(o, "title", {}, none).trimmed();
    const QJsonValue order = o.value(QLatin1String("order"));
    if (!order.isUndefined()) {
        if (!order.isDouble() || order.toDouble() != double(order.toInt()))
            invalid(QStringLiteral("'order' deve ser um número inteiro"));
        d.order = order.toInt();
    }
    const QJsonValue variant = o.value(QLatin1String("variant"));
    if (!variant.isUndefined()) {
        if (!variant.isDouble() || variant.toDouble() != double(variant.toInt()) || variant.toInt() < 0)
            invalid(QStringLiteral("'variant' deve ser um número inteiro não negativo"));
        d.variant = variant.toInt();
    }
    d.sql = sqlText(o, "sql");
    d.sqlIb = sqlText(o, "sql_ib");
    d.sqlPg = sqlText(o, "sql_pg");
    d.sqlOracle = sqlText(o, "sql_oracle");
    d.sqlMssql = sqlText(o, "sql_mssql");

    const QJsonValue lists = o.value(QLatin1String("list_parameters"));
    if (!lists.isUndefined()) {
        if (!lists.isArray())
            invalid(QStringLiteral("'list_parameters' deve ser uma lista de nomes"));
        for (const QJsonValue& v : lists.toArray()) {
            if (!v.isString() || v.toString().trimmed().isEmpty())
                invalid(QStringLiteral("'list_parameters' deve ser uma lista de nomes"));
            d.listParameters << v.toString().trimmed();
        }
    }

    const QJsonValue columns = o.value(QLatin1String("columns"));
    if (!columns.isArray())
        invalid(QStringLiteral("'columns' (as colunas do relatório) deve ser uma lista"));
    const QJsonArray cols = columns.toArray();
    for (int i = 0; i < cols.size(); ++i)
        d.columns << columnFromJson(cols.at(i), i);

    const QJsonValue group = o.value(QLatin1String("group"));
    if (!group.isUndefined() && !group.isNull()) {
        if (!group.isObject())
            invalid(QStringLiteral("'group' deve ser um objeto"));
        const QJsonObject g = group.toObject();
        const QString where = QStringLiteral("grupo: ");
        d.group.field = stringOf(g, "field", {}, where).trimmed().toUpper();
        d.group.header = stringOf(g, "header", QStringLiteral("{%1}").arg(d.group.field), where);
        d.group.countLabel = stringOf(g, "count_label", d.group.countLabel, where);
        if (d.group.field.isEmpty())
            invalid(QStringLiteral("grupo: 'field' deve ser informado"));
    }
    d.totalLabel = stringOf(o, "total_label", d.totalLabel, none);
    try {
        d.criteria = ReportCriteria::fromJson(o.value(QLatin1String("criteria")));
    } catch (const EHostError& e) {
        invalid(e.message());
    }

    const QJsonValue page = o.value(QLatin1String("page"));
    if (!page.isUndefined()) {
        if (!page.isObject())
            invalid(QStringLiteral("'page' deve ser um objeto"));
        const QJsonObject p = page.toObject();
        const QString where = QStringLiteral("página: ");
        const QString orientation = stringOf(p, "orientation", QStringLiteral("portrait"), where);
        if (orientation == u"portrait")
            d.page.orientation = QPageLayout::Portrait;
        else if (orientation == u"landscape")
            d.page.orientation = QPageLayout::Landscape;
        else
            invalid(QStringLiteral("página: orientação '%1' desconhecida (use portrait ou landscape)")
                        .arg(orientation));
        d.page.paper = stringOf(p, "paper", d.page.paper, where);
        if (!ReportPageSetup::knownPaper(d.page.paper))
            invalid(QStringLiteral("página: papel '%1' desconhecido (use A4, A3, Letter ou Legal)")
                        .arg(d.page.paper));
        const QJsonValue margins = p.value(QLatin1String("margins_mm"));
        if (!margins.isUndefined()) {
            const QJsonArray m = margins.toArray();
            if (!margins.isArray() || m.size() != 4)
                invalid(QStringLiteral(
                    "página: 'margins_mm' deve ter quatro números (esquerda, topo, direita, base)"));
            for (const QJsonValue& x : m)
                if (!x.isDouble() || x.toDouble() < 0 || x.toDouble() > 100)
                    invalid(QStringLiteral("página: cada margem deve estar entre 0 e 100 mm"));
            d.page.marginsMm = QMarginsF(m[0].toDouble(), m[1].toDouble(), m[2].toDouble(), m[3].toDouble());
        }
        d.page.fontSize = numberOf(p, "font_size", d.page.fontSize, where);
        if (d.page.fontSize < 5 || d.page.fontSize > 24)
            invalid(QStringLiteral("página: 'font_size' deve estar entre 5 e 24 pontos"));
    }

    const QString wrong = d.problem();
    if (!wrong.isEmpty())
        invalid(wrong);
    return d;
}

ReportDefinition ReportDefinition::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EHostError(QStringLiteral("Não foi possível ler a definição de relatório '%1': %2.")
                             .arg(path, file.errorString()));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        throw EHostError(QStringLiteral("A definição de relatório '%1' está corrompida: %2 (posição %3).")
                             .arg(path, error.errorString())
                             .arg(error.offset));
    if (!doc.isObject())
        throw EHostError(
            QStringLiteral(
                "A definição de relatório '%1' está corrompida: o documento deve ser um objeto JSON.")
                .arg(path));
    try {
        return readDefinition(doc.object());
    } catch (const Invalid& e) {
        throw EHostError(QStringLiteral("A definição de relatório '%1' é inválida: %2.").arg(path, e.what));
    }
}

ReportDefinition ReportDefinition::fromJson(const QJsonObject& json) {
    try {
        return readDefinition(json);
    } catch (const Invalid& e) {
        throw EHostError(e.what);
    }
}

QJsonObject ReportDefinition::toJson() const {
    QJsonObject o;
    o["title"] = title;
    o["order"] = order;
    if (variant >= 0)
        o["variant"] = variant;
    o["sql"] = sqlJson(sql);
    if (!sqlIb.trimmed().isEmpty())
        o["sql_ib"] = sqlJson(sqlIb);
    if (!sqlPg.trimmed().isEmpty())
        o["sql_pg"] = sqlJson(sqlPg);
    if (!sqlOracle.trimmed().isEmpty())
        o["sql_oracle"] = sqlJson(sqlOracle);
    if (!sqlMssql.trimmed().isEmpty())
        o["sql_mssql"] = sqlJson(sqlMssql);
    o["list_parameters"] = QJsonArray::fromStringList(listParameters);
    QJsonArray cols;
    for (const ReportColumn& c : columns) {
        QJsonObject j;
        j["field"] = c.field;
        j["header"] = c.header;
        j["width"] = c.width;
        j["align"] = alignmentName(c.alignment);
        j["overflow"] = c.overflow == ReportColumn::Overflow::Wrap ? "wrap" : "elide";
        if (!c.format.isEmpty())
            j["format"] = c.format;
        if (c.chars > 0)
            j["chars"] = c.chars;
        cols.append(j);
    }
    o["columns"] = cols;
    if (group.enabled()) {
        QJsonObject g;
        g["field"] = group.field;
        g["header"] = group.header;
        g["count_label"] = group.countLabel;
        o["group"] = g;
    }
    o["total_label"] = totalLabel;
    if (!criteria.isEmpty())
        o["criteria"] = ReportCriteria::toJson(criteria);
    QJsonObject p;
    p["orientation"] = page.orientation == QPageLayout::Landscape ? "landscape" : "portrait";
    p["paper"] = page.paper;
    p["margins_mm"] = QJsonArray{page.marginsMm.left(), page.marginsMm.top(), page.marginsMm.right(),
                                 page.marginsMm.bottom()};
    p["font_size"] = page.fontSize;
    o["page"] = p;
    return o;
}

QByteArray ReportDefinition::toBytes() const {
    return QJsonDocument(toJson()).toJson(QJsonDocument::Indented);
}

void ReportDefinition::save(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EHostError(QStringLiteral("Não foi possível gravar a definição de relatório '%1': %2.")
                             .arg(path, file.errorString()));
    const QByteArray bytes = toBytes();
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw EHostError(QStringLiteral("Não foi possível gravar a definição de relatório '%1': %2.")
                             .arg(path, file.errorString()));
}
