#include "data/BatchInserter.h"

#include "core/Errors.h"

#include <QSqlError>
#include <QStringList>
#include <algorithm>

BatchInserter::BatchInserter(QSqlDatabase& db, QString table, std::vector<Column> columns, Failure failure,
                             int maxRows)
    : m_db(db), m_table(std::move(table)), m_columns(std::move(columns)), m_failure(std::move(failure)),
      m_dialect(Dialect::of(db)) {
    m_batch = m_dialect.batchRows(m_columns, maxRows);
}

void BatchInserter::add(QVariantList row) {
    m_pending.push_back(std::move(row));
    if (int(m_pending.size()) == m_batch)
        flush();
}

void BatchInserter::flush() {
    if (m_pending.empty())
        return;
    const int n = int(m_pending.size());
    // A full batch reuses one prepared statement; only the last, shorter one is prepared apart.
    QSqlQuery partial(m_db);
    QSqlQuery& q = n == m_batch ? m_full : partial;
    if (n != m_batch || !m_fullPrepared) {
        if (!q.prepare(statement(n)))
            fail(Stage::Prepare, q.lastError());
        m_fullPrepared = m_fullPrepared || n == m_batch;
    }
    int at = 0;
    for (const QVariantList& row : m_pending)
        for (const QVariant& v : row)
            q.bindValue(at++, m_dialect.bindable(v));
    if (!q.exec())
        fail(Stage::Write, q.lastError());
    m_pending.clear();
}

QString BatchInserter::statement(int rows) const {
    return m_dialect.batchInsert(m_table, m_columns, rows);
}

void BatchInserter::fail(Stage stage, const QSqlError& error) const {
    if (m_failure)
        m_failure(stage, error);
    throw EHostError(QStringLiteral("Erro ao gravar %1: %2").arg(m_table, error.text().trimmed()));
}
