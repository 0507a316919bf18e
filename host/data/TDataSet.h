#pragma once
// The inner dataset of a TADOIBQuery (the child object "Query" that a TDataSource names as
// "qryCliente.Query"): every row of the last Open, held on the client, read-only. Its model is a
// plain table model whose columns are the result's columns, so views and the lookup dialog read it
// without touching the database again. The cells are kept as text (QueryRows).
#include "data/QueryRows.h"
#include "host_export.h"
#include <QAbstractTableModel>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariant>

class TADOIBQuery;
class TADOIBStringField;

class HOST_EXPORT QueryRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const QStringList& columnNames() const { return m_columns; }
    // The column of that name without regard to case, or -1.
    int column(const QString& name) const;
    // The cell's text, or a null QVariant for a NULL.
    QVariant value(int row, int column) const;
    // The value as text; NULL gives an empty text.
    QString text(int row, int column) const { return m_rows.text(row, column); }
    const QueryRows& rows() const { return m_rows; }

    void reset(QStringList columns, QueryRows rows);
    void clear();

private:
    QStringList m_columns;
    QueryRows m_rows;
};

class HOST_EXPORT TDataSet : public QObject {
    Q_OBJECT
public:
    explicit TDataSet(TADOIBQuery* query);

    TADOIBQuery* query() const;
    bool Active() const;
    bool IsEmpty() const;
    int RecordCount() const;
    // The declared fields of the query, in resource order.
    QList<TADOIBStringField*> Fields() const;
    TADOIBStringField* FindField(const QString& fieldName) const;

    QueryRowsModel* model() { return &m_model; }
    const QueryRowsModel* model() const { return &m_model; }
    // The result column of a field name (declared or not), without regard to case; -1 when absent.
    int columnOf(const QString& fieldName) const { return m_model.column(fieldName); }
    QString text(int row, const QString& fieldName) const;

private:
    friend class TADOIBQuery;
    QueryRowsModel m_model;
    bool m_active = false;
};
