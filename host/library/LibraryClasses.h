#pragma once
// The component library's classes (TMessages, TButtonFlat, TDateEditPlus) in the class registry.
#include "host_export.h"
HOST_EXPORT void registerLibraryClasses();
