#pragma once
#include <QString>

// The branch in which the user works; the host sets it at start-up from its command line.
QString FiliProc();
void SetFilial(const QString& code);
