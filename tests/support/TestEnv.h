#pragma once
#include "support/ScriptedDialogService.h"

#include <QString>

namespace TestEnv {
void initialise();
// The scripted dialog service installed for the tests; cleared by reset().
ScriptedDialogService& dialogs();
void reset();
QString sourceDir();
QString binaryDir();
// A database on the Firebird server that ERP_FIREBIRD_URL names, beside it, called stem.fdb;
// empty when the variable is not set.
QString serverDatabaseUrl(const QString& stem);
} // namespace TestEnv
