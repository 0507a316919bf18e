#pragma once
// db/schema.sql, one schema for SQLite, Firebird and PostgreSQL: finding the file and cutting it into
// the statements that apply to a database kind. A "-- only: sqlite", "-- only: firebird" or
// "-- only: postgres" line keeps the statement after it to that kind.
#include "data/dtmDBGeral.h"

#include <QString>
#include <QStringList>

namespace SchemaScript {
// Looked up in $ERP_DB_DIR, the source tree, then beside the executable. Throws EHostError when
// it is nowhere.
QString path();
// Statements without their ';'. Throws EHostError when the file cannot be read or ends inside a
// statement.
QStringList statements(DatabaseKind kind);
} // namespace SchemaScript
