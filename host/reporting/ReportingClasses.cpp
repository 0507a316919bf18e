// Registers the reporting components (the report designer dialog, the designer connection).
void registerReportingClasses() {}
