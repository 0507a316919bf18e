#pragma once
// The temporary key table that report runs use for list parameters: rows (PARAM, KEYVALUE).
// SQLite: a TEMP table created on first use; Firebird: the GLOBAL TEMPORARY table SELKEYS of the
// schema (ON COMMIT DELETE ROWS), so the load and the report's SELECT must share one transaction.
#include "host_export.h"
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace KeyTable HOST_EXPORT {
// Name to use in SQL: "SELKEYS".
QString tableName();
// Removes the keys of param, then inserts keys in bulk (many per statement). Throws EHostError.
void load(QSqlDatabase& db, const QString& param, const QStringList& keys);
void clear(QSqlDatabase& db);
} // namespace KeyTable
