#pragma once
// The reporting components (the report designer dialog, the designer connection) in the class
// registry, with the event the designer raises before every run.
void registerReportingClasses();
