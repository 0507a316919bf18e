#pragma once
// The demo database: the schema of db/schema.sql and the rows of DemoRows (clients generated from
// a fixed seed, so that every run and every database kind holds the same rows), in a database
// that is created first when it does not exist yet.
#include "data/dtmDBGeral.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>

namespace DemoDatabase {

constexpr int DefaultClients = 320;

// <user data dir>/demo.db (QStandardPaths::AppDataLocation).
QString defaultSqlitePath();
QString defaultSqliteUrl();
// Creates the default SQLite demo database when its file is missing; returns its URL. A file there
// that is not SQLite or lacks the tables is renamed with a timestamp suffix (kept) and the database
// made anew; notice, when given, then receives a message saying so and naming both files.
QString ensureDefault(QString* notice = nullptr);

// Creates the schema and the demo data in an empty database; a Firebird or PostgreSQL database that
// does not exist yet is created first, an SQLite file likewise. Throws EHostError (a database that already
// holds the tables too; a Firebird one made before the names sorted in Portuguese gets the PTBR
// collation on its name columns first). progress, when given, is called with the clients written so far.
void create(const QString& url, int clients = DefaultClients, const std::function<void(int)>& progress = {});

// The statements of db/schema.sql that apply to a database kind. Throws EHostError when the file
// cannot be read (looked up in $ERP_DB_DIR, the source tree, then beside the executable).
QStringList schemaStatements(DatabaseKind kind);
void createSchema(QSqlDatabase& db);
// Writes the reference tables and the clients in one transaction.
void fill(QSqlDatabase& db, int clients, const std::function<void(int)>& progress = {});

} // namespace DemoDatabase
