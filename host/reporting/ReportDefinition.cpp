#include "reporting/ReportDefinition.h"

#include "reporting/ReportCriteria.h"
#include "reporting/ReportSql.h"

namespace {

const struct {
    const char* name;
    QPageSize::PageSizeId id;
} kPapers[] = {
    {"A4", QPageSize::A4}, {"A3", QPageSize::A3}, {"Letter", QPageSize::Letter}, {"Legal", QPageSize::Legal}};

} // namespace

bool ReportPageSetup::knownPaper(const QString& name) {
    for (const auto& p : kPapers)
        if (name == QLatin1String(p.name))
            return true;
    return false;
}

QPageLayout ReportPageSetup::layout() const {
    QPageSize::PageSizeId id = QPageSize::A4;
    for (const auto& p : kPapers)
        if (paper == QLatin1String(p.name))
            id = p.id;
    return QPageLayout(QPageSize(id), orientation, marginsMm, QPageLayout::Millimeter);
}

QString ReportDefinition::sqlFor(DatabaseKind kind) const {
    return Dialect::textFor(kind, {sql, sqlIb, sqlOracle, sqlMssql, sqlPg});
}

QStringList ReportDefinition::parameterNames(DatabaseKind kind) const {
    return ReportSql::parameterNames(sqlFor(kind));
}

QString ReportDefinition::problem() const {
    if (title.trimmed().isEmpty())
        return QStringLiteral("'title' (o título do relatório) deve ser informado");
    if (sql.trimmed().isEmpty())
        return QStringLiteral("'sql' (a consulta do relatório) deve ser informada");
    if (columns.isEmpty())
        return QStringLiteral("o relatório deve ter ao menos uma coluna");
    const QList<std::pair<const char*, const QString*>> texts = {{"sql", &sql},
                                                                 {"sql_ib", &sqlIb},
                                                                 {"sql_oracle", &sqlOracle},
                                                                 {"sql_mssql", &sqlMssql},
                                                                 {"sql_pg", &sqlPg}};
    for (const QString& list : listParameters) {
        for (const auto& [name, text] : texts) {
            if (text->trimmed().isEmpty())
                continue;
            bool declared = false;
            for (const QString& p : ReportSql::parameterNames(*text))
                declared = declared || p.compare(list, Qt::CaseInsensitive) == 0;
            if (!declared)
                return QStringLiteral("o parâmetro de lista '%1' não aparece em '%2'")
                    .arg(list, QLatin1String(name));
        }
    }
    return ReportCriteria::problem(*this);
}
