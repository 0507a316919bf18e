#include "data/KeyTable.h"

#include "core/Errors.h"
#include "data/BatchInserter.h"
#include "data/Dialect.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

constexpr int kParamWidth = 20;
constexpr int kKeyWidth = 60;
// Keys per statement at most; a dialect may hold its batches smaller (Firebird's input message).
constexpr int kMaxBatch = 500;

[[noreturn]] void fail(const QString& what, const QSqlError& error) {
    throw EHostError(QStringLiteral("Erro na tabela de chaves %1: %2: %3")
                         .arg(KeyTable::tableName(), what, error.text().trimmed()));
}

void exec(QSqlQuery& q, const QString& sql, const QString& what) {
    if (!q.exec(sql))
        fail(what, q.lastError());
}

} // namespace

namespace KeyTable HOST_EXPORT {

QString tableName() {
    return QStringLiteral("SELKEYS");
}

void load(QSqlDatabase& db, const QString& param, const QStringList& keys) {
    Loader loader(db, param);
    for (const QString& key : keys)
        loader.add(key);
    loader.finish();
}

Loader::Loader(QSqlDatabase& db, const QString& param) : m_param(param) {
    if (param.isEmpty() || param.size() > kParamWidth)
        throw EHostError(
            QStringLiteral("Nome de parâmetro inválido para a tabela de chaves: '%1'").arg(param));
    Dialect::of(db).ensureKeyTable(db);
    QSqlQuery del(db);
    if (!del.prepare(QStringLiteral("DELETE FROM SELKEYS WHERE PARAM = ?")))
        fail(QStringLiteral("ao preparar a limpeza"), del.lastError());
    del.bindValue(0, param);
    if (!del.exec())
        fail(QStringLiteral("ao limpar as chaves de %1").arg(param), del.lastError());
    m_insert = std::make_unique<BatchInserter>(
        db, KeyTable::tableName(),
        std::vector<BatchInserter::Column>{{"PARAM", "VARCHAR(20)"}, {"KEYVALUE", "VARCHAR(60)"}},
        [](BatchInserter::Stage stage, const QSqlError& error) {
            fail(stage == BatchInserter::Stage::Prepare ? QStringLiteral("ao preparar a carga")
                                                        : QStringLiteral("ao gravar as chaves"),
                 error);
        },
        kMaxBatch);
}

Loader::~Loader() = default;

void Loader::add(const QString& key) {
    if (key.size() > kKeyWidth)
        throw EHostError(QStringLiteral("A chave '%1' do parâmetro %2 passa de %3 caracteres.")
                             .arg(key, m_param)
                             .arg(kKeyWidth));
    m_insert->add({m_param, key});
}

void Loader::finish() {
    m_insert->flush();
}

void clear(QSqlDatabase& db) {
    Dialect::of(db).ensureKeyTable(db);
    QSqlQuery q(db);
    exec(q, QStringLiteral("DELETE FROM SELKEYS"), QStringLiteral("ao limpar"));
}

} // namespace KeyTable
