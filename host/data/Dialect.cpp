#include "data/Dialect.h"

#include "core/Errors.h"
#include "data/DatabaseUrl.h"
#include "data/PortugueseCollation.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>
#include <algorithm>

namespace {

// SQLite refuses a statement of more than 32766 variables; PostgreSQL counts its parameters in 16
// bits, so the same bound serves it.
constexpr int kMaxVariables = 32766;
// Firebird's input message must stay under 64 KB; a UTF8 VARCHAR(n) takes 4n + 2 bytes (counted
// with a little to spare below).
constexpr int kFirebirdMessageBytes = 60000;

const char* const kKeyTableColumns = "PARAM VARCHAR(20), KEYVALUE VARCHAR(60)";

void run(QSqlDatabase& db, const QString& sql, const QString& what) {
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw EHostError(QStringLiteral("Erro na tabela de chaves SELKEYS %1: %2")
                             .arg(what, q.lastError().text().trimmed()));
}

QString plainInsert(const QString& table, const std::vector<BatchColumn>& columns, int rows) {
    QStringList names;
    for (const BatchColumn& c : columns)
        names << QString::fromLatin1(c.name);
    const QString one = '(' + QStringList(int(columns.size()), QStringLiteral("?")).join(',') + ')';
    return QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, names.join(", ")) +
           QStringList(rows, one).join(',');
}

class SqliteDialect final : public Dialect {
public:
    DatabaseKind kind() const override { return DatabaseKind::SQLite; }
    QString name() const override { return QStringLiteral("SQLite"); }
    QString driver() const override { return QStringLiteral("QSQLITE"); }
    void configure(QSqlDatabase& db, const DatabaseUrl& url, const Credentials&,
                   bool createMissing) const override {
        if (createMissing || url.path == QLatin1String(":memory:")) {
            db.setDatabaseName(url.path);
            return;
        }
        // SQLite's mode=rw opens without creating, in the same call: no window in which a file
        // checked for could vanish or appear.
        QUrl file = QUrl::fromLocalFile(QFileInfo(url.path).absoluteFilePath());
        file.setQuery(QStringLiteral("mode=rw"));
        db.setDatabaseName(QString::fromLatin1(file.toEncoded()));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
    }
    QString firstRead(QSqlDatabase& db) const override {
        QSqlQuery probe(db);
        return probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"))
                   ? QString()
                   : probe.lastError().text().trimmed();
    }
    void prepare(QSqlDatabase& db) const override { PortugueseCollation::registerOn(db); }
    // The connection's own TEMP table, made on first use.
    void ensureKeyTable(QSqlDatabase& db) const override {
        run(db,
            QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS SELKEYS (%1)")
                .arg(QLatin1String(kKeyTableColumns)),
            QStringLiteral("ao criar a tabela"));
        run(db, QStringLiteral("CREATE INDEX IF NOT EXISTS temp.IX_SELKEYS ON SELKEYS (PARAM, KEYVALUE)"),
            QStringLiteral("ao criar o índice"));
    }
    QString readOnlyStatement() const override { return QStringLiteral("PRAGMA query_only = 1"); }
    QString writableStatement() const override { return QStringLiteral("PRAGMA query_only = 0"); }
};

