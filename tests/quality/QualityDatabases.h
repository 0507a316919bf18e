#pragma once
// Databases of the quality tests: their own SQLite file and their own database on the Firebird
// server (beside ERP_FIREBIRD_URL) and on the PostgreSQL server (ERP_POSTGRES_URL's), so the rows
// they add never reach the other tests' databases.
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace QualityDb {
// Clients of the quality databases: enough rows that a report fetches them in several batches.
constexpr int Clients = 3000;
QString sqliteUrl();
// Empty when ERP_FIREBIRD_URL is unset.
QString firebirdUrl();
// Empty when ERP_POSTGRES_URL is unset.
QString postgresUrl();
QString urlFor(const QString& kind); // "sqlite", "firebird" or "postgres"
// A database of 100,000 clients' URL on that kind's server (named stem); empty for "sqlite".
QString largeServerUrl(const QString& kind, const QString& stem);
void open(const QString& url);
bool largeTests(); // ERP_LARGE_TESTS is not 0
// The Firebird server of ERP_FIREBIRD_URL through scripts/firebird-server.sh; false on failure.
bool server(const QString& command);
QProcessEnvironment serverEnvironment();
} // namespace QualityDb
