#include "data/TDataSet.h"

#include "data/TADOIBQuery.h"
#include "data/TADOIBStringField.h"

int QueryRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows.rowCount();
}

int QueryRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant QueryRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return value(index.row(), index.column());
}

QVariant QueryRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_columns.size() ? QVariant(m_columns[section]) : QVariant();
    return section + 1;
}

int QueryRowsModel::column(const QString& name) const {
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant QueryRowsModel::value(int row, int column) const {
    return m_rows.isNull(row, column) ? QVariant() : QVariant(m_rows.text(row, column));
}

void QueryRowsModel::reset(QStringList columns, QueryRows rows) {
    beginResetModel();
    m_columns = std::move(columns);
    m_rows = std::move(rows);
    endResetModel();
}

void QueryRowsModel::clear() {
    reset({}, QueryRows());
}

TDataSet::TDataSet(TADOIBQuery* query) : QObject(query) {
    setObjectName(QStringLiteral("Query"));
}

TADOIBQuery* TDataSet::query() const {
    return qobject_cast<TADOIBQuery*>(parent());
}

bool TDataSet::Active() const {
    return m_active;
}

bool TDataSet::IsEmpty() const {
    return m_model.rowCount() == 0;
}

int TDataSet::RecordCount() const {
    return m_model.rowCount();
}

QList<TADOIBStringField*> TDataSet::Fields() const {
    return query() ? query()->Fields() : QList<TADOIBStringField*>();
}

TADOIBStringField* TDataSet::FindField(const QString& fieldName) const {
    return query() ? query()->FindField(fieldName) : nullptr;
}

QString TDataSet::text(int row, const QString& fieldName) const {
    const int c = columnOf(fieldName);
    return c < 0 ? QString() : m_model.text(row, c);
}
