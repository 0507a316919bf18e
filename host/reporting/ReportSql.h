#pragma once
// Reading a report's SQL text without a database: its :NAME placeholders and whether it only reads.
#include "host_export.h"
#include <QString>
#include <QStringList>

namespace ReportSql HOST_EXPORT {
// The :NAME placeholders in order of first appearance, each once (names compare without regard to
// case; the spelling of the first appearance is kept). Text inside quotes and comments is skipped,
// and so is a "::" cast.
QStringList parameterNames(const QString& sql);
// Every spelling under which each placeholder appears (Qt binds a placeholder by its exact text).
QStringList placeholderSpellings(const QString& sql, const QString& name);
// Empty when the text is exactly one SELECT (or WITH ... SELECT) statement; otherwise the reason,
// in Portuguese, for the user.
QString readOnlyProblem(const QString& sql);
} // namespace ReportSql
