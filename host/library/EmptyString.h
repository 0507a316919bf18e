#pragma once
#include "host_export.h"
#include <QString>

// True when the text holds no significant character (only blanks, or nothing). The text of a date
// edit without a date typed is empty.
HOST_EXPORT bool EmptyString(const QString& text);
