#pragma once
// A read-only query on the host's shared connection (dtmDBGeral). It carries a generic SQL text
// and optional texts for Oracle, SQL Server and InterBase/Firebird, and runs the one that suits
// the open database (an empty dialect text falls back to SQL; PostgreSQL has none of its own). Open fetches
// every row into the inner dataset "Query"; Close drops them, so Close + Open always runs the text anew. The
// ADO and InterBase properties of a form resource are kept as given: references to other components
// (ADOConnection, DataBase, Transaction, DataSource) are stored by name and resolved when the query opens, so
// a resource may name components it declares further down.
#include "data/dtmDBGeral.h"
#include "forms/TComponent.h"
#include "host_export.h"

#include <QList>
#include <QObject>
#include <QStringList>

class TDataSet;
class TADOIBStringField;

class HOST_EXPORT TADOIBQuery : public QObject, public TComponent {
    Q_OBJECT
public:
    explicit TADOIBQuery(QObject* parent = nullptr);
    ~TADOIBQuery() override;
    QObject* asObject() override { return this; }

    // Runs the text for the open database and fetches every row. Throws EHostError carrying the
    // database's text, or naming a declared field that the result lacks; the query stays closed.
    void Open();
    void Close();
    bool Active() const;
    // Open(true) / Close(false).
    void SetActive(bool active);
    // No row (also true while closed).
    bool IsEmpty() const;
    int RecordCount() const;

    TDataSet* Query() const { return m_dataSet; }

    // The declared string fields (child components), in resource order.
    QList<TADOIBStringField*> Fields() const;
    TADOIBStringField* FindField(const QString& fieldName) const;   // null when not declared
    TADOIBStringField* FieldByName(const QString& fieldName) const; // throws EHostError

    // The texts, each a list of lines joined with "\n".
    QString SQL() const { return m_sql.join('\n'); }
    QString SQL_ORACLE() const { return m_sqlOracle.join('\n'); }
    QString SQL_MSSQL() const { return m_sqlMssql.join('\n'); }
    QString SQL_IB() const { return m_sqlIb.join('\n'); }
    void SetSQL(const QStringList& lines) { m_sql = lines; }
    void SetSQL_ORACLE(const QStringList& lines) { m_sqlOracle = lines; }
    void SetSQL_MSSQL(const QStringList& lines) { m_sqlMssql = lines; }
    void SetSQL_IB(const QStringList& lines) { m_sqlIb = lines; }
    // The text that runs on a database of that kind.
    QString SqlFor(DatabaseKind kind) const;

    // Kept as the resource gives them.
    QString ADOConnection() const { return m_adoConnection; }
    void SetADOConnection(const QString& reference) { m_adoConnection = reference; }
    QString DataBase() const { return m_dataBase; }
    void SetDataBase(const QString& reference) { m_dataBase = reference; }
    QString Transaction() const { return m_transaction; }
    void SetTransaction(const QString& reference) { m_transaction = reference; }
    QString DataSource() const { return m_dataSource; }
    void SetDataSource(const QString& reference) { m_dataSource = reference; }
    QString ADOCursorLocation() const { return m_cursorLocation; }
    void SetADOCursorLocation(const QString& v) { m_cursorLocation = v; }
    QString ADOCursorType() const { return m_cursorType; }
    void SetADOCursorType(const QString& v) { m_cursorType = v; }
    QString ADOLockType() const { return m_lockType; }
    void SetADOLockType(const QString& v) { m_lockType = v; }
    int ADOCacheSize() const { return m_cacheSize; }
    void SetADOCacheSize(int v) { m_cacheSize = v; }
    // At most this many rows are fetched; 0 is no limit.
    int ADOMaxRecords() const { return m_maxRecords; }
    void SetADOMaxRecords(int v) { m_maxRecords = v; }
    QString ADOMarshalOptions() const { return m_marshalOptions; }
    void SetADOMarshalOptions(const QString& v) { m_marshalOptions = v; }
    bool ADOEnableBCD() const { return m_enableBcd; }
    void SetADOEnableBCD(bool v) { m_enableBcd = v; }
    bool ADOFiltered() const { return m_filtered; }
    void SetADOFiltered(bool v) { m_filtered = v; }
    bool ADOPrepared() const { return m_prepared; }
    void SetADOPrepared(bool v) { m_prepared = v; }
    bool CachedUpdates() const { return m_cachedUpdates; }
    void SetCachedUpdates(bool v) { m_cachedUpdates = v; }
    bool ObjectView() const { return m_objectView; }
    void SetObjectView(bool v) { m_objectView = v; }
    QStringList ADOExecuteOptions() const { return m_executeOptions; }
    void SetADOExecuteOptions(const QStringList& v) { m_executeOptions = v; }
    QStringList Constraints() const { return m_constraints; }
    void SetConstraints(const QStringList& v) { m_constraints = v; }
    bool AutoCalcFields() const { return m_autoCalcFields; }
    void SetAutoCalcFields(bool v) { m_autoCalcFields = v; }
    bool ParamCheck() const { return m_paramCheck; }
    void SetParamCheck(bool v) { m_paramCheck = v; }

    // The object a reference names ("dtsCliente_", "dtmDBGeral.adcGeral"): components of the
    // query's form first, then the host's global objects; null when nothing has that name.
    QObject* resolve(const QString& reference) const;

private:
    void checkReferences() const;

    TDataSet* m_dataSet;
    QStringList m_sql, m_sqlOracle, m_sqlMssql, m_sqlIb;
    QString m_adoConnection, m_dataBase, m_transaction, m_dataSource;
    QString m_cursorLocation = QStringLiteral("clUseClient");
    QString m_cursorType = QStringLiteral("ctKeyset");
    QString m_lockType = QStringLiteral("ltReadOnly");
    QString m_marshalOptions = QStringLiteral("moMarshalAll");
    int m_cacheSize = 1;
    int m_maxRecords = 0;
    bool m_enableBcd = false, m_filtered = false, m_prepared = false, m_cachedUpdates = false,
         m_objectView = false, m_autoCalcFields = true, m_paramCheck = true;
    QStringList m_executeOptions, m_constraints;
};
