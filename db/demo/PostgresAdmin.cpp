#include "demo/PostgresAdmin.h"

#include "core/Errors.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace PostgresAdmin {

namespace {

// Runs work on a connection to the server's maintenance database; removed again afterwards.
template <class Work>
void onServer(const DatabaseUrl& url, const std::optional<Credentials>& credentials, Work work) {
    DatabaseUrl maintenance = url;
    maintenance.path = QStringLiteral("postgres");
    const QString name = QStringLiteral("pg-admin-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    try {
        QSqlDatabase db =
            DatabaseConnection::open(maintenance, name, DatabaseConnection::IfMissing::Refuse, credentials);
        work(db);
    } catch (...) {
        DatabaseConnection::remove(name);
        throw;
    }
    DatabaseConnection::remove(name);
}

QString quoted(const QString& identifier) {
    return '"' + QString(identifier).replace('"', QStringLiteral("\"\"")) + '"';
}

bool exists(QSqlDatabase& db, const QString& database) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"));
    q.addBindValue(database);
    if (!q.exec())
        throw EHostError(QStringLiteral("Não foi possível consultar os bancos do servidor %1: %2")
                             .arg(db.hostName(), q.lastError().text().trimmed()));
    return q.next();
}

void run(QSqlDatabase& db, const QString& sql, const QString& what) {
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw EHostError(QStringLiteral("%1: %2").arg(what, q.lastError().text().trimmed()));
}

} // namespace

void createDatabase(const DatabaseUrl& url, const std::optional<Credentials>& credentials) {
    onServer(url, credentials, [&](QSqlDatabase& db) {
        if (exists(db, url.path))
            throw EAlreadyExists(QStringLiteral("O banco de dados '%1' já existe.").arg(url.text));
        run(db, QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8'").arg(quoted(url.path)),
            QStringLiteral("Não foi possível criar o banco de dados '%1'").arg(url.text));
    });
}

void dropDatabase(const DatabaseUrl& url, const std::optional<Credentials>& credentials) {
    onServer(url, credentials, [&](QSqlDatabase& db) {
        // Asked first: IF EXISTS would have the server send a notice, which Qt's driver prints.
        if (!exists(db, url.path))
            return;
        run(db, QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(quoted(url.path)),
            QStringLiteral("Não foi possível apagar o banco de dados '%1'").arg(url.text));
    });
}

} // namespace PostgresAdmin
