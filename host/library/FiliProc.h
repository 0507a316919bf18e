#pragma once
#include "host_export.h"
#include <QString>

// The branch in which the user works; the host sets it at start-up from its command line.
HOST_EXPORT QString FiliProc();
HOST_EXPORT void SetFilial(const QString& code);