class FirebirdDialect final : public Dialect {
public:
    DatabaseKind kind() const override { return DatabaseKind::InterBase; }
    QString name() const override { return QStringLiteral("Firebird"); }
    QString driver() const override { return QStringLiteral("QIBASE"); }
    int defaultPort() const override { return 3050; }
    std::optional<Credentials> credentials(const DatabaseUrl& url) const override {
        return DatabaseConnection::firebirdCredentials(url);
    }
    void configure(QSqlDatabase& db, const DatabaseUrl& url, const Credentials& login, bool) const override {
        DatabaseConnection::prepareFirebirdEnvironment();
        db.setHostName(url.host);
        if (url.port > 0)
            db.setPort(url.port);
        db.setDatabaseName(url.path);
        db.setUserName(login.user);
        db.setPassword(login.password);
        db.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=UTF8"));
    }
    // The schema's GLOBAL TEMPORARY table (ON COMMIT DELETE ROWS): the load and the report's SELECT
    // share one transaction.
    void ensureKeyTable(QSqlDatabase&) const override {}
    int batchRows(const std::vector<BatchColumn>& columns, int cap) const override {
        int bytes = 0;
        for (const BatchColumn& c : columns) {
            const QString t = QString::fromLatin1(c.type);
            const int open = t.indexOf('(');
            bytes += open > 0 ? t.mid(open + 1, t.indexOf(')') - open - 1).toInt() * 4 + 4 : 8;
        }
        return std::clamp(kFirebirdMessageBytes / std::max(bytes, 1), 1, std::max(cap, 1));
    }
    // An EXECUTE BLOCK of inserts fed by typed input parameters (its body writes ": Vn", a form Qt
    // does not take for a placeholder).
    QString batchInsert(const QString& table, const std::vector<BatchColumn>& columns,
                        int rows) const override {
        QStringList names;
        for (const BatchColumn& c : columns)
            names << QString::fromLatin1(c.name);
        const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, names.join(", "));
        QStringList params, body;
        for (int r = 0; r < rows; ++r) {
            QStringList values;
            for (size_t c = 0; c < columns.size(); ++c) {
                const QString v = QStringLiteral("V%1_%2").arg(r).arg(c);
                params << v + ' ' + QString::fromLatin1(columns[c].type) + QStringLiteral(" = ?");
                values << QStringLiteral(": ") + v;
            }
            body << insert + '(' + values.join(", ") + QStringLiteral(");");
        }
        return QStringLiteral("EXECUTE BLOCK (%1) AS BEGIN %2 END").arg(params.join(", "), body.join(' '));
    }
    // Qt's driver cannot ask for a read-only transaction: a run never commits, so whatever a
    // selectable procedure wrote while it ran is undone with the run's keys.
    bool reportEndsInRollback() const override { return true; }
    QString livenessProbe() const override { return QStringLiteral("SELECT 1 FROM RDB$DATABASE"); }
};

class PostgresDialect final : public Dialect {
public:
    DatabaseKind kind() const override { return DatabaseKind::PostgreSQL; }
    QString name() const override { return QStringLiteral("PostgreSQL"); }
    QString driver() const override { return QStringLiteral("QPSQL"); }
    int defaultPort() const override { return 5432; }
    bool opensFiles() const override { return false; }
    // PGUSER and PGPASSWORD, when both are set, serve automation. A password libpq finds itself
    // (PGPASSWORD alone, a service of PGSERVICE, the password file) is left to it; otherwise the
    // user is asked.
    std::optional<Credentials> credentials(const DatabaseUrl& url) const override {
        const QString user = qEnvironmentVariable("PGUSER");
        if (!user.isEmpty() && qEnvironmentVariableIsSet("PGPASSWORD"))
            return Credentials{user, qEnvironmentVariable("PGPASSWORD")};
        const QString passFile = qEnvironmentVariableIsSet("PGPASSFILE")
                                     ? qEnvironmentVariable("PGPASSFILE")
                                     : QDir::homePath() + QStringLiteral("/.pgpass");
        if (qEnvironmentVariableIsSet("PGPASSWORD") || !qEnvironmentVariableIsEmpty("PGSERVICE") ||
            QFileInfo::exists(passFile))
            return std::nullopt;
        const std::optional<Credentials> given = MessageSink::instance().promptLogin(
            QStringLiteral("Conectar ao banco de dados"),
            QStringLiteral("Usuário e senha do servidor PostgreSQL para o banco de dados '%1':")
                .arg(url.text),
            user.isEmpty() ? qEnvironmentVariable("USER") : user);
        if (!given || given->user.trimmed().isEmpty())
            throw EHostError(
                QStringLiteral("A conexão com o banco de dados '%1' não foi feita: o usuário e a "
                               "senha do servidor não foram informados.")
                    .arg(url.text));
        return Credentials{given->user.trimmed(), given->password};
    }
    void configure(QSqlDatabase& db, const DatabaseUrl& url, const Credentials& login, bool) const override {
        db.setHostName(url.host);
        if (url.port > 0)
            db.setPort(url.port);
        db.setDatabaseName(url.path);
        if (!login.user.isEmpty())
            db.setUserName(login.user);
        if (!login.password.isEmpty())
            db.setPassword(login.password);
        db.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=erp-host"));
    }
    // The key table is the connection's own TEMP table, made here: a report's transaction is read-only
    // from its keys on, and a read-only transaction may fill a temporary table but not create one.
    void prepare(QSqlDatabase& db) const override {
        run(db,
            QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS SELKEYS (%1)")
                .arg(QLatin1String(kKeyTableColumns)),
            QStringLiteral("ao criar a tabela"));
        run(db, QStringLiteral("CREATE INDEX IF NOT EXISTS IX_SELKEYS ON SELKEYS (PARAM, KEYVALUE)"),
            QStringLiteral("ao criar o índice"));
    }
    void ensureKeyTable(QSqlDatabase&) const override {}
    QString readOnlyStatement() const override { return QStringLiteral("SET TRANSACTION READ ONLY"); }
    // Qt sends a date and time to PostgreSQL as an instant in UTC, which the server turns back into a
    // day in its own time zone: a local midnight could land on the day before. The wall-clock text
    // keeps the calendar day whatever the zones.
    QVariant bindable(const QVariant& value) const override {
        if (value.metaType().id() != QMetaType::QDateTime || value.isNull())
            return value;
        const QDateTime t = value.toDateTime();
        return t.isValid() ? QVariant(t.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))) : value;
    }
    QString livenessProbe() const override { return QStringLiteral("SELECT 1"); }
};

} // namespace

