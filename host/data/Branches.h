#pragma once
// What the branch table (FILIAL) says about a branch.
#include "host_export.h"
#include <QSqlDatabase>
#include <QString>

namespace HOST_EXPORT Branches {
// "CODE - NAME" when the table has the branch; the code alone otherwise (no table, no row, or an
// empty code), so that a page header never fails for want of a name.
QString caption(QSqlDatabase db, const QString& code);
} // namespace Branches
