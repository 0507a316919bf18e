#pragma once
// What the branch table (FILIAL) says about a branch.
#include "host_export.h"
#include <QSqlDatabase>
#include <QString>

namespace Branches HOST_EXPORT {
// "CODE - NAME" when the table has the branch; the code alone otherwise (no table, no row, or an
// empty code), so that a page header never fails for want of a name.
QString caption(QSqlDatabase db, const QString& code);
// The session's branch when none is given: the lowest code of the table. Throws EHostError naming
// the database (databaseName: as the user gave it) when the table cannot be read or is empty.
QString first(QSqlDatabase db, const QString& databaseName);
// Empty when the table has the branch; else why it cannot be the session's, naming the database.
QString problem(QSqlDatabase db, const QString& code, const QString& databaseName);
} // namespace Branches
