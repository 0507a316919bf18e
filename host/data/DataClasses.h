#pragma once
// The data components (TADOIBQuery, TDataSource, TADOIBStringField) in the class registry.
void registerDataClasses();
