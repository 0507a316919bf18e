#include "demo/DemoDatabase.h"

#include "core/Errors.h"
#include "data/DatabaseUrl.h"
#include "demo/DemoRows.h"
#include "demo/FirebirdAdmin.h"
#include "demo/SchemaScript.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUuid>

namespace DemoDatabase {

QString defaultSqlitePath() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.local/share/erp");
    return QDir(dir).filePath(QStringLiteral("demo.db"));
}

QString defaultSqliteUrl() {
    return QStringLiteral("sqlite:") + defaultSqlitePath();
}

QString ensureDefault() {
    const QString path = defaultSqlitePath();
    if (!QFileInfo::exists(path)) {
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            throw EHostError(
                QStringLiteral("Não foi possível criar a pasta '%1'.").arg(QFileInfo(path).absolutePath()));
        // Written under another name first, so that a failed run leaves no half-filled database.
        const QString partial = path + QStringLiteral(".part");
        QFile::remove(partial);
        try {
            create(QStringLiteral("sqlite:") + partial);
        } catch (...) {
            QFile::remove(partial);
            throw;
        }
        if (!QFile::rename(partial, path))
            throw EHostError(
                QStringLiteral("Não foi possível gravar o banco de demonstração '%1'.").arg(path));
    }
    return defaultSqliteUrl();
}

QStringList schemaStatements(DatabaseKind kind) {
    return SchemaScript::statements(kind);
}

void createSchema(QSqlDatabase& db) {
    const DatabaseKind kind =
        DatabaseConnection::isFirebird(db) ? DatabaseKind::InterBase : DatabaseKind::SQLite;
    if (db.tables().contains(QStringLiteral("CLIENTE"), Qt::CaseInsensitive))
        throw EHostError(QStringLiteral("O banco de dados já contém as tabelas de clientes."));
    // One statement per transaction: Firebird will not use a table in the transaction that made it.
    for (const QString& statement : schemaStatements(kind)) {
        QSqlQuery q(db);
        if (!q.exec(statement))
            throw EHostError(QStringLiteral("Erro ao criar o esquema: %1\n%2")
                                 .arg(q.lastError().text().trimmed(), statement));
    }
}

void fill(QSqlDatabase& db, int clients, const std::function<void(int)>& progress) {
    DemoRows::write(db, clients, progress);
}

void create(const QString& url, int clients, const std::function<void(int)>& progress) {
    const DatabaseUrl parsed = DatabaseUrl::parse(url);
    std::optional<Credentials> credentials;
    if (parsed.kind == DatabaseKind::InterBase) {
        DatabaseConnection::prepareFirebirdEnvironment();
        credentials = DatabaseConnection::firebirdCredentials(parsed); // asked once for both steps
        bool exists = parsed.isServer() ? false : QFileInfo::exists(parsed.path);
        if (!exists) {
            try {
                FirebirdAdmin::createDatabase(parsed, credentials);
            } catch (const EAlreadyExists&) {
                // On a server we cannot look at the file: an existing database is fine, it is
                // checked for tables below.
                if (!parsed.isServer())
                    throw;
            }
        }
    } else if (parsed.path != QLatin1String(":memory:")) {
        QDir().mkpath(QFileInfo(parsed.path).absolutePath());
    }
    const QString name = QStringLiteral("demo-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db =
            DatabaseConnection::open(parsed, name, DatabaseConnection::IfMissing::Create, credentials);
        try {
            createSchema(db);
            fill(db, clients, progress);
        } catch (...) {
            db.close();
            db = QSqlDatabase();
            DatabaseConnection::remove(name);
            throw;
        }
    }
    DatabaseConnection::remove(name);
}

} // namespace DemoDatabase
