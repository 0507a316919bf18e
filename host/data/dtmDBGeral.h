#pragma once
// The host's shared data module: one Qt SQL connection for the whole host, opened from a URL:
//   sqlite:PATH                    embedded SQLite (the default)
//   firebird:PATH                  Firebird's embedded engine
//   firebird://HOST[:PORT]/PATH    a Firebird server (user and password asked at login, or from the
//                                  environment ISC_USER / ISC_PASSWORD, never from the URL)
//   postgres://HOST[:PORT]/DB      a PostgreSQL server (user and password from PGUSER / PGPASSWORD,
//                                  libpq's service or password file, or asked at login)
// adcGeral, dtbGeral and ibtGeral are child objects of those names, so that query components in
// form resources can name "dtmDBGeral.adcGeral" and so on.
#include "core/MessageSink.h"
#include "data/Dialect.h"
#include "host_export.h"
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <optional>

class HOST_EXPORT dtmDBGeral : public QObject {
    Q_OBJECT
public:
    static dtmDBGeral& instance();

    // Opens the shared connection; throws EHostError with the URL (no password) and the driver's text.
    // A server's credentials are asked once and kept for this connection's reconnections. While a
    // connection is open the new database is tried first: a failure leaves the open one as it was,
    // and beforeSwitch (closing what reads through the old connection) runs only once the new one
    // is known to open.
    void open(const QString& url, const std::function<void()>& beforeSwitch = {});
    void close();
    bool isOpen() const;

    DatabaseKind kind() const { return Dialect::kindOf(m_dialect); }
    // The open database's dialect; null when none is open.
    const Dialect* dialect() const { return m_dialect; }
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
    const Dialect* m_dialect = nullptr;
    QString m_url;
    std::optional<Credentials> m_credentials;
    QObject* m_adc;
    QObject* m_dtb;
    QObject* m_ibt;
};
