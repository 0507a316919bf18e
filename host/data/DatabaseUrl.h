#pragma once
// Database URLs as the host takes them (see dtmDBGeral.h) and the Qt SQL connections they open.
#include "core/MessageSink.h"
#include "data/dtmDBGeral.h"
#include "host_export.h"

#include <QSqlDatabase>
#include <QString>

struct HOST_EXPORT DatabaseUrl {
    DatabaseKind kind{}; // None until parsed
    QString driver;      // Qt SQL driver: "QSQLITE", "QIBASE" or "QPSQL"
    QString host;        // empty for a local file (SQLite, Firebird's embedded engine)
    int port = -1;
    QString path; // the database file; on a server, the path as the server sees it (PostgreSQL: its name)
    QString text; // the URL as given

    bool isServer() const { return !host.isEmpty(); }
    // The dialect of the URL's scheme.
    const Dialect& dialect() const;
    // The database name as Firebird's own tools write it: "host/port:path" or the local path.
    QString firebirdName() const;

    // Throws EHostError for anything that is not one of the accepted shapes, a user or password
    // written into a server URL among them (the message does not repeat them).
    static DatabaseUrl parse(const QString& url);
};

namespace DatabaseConnection HOST_EXPORT {
// The user and password for a Firebird database. ISC_USER and ISC_PASSWORD, when both are set, serve
// automation; otherwise a server's are asked of the user through the message sink's login (throws
// EHostError when nobody gave them), and the embedded engine, which checks no password, gets
// ISC_USER or SYSDBA. There is no default password.
Credentials firebirdCredentials(const DatabaseUrl& url);
// Firebird's embedded engine needs a lock folder it may write: FIREBIRD_LOCK, else one of ours in the
// temporary folder, created if missing. Either is used only when it is a folder of the current user
// that nobody else may write (anyone who could would reach the engine's lock files); otherwise
// throws EHostError saying why. Called before the Firebird client library is first used.
void prepareFirebirdEnvironment();
// An SQLite file that is not there: refused (a mistyped path must not become an empty database), or
// created, for the code that makes databases.
enum class IfMissing { Refuse, Create };
// Adds and opens a connection under name (UTF8 for Firebird) and prepares it as its dialect says.
// Throws EHostError with the URL and the driver's text (never the password); the failed connection
// is removed again. A server connects with the credentials given, else with its dialect's.
QSqlDatabase open(const DatabaseUrl& url, const QString& connectionName,
                  IfMissing ifMissing = IfMissing::Refuse,
                  const std::optional<Credentials>& credentials = std::nullopt);
// Why a connection could not be made, in the user's words, from the driver's text: the file is not
// there, its folder cannot be read, the server does not answer (host and port named), the login was
// refused, the server has no such database, the database is in use, it is not a database of this
// kind or of this version, or its collation needs an ICU the system no longer has. The driver's words
// follow as the detail.
QString openFailure(const DatabaseUrl& url, const QString& driverText);
// Closes and removes the connection of that name (nothing when there is none).
void remove(const QString& connectionName);
} // namespace DatabaseConnection
