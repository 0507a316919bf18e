#include "demo/DemoDatabase.h"

#include "core/Errors.h"
#include "data/DatabaseUrl.h"
#include "demo/DemoRows.h"
#include "demo/FirebirdAdmin.h"
#include "demo/PostgresAdmin.h"
#include "demo/SchemaScript.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
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

namespace {

// Empty when the file at path is an SQLite database with the tables the host reads, else why not.
// Any other failure (no permission, locked by another session) throws: that file is not damaged
// and stays where it is.
QString damage(const QString& path) {
    const QString name = QStringLiteral("demo-check-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString why;
    QString failure;
    {
        // A plain read-only look, without the host's connection set-up (which refuses what is not a
        // database before the error code could be read here).
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        QUrl file = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
        file.setQuery(QStringLiteral("mode=ro"));
        db.setDatabaseName(QString::fromLatin1(file.toEncoded()));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
        const bool opened = db.open();
        if (!opened)
            failure = db.lastError().text().trimmed();
        // SQLite reads the file's header at the first statement: a file that is not SQLite fails here.
        QSqlQuery q(db);
        if (!opened) {
        } else if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"))) {
            const int code = q.lastError().nativeErrorCode().toInt() & 0xff;
            constexpr int Corrupt = 11, NotADatabase = 26; // SQLITE_CORRUPT, SQLITE_NOTADB
            (code == Corrupt || code == NotADatabase ? why : failure) =
                q.lastError().databaseText().trimmed();
        } else {
            QStringList tables;
            while (q.next())
                tables << q.value(0).toString().toUpper();
            for (const char* needed : {"FILIAL", "CLIENTE"})
                if (!tables.contains(QLatin1String(needed)))
                    why = QStringLiteral("falta a tabela %1").arg(QLatin1String(needed));
        }
    }
    DatabaseConnection::remove(name);
    if (!failure.isEmpty())
        throw EHostError(
            QStringLiteral("Não foi possível ler o banco de demonstração '%1': %2").arg(path, failure));
    return why;
}

} // namespace

QString ensureDefault(QString* notice) {
    const QString path = defaultSqlitePath();
    QString kept;
    if (QFileInfo::exists(path)) {
        const QString why = damage(path);
        if (why.isEmpty())
            return defaultSqliteUrl();
        // Kept, not deleted: it may hold something the user wants back.
        kept = path + QStringLiteral(".danificado-") +
               QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        if (!QFile::rename(path, kept))
            throw EHostError(
                QStringLiteral("O banco de demonstração '%1' está danificado (%2) e não pôde ser "
                               "renomeado para '%3'.")
                    .arg(path, why, kept));
        if (notice)
            *notice = QStringLiteral("O banco de demonstração '%1' estava danificado (%2). Ele foi guardado "
                                     "como '%3' e um novo banco de demonstração foi criado em '%1'.")
                          .arg(path, why, kept);
    }
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
        throw EHostError(QStringLiteral("Não foi possível gravar o banco de demonstração '%1'.").arg(path));
    return defaultSqliteUrl();
}

QStringList schemaStatements(DatabaseKind kind) {
    return SchemaScript::statements(kind);
}

namespace {

void run(QSqlDatabase& db, const QString& statement) {
    QSqlQuery q(db);
    if (!q.exec(statement))
        throw EHostError(
            QStringLiteral("Erro ao criar o esquema: %1\n%2").arg(q.lastError().text().trimmed(), statement));
}

// A Firebird database made before the names sorted in Portuguese: the collation is created and the
// name columns the schema marks "COLLATE PTBR" take it. Firebird 3 will not change a column's
// collation in place, but it will change the column to a domain that carries it.
void bringInPortugueseCollation(QSqlDatabase& db, const QStringList& statements) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT 1 FROM RDB$COLLATIONS WHERE RDB$COLLATION_NAME = 'PTBR'")) || q.next())
        return;
    q.finish();
    static const QRegularExpression table(QStringLiteral("^\\s*CREATE\\s+TABLE\\s+(\\w+)"));
    static const QRegularExpression column(
        QStringLiteral("^\\s*(\\w+)\\s+VARCHAR\\((\\d+)\\)[^,]*\\bCOLLATE\\s+PTBR\\b"),
        QRegularExpression::MultilineOption);
    QStringList domains;
    for (const QString& statement : statements) {
        if (statement.contains(QLatin1String("CREATE COLLATION PTBR"))) {
            run(db, statement);
            continue;
        }
        const QRegularExpressionMatch t = table.match(statement);
        if (!t.hasMatch())
            continue;
        for (auto c = column.globalMatch(statement); c.hasNext();) {
            const QRegularExpressionMatch m = c.next();
            const QString domain = QStringLiteral("DM_PTBR_%1").arg(m.captured(2));
            if (!domains.contains(domain)) {
                run(db, QStringLiteral("CREATE DOMAIN %1 AS VARCHAR(%2) CHARACTER SET UTF8 COLLATE PTBR")
                            .arg(domain, m.captured(2)));
                domains << domain;
            }
            run(db, QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 TYPE %3")
                        .arg(t.captured(1), m.captured(1), domain));
        }
    }
}

} // namespace

void createSchema(QSqlDatabase& db) {
    const DatabaseKind kind = Dialect::of(db).kind();
    if (db.tables().contains(QStringLiteral("CLIENTE"), Qt::CaseInsensitive)) {
        // Still refused, but a server database that tests and tools reuse sorts like a new one.
        // (An older SQLite file cannot change its columns; its reports name the collation themselves.)
        if (kind == DatabaseKind::InterBase)
            bringInPortugueseCollation(db, schemaStatements(kind));
        throw EHostError(QStringLiteral("O banco de dados já contém as tabelas de clientes."));
    }
    // One statement per transaction: Firebird will not use a table in the transaction that made it.
    for (const QString& statement : schemaStatements(kind)) {
        QSqlQuery q(db);
        if (q.exec(statement))
            continue;
        // A server that loads ICU for its first collation has been seen to die doing it; its guard
        // starts it again, so the statement is tried once more on a new connection.
        const QString error = q.lastError().text().trimmed();
        q = QSqlQuery();
        if (kind == DatabaseKind::InterBase && statement.contains(QLatin1String("CREATE COLLATION"))) {
            db.close();
            QThread::sleep(2);
            if (db.open()) {
                QSqlQuery there(db);
                const bool made = there.exec(QStringLiteral(
                                      "SELECT 1 FROM RDB$COLLATIONS WHERE RDB$COLLATION_NAME = 'PTBR'")) &&
                                  there.next();
                QSqlQuery again(db);
                if (made || again.exec(statement))
                    continue;
            }
        }
        throw EHostError(QStringLiteral("Erro ao criar o esquema: %1\n%2").arg(error, statement));
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
    } else if (parsed.kind == DatabaseKind::PostgreSQL) {
        credentials = parsed.dialect().credentials(parsed);
        try {
            PostgresAdmin::createDatabase(parsed, credentials);
        } catch (const EAlreadyExists&) {
            // Checked for tables below.
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
