#pragma once
#include "dialogs/ScriptedDialogService.h"

#include <QString>

namespace TestEnv {
void initialise();
// The scripted dialog service installed for the tests; cleared by reset().
ScriptedDialogService& dialogs();
void reset();
QString sourceDir();
QString binaryDir();
} // namespace TestEnv
