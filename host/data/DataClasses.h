#pragma once
// The data components (TADOIBQuery, TDataSource, TADOIBStringField) in the class registry.
#include "host_export.h"
HOST_EXPORT void registerDataClasses();