const Dialect& Dialect::sqlite() {
    static const SqliteDialect d;
    return d;
}

const Dialect& Dialect::firebird() {
    static const FirebirdDialect d;
    return d;
}

const Dialect& Dialect::postgres() {
    static const PostgresDialect d;
    return d;
}

const Dialect* Dialect::forScheme(const QString& scheme) {
    const QString s = scheme.toLower();
    if (s == QLatin1String("sqlite"))
        return &sqlite();
    if (s == QLatin1String("firebird"))
        return &firebird();
    if (s == QLatin1String("postgres") || s == QLatin1String("postgresql"))
        return &postgres();
    return nullptr;
}

const Dialect* Dialect::forKind(DatabaseKind kind) {
    for (const Dialect* d : {&sqlite(), &firebird(), &postgres()})
        if (d->kind() == kind)
            return d;
    return nullptr;
}

const Dialect& Dialect::of(const QSqlDatabase& db) {
    const QString driver = db.driverName();
    for (const Dialect* d : {&sqlite(), &firebird(), &postgres()})
        if (d->driver() == driver)
            return *d;
    throw EHostError(QStringLiteral("A conexão '%1' usa o driver '%2', que o sistema não conhece.")
                         .arg(db.connectionName(), driver));
}

DatabaseKind Dialect::kindOf(const Dialect* dialect) {
    return dialect ? dialect->kind() : DatabaseKind::None;
}

QString Dialect::textFor(DatabaseKind kind, const DialectTexts& texts) {
    const QString* own = nullptr;
    switch (kind) {
    case DatabaseKind::InterBase:
        own = &texts.interbase;
        break;
    case DatabaseKind::Oracle:
        own = &texts.oracle;
        break;
    case DatabaseKind::MSSQL:
        own = &texts.mssql;
        break;
    case DatabaseKind::PostgreSQL:
        own = &texts.postgres;
        break;
    default:
        break;
    }
    return own && !own->trimmed().isEmpty() ? *own : texts.generic;
}

std::optional<Credentials> Dialect::credentials(const DatabaseUrl&) const {
    return std::nullopt;
}

QString Dialect::firstRead(QSqlDatabase&) const {
    return {};
}

void Dialect::prepare(QSqlDatabase&) const {}

void Dialect::ensureKeyTable(QSqlDatabase&) const {}

int Dialect::batchRows(const std::vector<BatchColumn>& columns, int cap) const {
    return std::clamp(kMaxVariables / std::max(int(columns.size()), 1), 1, std::max(cap, 1));
}

QString Dialect::batchInsert(const QString& table, const std::vector<BatchColumn>& columns, int rows) const {
    return plainInsert(table, columns, rows);
}

bool Dialect::connectionLost(QSqlDatabase& db) const {
    const QString probe = livenessProbe();
    if (probe.isEmpty() || !db.isValid())
        return false;
    QSqlQuery q(db);
    return !q.exec(probe);
}
