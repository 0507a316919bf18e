#pragma once
// The databases the data tests run on: SQLite, Firebird's embedded engine, a Firebird server
// (ERP_FIREBIRD_URL names a database on it; the tests create their own beside it) and a PostgreSQL
// server (ERP_POSTGRES_URL; likewise). Each backend's
// demo database is made once per test run and dropped at the end.
#include "data/dtmDBGeral.h"

#include <QSqlDatabase>
#include <QString>
#include <optional>

enum class Backend { SQLite, FirebirdEmbedded, FirebirdServer, PostgreSQLServer };

QString backendName(Backend b);

namespace DataBackends {
// Why the backend cannot run here, or nothing when it can.
std::optional<QString> unavailable(Backend b);
// The URL of the backend's demo database (DemoDatabase::DefaultClients clients), made on first use.
QString demoUrl(Backend b);
// A new database of that backend: empty, or with the schema but no rows (withSchema); dropped at
// the end.
QString freshUrl(Backend b, const QString& tag, bool withSchema);
// Opens the shared connection (dtmDBGeral) on a URL.
void openShared(const QString& url);
} // namespace DataBackends

// Runs one statement on the shared connection; fails the test with the database's text.
void execShared(const QString& sql);

#define SKIP_IF_UNAVAILABLE(backend)                                                                         \
    do {                                                                                                     \
        if (auto why = DataBackends::unavailable(backend))                                                   \
            GTEST_SKIP() << why->toStdString();                                                              \
    } while (0)
