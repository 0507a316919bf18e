// Registers the data components (TADOIBQuery, TDataSource, TADOIBStringField) with the class registry.
void registerDataClasses() {}
