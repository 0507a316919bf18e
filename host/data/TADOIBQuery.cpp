#include "data/TADOIBQuery.h"

#include "core/Errors.h"
#include "data/TADOIBStringField.h"
#include "data/TDataSet.h"
#include "data/TDataSource.h"
#include "forms/FormReader.h"
#include "forms/TForm.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
QString databaseText(const QSqlError& error) {
    QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("erro desconhecido do banco de dados") : text;
}
} // namespace

TADOIBQuery::TADOIBQuery(QObject* parent) : QObject(parent), m_dataSet(new TDataSet(this)) {}

TADOIBQuery::~TADOIBQuery() = default;

QString TADOIBQuery::SqlFor(DatabaseKind kind) const {
    // A dialect text of blank lines only counts as none.
    return Dialect::textFor(kind, {SQL(), SQL_IB(), SQL_ORACLE(), SQL_MSSQL(), {}});
}

QObject* TADOIBQuery::resolve(const QString& reference) const {
    if (reference.isEmpty())
        return nullptr;
    auto* self = const_cast<TADOIBQuery*>(this);
    if (TForm* form = self->ownerForm())
        return FormReader(form).resolveReference(reference);
    // A query made in code, outside any form: its own object tree, then the shared data module.
    const QStringList parts = reference.split('.');
    QObject* root = self;
    while (root->parent())
        root = root->parent();
    QObject* o = root->objectName() == parts.first() ? root : root->findChild<QObject*>(parts.first());
    if (!o && parts.first() == dtmDBGeral::instance().objectName())
        o = &dtmDBGeral::instance();
    for (int i = 1; o && i < parts.size(); ++i)
        o = o->findChild<QObject*>(parts[i]);
    return o;
}

void TADOIBQuery::checkReferences() const {
    const std::pair<const char*, const QString*> refs[] = {{"ADOConnection", &m_adoConnection},
                                                           {"DataBase", &m_dataBase},
                                                           {"Transaction", &m_transaction},
                                                           {"DataSource", &m_dataSource}};
    for (const auto& [property, reference] : refs) {
        if (reference->isEmpty())
            continue;
        QObject* target = resolve(*reference);
        if (!target)
            throw EHostError(QStringLiteral("A consulta '%1' refere-se a '%2' (%3), que não existe.")
                                 .arg(objectName(), *reference, QLatin1String(property)));
        if (reference == &m_dataSource && !qobject_cast<TDataSource*>(target))
            throw EHostError(QStringLiteral("A consulta '%1': '%2' (DataSource) não é uma fonte de dados.")
                                 .arg(objectName(), *reference));
    }
}

void TADOIBQuery::Open() {
    if (Active())
        return;
    checkReferences();
    dtmDBGeral& module = dtmDBGeral::instance();
    module.ensureOpen();
    const QString text = SqlFor(module.kind());
    if (text.trimmed().isEmpty())
        throw EHostError(QStringLiteral("A consulta '%1' não tem texto SQL.").arg(objectName()));

    QStringList columns;
    QueryRows rows;
    {
        QSqlQuery q(dtmDBGeral::database());
        q.setForwardOnly(true);
        if (!q.exec(text))
            throw EHostError(QStringLiteral("Erro ao abrir a consulta '%1' no banco de dados '%2': %3")
                                 .arg(objectName(), module.url(), databaseText(q.lastError())));
        const QSqlRecord record = q.record();
        const int n = record.count();
        for (int i = 0; i < n; ++i)
            columns << record.fieldName(i);
        rows = QueryRows(n);
        while ((m_maxRecords <= 0 || rows.rowCount() < m_maxRecords) && q.next())
            for (int i = 0; i < n; ++i)
                rows.append(q.value(i));
        rows.squeeze();
        if (q.lastError().isValid())
            throw EHostError(QStringLiteral("Erro ao ler a consulta '%1' no banco de dados '%2': %3")
                                 .arg(objectName(), module.url(), databaseText(q.lastError())));
    }
    for (TADOIBStringField* field : Fields()) {
        const bool present = std::any_of(columns.begin(), columns.end(), [&](const QString& c) {
            return c.compare(field->FieldName(), Qt::CaseInsensitive) == 0;
        });
        if (!present)
            throw EHostError(QStringLiteral("A consulta '%1' não retornou o campo '%2' (%3).")
                                 .arg(objectName(), field->FieldName(), field->objectName()));
    }
    m_dataSet->m_model.reset(std::move(columns), std::move(rows));
    m_dataSet->m_active = true;
}

void TADOIBQuery::Close() {
    m_dataSet->m_active = false;
    m_dataSet->m_model.clear();
}

bool TADOIBQuery::Active() const {
    return m_dataSet->Active();
}

void TADOIBQuery::SetActive(bool active) {
    if (active)
        Open();
    else
        Close();
}

bool TADOIBQuery::IsEmpty() const {
    return m_dataSet->IsEmpty();
}

int TADOIBQuery::RecordCount() const {
    return m_dataSet->RecordCount();
}

QList<TADOIBStringField*> TADOIBQuery::Fields() const {
    return findChildren<TADOIBStringField*>(QString(), Qt::FindDirectChildrenOnly);
}

TADOIBStringField* TADOIBQuery::FindField(const QString& fieldName) const {
    for (TADOIBStringField* f : Fields())
        if (f->FieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return f;
    return nullptr;
}

TADOIBStringField* TADOIBQuery::FieldByName(const QString& fieldName) const {
    if (TADOIBStringField* f = FindField(fieldName))
        return f;
    throw EHostError(QStringLiteral("A consulta '%1' não tem o campo '%2'.").arg(objectName(), fieldName));
}
