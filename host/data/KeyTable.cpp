#include "data/KeyTable.h"

#include "core/Errors.h"
#include "data/DatabaseUrl.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

constexpr int kParamWidth = 20;
constexpr int kKeyWidth = 60;
// SQLite: rows per multi-row VALUES (two variables each, well under its variable limit).
constexpr int kSqliteBatch = 500;
// Firebird: keys per EXECUTE BLOCK; its input message must stay under 64 KB (a UTF8 VARCHAR(60)
// takes 242 bytes).
constexpr int kFirebirdBatch = 250;

[[noreturn]] void fail(const QString& what, const QSqlError& error) {
    throw EHostError(QStringLiteral("Erro na tabela de chaves %1: %2: %3")
                         .arg(KeyTable::tableName(), what, error.text().trimmed()));
}

void exec(QSqlQuery& q, const QString& sql, const QString& what) {
    if (!q.exec(sql))
        fail(what, q.lastError());
}

void ensureSqliteTable(QSqlDatabase& db) {
    QSqlQuery q(db);
    exec(q,
         QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS SELKEYS (PARAM VARCHAR(20), KEYVALUE VARCHAR(60))"),
         QStringLiteral("ao criar a tabela"));
    exec(q, QStringLiteral("CREATE INDEX IF NOT EXISTS temp.IX_SELKEYS ON SELKEYS (PARAM, KEYVALUE)"),
         QStringLiteral("ao criar o índice"));
}

QString sqliteInsert(int rows) {
    QString sql = QStringLiteral("INSERT INTO SELKEYS (PARAM, KEYVALUE) VALUES ");
    for (int i = 0; i < rows; ++i)
        sql += i ? QStringLiteral(",(?,?)") : QStringLiteral("(?,?)");
    return sql;
}

QString firebirdInsert(int rows) {
    // One block of inserts fed by typed input parameters. Qt turns every ":name" of the text into
    // a placeholder, so the body names its variables as ": K1" (Firebird allows the blank).
    QString head = QStringLiteral("EXECUTE BLOCK (P VARCHAR(20) = ?");
    QString body = QStringLiteral(") AS BEGIN ");
    for (int i = 1; i <= rows; ++i) {
        head += QStringLiteral(", K%1 VARCHAR(60) = ?").arg(i);
        body += QStringLiteral("INSERT INTO SELKEYS (PARAM, KEYVALUE) VALUES (: P, : K%1); ").arg(i);
    }
    return head + body + QStringLiteral("END");
}

void insertBatches(QSqlDatabase& db, const QString& param, const QStringList& keys, bool firebird) {
    const int batch = firebird ? kFirebirdBatch : kSqliteBatch;
    QSqlQuery full(db);
    bool fullPrepared = false;
    for (qsizetype start = 0; start < keys.size(); start += batch) {
        const int n = int(std::min<qsizetype>(batch, keys.size() - start));
        QSqlQuery partial(db);
        QSqlQuery& q = n == batch ? full : partial;
        if (n != batch || !fullPrepared) {
            if (!q.prepare(firebird ? firebirdInsert(n) : sqliteInsert(n)))
                fail(QStringLiteral("ao preparar a carga"), q.lastError());
            fullPrepared = fullPrepared || n == batch;
        }
        int at = 0;
        if (firebird)
            q.bindValue(at++, param);
        for (int i = 0; i < n; ++i) {
            if (!firebird)
                q.bindValue(at++, param);
            q.bindValue(at++, keys[start + i]);
        }
        if (!q.exec())
            fail(QStringLiteral("ao gravar as chaves"), q.lastError());
    }
}

} // namespace

namespace KeyTable {

QString tableName() {
    return QStringLiteral("SELKEYS");
}

void load(QSqlDatabase& db, const QString& param, const QStringList& keys) {
    if (param.isEmpty() || param.size() > kParamWidth)
        throw EHostError(
            QStringLiteral("Nome de parâmetro inválido para a tabela de chaves: '%1'").arg(param));
    for (const QString& key : keys)
        if (key.size() > kKeyWidth)
            throw EHostError(QStringLiteral("A chave '%1' do parâmetro %2 passa de %3 caracteres.")
                                 .arg(key, param)
                                 .arg(kKeyWidth));
    const bool firebird = DatabaseConnection::isFirebird(db);
    if (!firebird)
        ensureSqliteTable(db);
    QSqlQuery del(db);
    if (!del.prepare(QStringLiteral("DELETE FROM SELKEYS WHERE PARAM = ?")))
        fail(QStringLiteral("ao preparar a limpeza"), del.lastError());
    del.bindValue(0, param);
    if (!del.exec())
        fail(QStringLiteral("ao limpar as chaves de %1").arg(param), del.lastError());
    insertBatches(db, param, keys, firebird);
}

void clear(QSqlDatabase& db) {
    if (!DatabaseConnection::isFirebird(db))
        ensureSqliteTable(db);
    QSqlQuery q(db);
    exec(q, QStringLiteral("DELETE FROM SELKEYS"), QStringLiteral("ao limpar"));
}

} // namespace KeyTable
