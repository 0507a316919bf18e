#include "data/TDataSource.h"

#include "core/Errors.h"
#include "data/TADOIBQuery.h"
#include "data/TDataSet.h"
#include "forms/FormReader.h"
#include "forms/TForm.h"

TDataSource::TDataSource(QObject* parent) : QObject(parent) {}

void TDataSource::SetDataSetReference(const QString& reference) {
    m_reference = reference;
    m_dataSet = nullptr;
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    m_dataSet = dataSet;
    m_reference =
        dataSet && dataSet->query() ? dataSet->query()->objectName() + QStringLiteral(".Query") : QString();
}

TDataSet* TDataSource::DataSet() const {
    if (m_dataSet || m_reference.isEmpty())
        return m_dataSet;
    auto* self = const_cast<TDataSource*>(this);
    QObject* target = nullptr;
    if (TForm* form = self->ownerForm()) {
        target = FormReader(form).resolveReference(m_reference);
    } else {
        // Outside a form: the query among the data source's siblings.
        const QStringList parts = m_reference.split('.');
        QObject* scope = parent() ? parent() : self;
        target = scope->findChild<QObject*>(parts.first());
        for (int i = 1; target && i < parts.size(); ++i)
            target = target->findChild<QObject*>(parts[i]);
    }
    if (!target)
        throw EHostError(QStringLiteral("A fonte de dados '%1' refere-se a '%2', que não existe.")
                             .arg(objectName(), m_reference));
    auto* dataSet = qobject_cast<TDataSet*>(target);
    if (!dataSet)
        throw EHostError(QStringLiteral("A fonte de dados '%1': '%2' não é um conjunto de dados.")
                             .arg(objectName(), m_reference));
    self->m_dataSet = dataSet;
    return dataSet;
}
