#pragma once
// What the branch table (FILIAL) says about a branch.
#include "host_export.h"
#include <QSqlDatabase>
#include <QString>

namespace Branches HOST_EXPORT {
// "CODE - NAME" when the table has the branch; the code alone otherwise (no table, no row, or an
// empty code), so that a page header never fails for want of a name.
QString caption(QSqlDatabase db, const QString& code);
} // namespace Branches
