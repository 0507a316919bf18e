#pragma once
// What an unattended session prints: traces on stderr ("erp-host: ...", for the person reading the
// log) and facts on stdout (tab-separated fields, for the test that reads them).
#include <QString>
#include <QStringList>

namespace SessionOutput {
// One line on stderr, blanks folded: "erp-host: <line>".
void trace(const QString& line);
// One line on stdout, the fields joined by tabs.
void fact(const QStringList& fields);
} // namespace SessionOutput
