#pragma once
// A report run's query, in the one explicit transaction that the key load and the SELECT share:
// bind() loads the list parameters into the key table and binds every value, fetch() reads the rows
// as the columns show them and ends the transaction. Whatever happens, the connection is left as it
// was found (no transaction, writable, no keys of this run).
#include "data/dtmDBGeral.h"
#include "reporting/ReportDefinition.h"

#include <QSqlDatabase>
#include <functional>
#include <memory>

class QSqlError;
class QSqlQuery;
class TParams;

class ReportQuery {
public:
    // The definition must outlive the query.
    ReportQuery(QSqlDatabase db, DatabaseKind kind, const ReportDefinition& definition);
    ~ReportQuery();
    ReportQuery(const ReportQuery&) = delete;
    ReportQuery& operator=(const ReportQuery&) = delete;

    // Starts the transaction, loads the list parameters' keys, prepares the SQL and binds the values.
    void bind(const TParams& params);
    // A row as the columns show it, with its group's key and caption (empty when not grouping).
    using RowSink =
        std::function<void(const QStringList& cells, const QString& groupKey, const QString& groupTitle)>;
    // Runs the statement and hands each row to sink as it is read, holding none; progress is told
    // the rows read so far, between rows, and ends the run (EAbort) by returning true. Commits the
    // run's transaction at the end.
    void fetch(const std::function<bool(qint64 rowsFetched)>& progress, const RowSink& sink);

    // The database's words, or a general text when it gives none.
    static QString databaseError(const QSqlError& error);

private:
    class Transaction;

    QSqlDatabase m_db;
    DatabaseKind m_kind;
    const ReportDefinition& m_def;
    QString m_sql;
    bool m_keysLoaded = false;
    // Declared before the statement, so that the statement is gone before a rollback.
    std::unique_ptr<Transaction> m_transaction;
    std::unique_ptr<QSqlQuery> m_query;
};
