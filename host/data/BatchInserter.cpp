#include "data/BatchInserter.h"

#include "core/Errors.h"
#include "data/DatabaseUrl.h"

#include <QSqlError>
#include <QStringList>
#include <algorithm>

namespace {

// Firebird's input message must stay under 64 KB; a UTF8 VARCHAR(n) takes 4n + 2 bytes (counted
// with a little to spare below).
constexpr int kFirebirdMessageBytes = 60000;
// SQLite refuses a statement of more than 32766 variables.
constexpr int kSqliteVariables = 32766;

} // namespace

BatchInserter::BatchInserter(QSqlDatabase& db, QString table, std::vector<Column> columns, Failure failure,
                             int maxRows)
    : m_db(db), m_table(std::move(table)), m_columns(std::move(columns)), m_failure(std::move(failure)),
      m_firebird(DatabaseConnection::isFirebird(db)) {
    const int cap = std::max(maxRows, 1);
    if (m_firebird) {
        int bytes = 0;
        for (const Column& c : m_columns) {
            const QString t = QString::fromLatin1(c.type);
            const int open = t.indexOf('(');
            bytes += open > 0 ? t.mid(open + 1, t.indexOf(')') - open - 1).toInt() * 4 + 4 : 8;
        }
        m_batch = std::clamp(kFirebirdMessageBytes / std::max(bytes, 1), 1, cap);
    } else {
        m_batch = std::clamp(kSqliteVariables / std::max(int(m_columns.size()), 1), 1, cap);
    }
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
            q.bindValue(at++, v);
    if (!q.exec())
        fail(Stage::Write, q.lastError());
    m_pending.clear();
}

QString BatchInserter::statement(int rows) const {
    QStringList names;
    for (const Column& c : m_columns)
        names << QString::fromLatin1(c.name);
    const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(m_table, names.join(", "));
    if (!m_firebird) {
        const QString one = '(' + QStringList(int(m_columns.size()), QStringLiteral("?")).join(',') + ')';
        return insert + QStringList(rows, one).join(',');
    }
    QStringList params, body;
    for (int r = 0; r < rows; ++r) {
        QStringList values;
        for (size_t c = 0; c < m_columns.size(); ++c) {
            const QString v = QStringLiteral("V%1_%2").arg(r).arg(c);
            params << v + ' ' + QString::fromLatin1(m_columns[c].type) + QStringLiteral(" = ?");
            values << QStringLiteral(": ") + v;
        }
        body << insert + '(' + values.join(", ") + QStringLiteral(");");
    }
    return QStringLiteral("EXECUTE BLOCK (%1) AS BEGIN %2 END").arg(params.join(", "), body.join(' '));
}

void BatchInserter::fail(Stage stage, const QSqlError& error) const {
    if (m_failure)
        m_failure(stage, error);
    throw EHostError(QStringLiteral("Erro ao gravar %1: %2").arg(m_table, error.text().trimmed()));
}
