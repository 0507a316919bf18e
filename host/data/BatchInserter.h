#pragma once
// Writes rows many at a time, in the statement the connection's dialect makes (multi-row VALUES;
// on Firebird an EXECUTE BLOCK). Either way one round trip carries a whole batch, which is what makes
// loading 100,000 rows take a fraction of a second instead of minutes.
#include "data/Dialect.h"
#include "host_export.h"
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>
#include <vector>

class QSqlError;

class HOST_EXPORT BatchInserter {
public:
    using Column = BatchColumn;
    enum class Stage { Prepare, Write };
    // Called when a statement cannot be prepared or run; it throws the caller's own message. Should
    // it return, the inserter throws EHostError itself.
    using Failure = std::function<void(Stage, const QSqlError&)>;

    // maxRows caps the rows of one statement; the dialect may cap it lower (Firebird's 64 KB input message).
    BatchInserter(QSqlDatabase& db, QString table, std::vector<Column> columns, Failure failure,
                  int maxRows = 200);

    // Queues a row (one value per column, in order); a full batch is written at once.
    void add(QVariantList row);
    // Writes what is queued.
    void flush();

private:
    QString statement(int rows) const;
    [[noreturn]] void fail(Stage stage, const QSqlError& error) const;

    QSqlDatabase& m_db;
    QString m_table;
    std::vector<Column> m_columns;
    Failure m_failure;
    const Dialect& m_dialect;
    int m_batch = 1;
    std::vector<QVariantList> m_pending;
    QSqlQuery m_full{m_db};
    bool m_fullPrepared = false;
};
