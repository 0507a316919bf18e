#pragma once
// What the host does differently on each database it speaks: SQLite (embedded, the default),
// Firebird (embedded or a server) and PostgreSQL (a server). Everything else in the host asks its
// connection's dialect rather than testing the database's kind: how a connection is set up and
// what it gets once open (the Portuguese collation, the key table), which SQL text of a query or
// report definition runs, how many rows one insert carries, how a report's transaction is kept
// read-only and ended, and how a lost server connection is noticed.
#include "core/MessageSink.h"
#include "host_export.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

// The database families whose SQL texts a query or report definition may carry. Oracle and SQL
// Server are only ever text choices: the host opens no such database.
enum class DatabaseKind { None, SQLite, InterBase, Oracle, MSSQL, PostgreSQL };

struct DatabaseUrl;

// The texts a query or report definition carries, one per family; a blank one counts as none.
struct DialectTexts {
    QString generic;
    QString interbase;
    QString oracle;
    QString mssql;
    QString postgres;
};

// A column of a batch insert.
struct BatchColumn {
    const char* name;
    const char* type; // SQL type of the input parameter, e.g. "VARCHAR(20)"
};

class HOST_EXPORT Dialect {
public:
    virtual ~Dialect() = default;

    static const Dialect& sqlite();
    static const Dialect& firebird();
    static const Dialect& postgres();
    // The dialect of a URL scheme ("sqlite", "firebird", "postgres"); null when there is none.
    static const Dialect* forScheme(const QString& scheme);
    // The dialect of a kind the host opens; null for None, Oracle and SQL Server.
    static const Dialect* forKind(DatabaseKind kind);
    // The dialect of a Qt connection, from its driver. Throws EHostError naming the driver when the
    // host does not speak it (never taken for SQLite).
    static const Dialect& of(const QSqlDatabase& db);
    // The kind of a dialect; None for no dialect (no database open).
    static DatabaseKind kindOf(const Dialect* dialect);
    // The text that runs on a database of that kind: its own when not blank, else the generic one.
    static QString textFor(DatabaseKind kind, const DialectTexts& texts);

    virtual DatabaseKind kind() const = 0;
    // "SQLite", "Firebird", "PostgreSQL": for messages.
    virtual QString name() const = 0;
    virtual QString driver() const = 0;
    // The port a server URL without one reaches; -1 for an embedded database.
    virtual int defaultPort() const { return -1; }
    // A URL may name a local file (SQLite, Firebird's embedded engine) rather than a server.
    virtual bool opensFiles() const { return true; }
    // The user and password to connect with; nothing when the database checks none or the client
    // library finds them itself. May ask the user (the message sink's login); throws EHostError when
    // nobody gave them.
    virtual std::optional<Credentials> credentials(const DatabaseUrl& url) const;
    // Sets the connection's names and options before it is opened (Firebird: its lock folder too;
    // throws EHostError when that cannot be used).
    virtual void configure(QSqlDatabase& db, const DatabaseUrl& url, const Credentials& login,
                           bool createMissing) const = 0;
    // Empty when the freshly opened connection really reads, else the database's words (SQLite
    // opens lazily: a file that is not a database only says so at the first read).
    virtual QString firstRead(QSqlDatabase& db) const;
    // What every connection gets once open: the collation, the key table. Throws EHostError.
    virtual void prepare(QSqlDatabase& db) const;

    // The key table "SELKEYS" is there for this connection (made where the database needs it).
    // Throws EHostError.
    virtual void ensureKeyTable(QSqlDatabase& db) const;
    // Rows per batch insert, at most cap, within what one statement may carry.
    virtual int batchRows(const std::vector<BatchColumn>& columns, int cap) const;
    // One insert statement of rows rows, its values bound in order (row by row).
    virtual QString batchInsert(const QString& table, const std::vector<BatchColumn>& columns,
                                int rows) const;

    // The statement that makes the report's transaction read-only once its keys are loaded, and the
    // one that makes the connection writable again before the transaction ends; empty when none.
    virtual QString readOnlyStatement() const { return {}; }
    virtual QString writableStatement() const { return {}; }
    // A report run ends in a rollback rather than a commit (nothing it did may persist, and the
    // driver cannot make the transaction read-only).
    virtual bool reportEndsInRollback() const { return false; }
    // A value as the driver must receive it: a date and time goes as its wall-clock text where the
    // driver would otherwise move it into another time zone.
    virtual QVariant bindable(const QVariant& value) const { return value; }

    // The cheapest statement that needs the server; empty for an embedded database.
    virtual QString livenessProbe() const { return {}; }
    // True when a server connection no longer answers (never for an embedded database).
    bool connectionLost(QSqlDatabase& db) const;
};
