#pragma once
// The temporary key table that report runs use for list parameters: rows (PARAM, KEYVALUE).
// SQLite: a TEMP table created on first use; PostgreSQL: a TEMP table made as the connection opens;
// Firebird: the GLOBAL TEMPORARY table SELKEYS of the schema (ON COMMIT DELETE ROWS), so the load and
// the report's SELECT must share one transaction. Where it comes from is the dialect's (Dialect.h).
#include "host_export.h"
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <memory>

class BatchInserter;

namespace KeyTable HOST_EXPORT {
// Name to use in SQL: "SELKEYS".
QString tableName();
// Removes the keys of param, then inserts keys in bulk (many per statement). Throws EHostError.
void load(QSqlDatabase& db, const QString& param, const QStringList& keys);
void clear(QSqlDatabase& db);

// The keys of one parameter, written as they come, in batches: for a selection too large to hold
// as a list. Removes the parameter's keys first. Throws EHostError.
class HOST_EXPORT Loader {
public:
    Loader(QSqlDatabase& db, const QString& param);
    ~Loader();
    void add(const QString& key);
    // Writes what is left of the last batch.
    void finish();

private:
    QString m_param;
    std::unique_ptr<BatchInserter> m_insert;
};
} // namespace KeyTable
