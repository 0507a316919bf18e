#pragma once
// The host's shared data module: one Qt SQL connection for the whole host, opened from a URL:
//   sqlite:PATH                    embedded SQLite (the default)
//   firebird:PATH                  Firebird's embedded engine
//   firebird://HOST[:PORT]/PATH    a Firebird server (user and password from the settings or the
//                                  environment ISC_USER / ISC_PASSWORD, never from the URL)
// adcGeral, dtbGeral and ibtGeral are child objects of those names, so that query components in
// form resources can name "dtmDBGeral.adcGeral" and so on.
#include "host_export.h"
#include <QObject>
#include <QSqlDatabase>
#include <QString>

enum class DatabaseKind { None, SQLite, InterBase, Oracle, MSSQL };

class HOST_EXPORT dtmDBGeral : public QObject {
    Q_OBJECT
public:
    static dtmDBGeral& instance();

    // Opens the shared connection; throws EHostError with the URL (no password) and the driver's text.
    void open(const QString& url);
    void close();
    bool isOpen() const;

    DatabaseKind kind() const { return m_kind; }
    QString url() const { return m_url; } // as given, safe to show
    static QString connectionName();      // the QSqlDatabase connection name
    static QSqlDatabase database();       // the shared connection
    // Throws EHostError naming the database when the connection is not open.
    void ensureOpen() const;

    QObject* adcGeral() const { return m_adc; }
    QObject* dtbGeral() const { return m_dtb; }
    QObject* ibtGeral() const { return m_ibt; }

private:
    dtmDBGeral();
    DatabaseKind m_kind = DatabaseKind::None;
    QString m_url;
    QObject* m_adc;
    QObject* m_dtb;
    QObject* m_ibt;
};
