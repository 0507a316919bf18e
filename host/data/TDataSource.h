#pragma once
// Attaches a dataset to whoever shows it (the lookup dialog). The resource names the dataset by
// reference ("qryCliente.Query"); the name is resolved on use, so the query may be declared after
// the data source.
#include "forms/TComponent.h"
#include "host_export.h"

#include <QObject>
#include <QPointer>
#include <QString>

class TDataSet;

class HOST_EXPORT TDataSource : public QObject, public TComponent {
    Q_OBJECT
public:
    explicit TDataSource(QObject* parent = nullptr);
    QObject* asObject() override { return this; }

    // The reference as the resource gives it.
    QString DataSetReference() const { return m_reference; }
    void SetDataSetReference(const QString& reference);
    // The dataset: the one set from code, else the reference resolved through the form. Throws
    // EHostError when a reference names nothing or something that is not a dataset; null when
    // neither is given.
    TDataSet* DataSet() const;
    void SetDataSet(TDataSet* dataSet);

private:
    QString m_reference;
    QPointer<TDataSet> m_dataSet;
};
