#pragma once
// Databases of the quality tests: their own SQLite file and their own database on the Firebird
// server (beside ERP_FIREBIRD_URL), so the rows they add never reach the other tests' databases.
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace QualityDb {
// Clients of the quality databases: enough rows that a report fetches them in several batches.
constexpr int Clients = 3000;
QString sqliteUrl();
// Empty when ERP_FIREBIRD_URL is unset.
QString firebirdUrl();
QString urlFor(const QString& kind); // "sqlite" or "firebird"
void open(const QString& url);
bool largeTests(); // ERP_LARGE_TESTS is not 0
// The Firebird server of ERP_FIREBIRD_URL through scripts/firebird-server.sh; false on failure.
bool server(const QString& command);
QProcessEnvironment serverEnvironment();
} // namespace QualityDb
