#include "data/dtmDBGeral.h"

#include "core/Errors.h"
#include "data/DatabaseUrl.h"
#include "forms/FormReader.h"

#include <QSqlError>
#include <QSqlQuery>

dtmDBGeral& dtmDBGeral::instance() {
    static dtmDBGeral* module = new dtmDBGeral; // lives as long as the process; Qt SQL outlives it
    return *module;
}

dtmDBGeral::dtmDBGeral() : m_adc(new QObject(this)), m_dtb(new QObject(this)), m_ibt(new QObject(this)) {
    setObjectName(QStringLiteral("dtmDBGeral"));
    m_adc->setObjectName(QStringLiteral("adcGeral"));
    m_dtb->setObjectName(QStringLiteral("dtbGeral"));
    m_ibt->setObjectName(QStringLiteral("ibtGeral"));
    FormReader::registerGlobal(QStringLiteral("dtmDBGeral"), this);
}

QString dtmDBGeral::connectionName() {
    return QStringLiteral("dtmDBGeral");
}

QSqlDatabase dtmDBGeral::database() {
    return QSqlDatabase::database(connectionName(), false);
}

void dtmDBGeral::open(const QString& url, const std::function<void()>& beforeSwitch) {
    const DatabaseUrl parsed = DatabaseUrl::parse(url);
    const std::optional<Credentials> credentials = parsed.dialect().credentials(parsed);
    // The new database is tried under a name of its own first: a mistyped path or a server that does
    // not answer leaves the working connection, and the screens that use it, as they were.
    if (isOpen()) {
        const QString trial = connectionName() + QStringLiteral("-novo");
        DatabaseConnection::open(parsed, trial, DatabaseConnection::IfMissing::Refuse, credentials);
        DatabaseConnection::remove(trial);
    }
    if (beforeSwitch)
        beforeSwitch();
    close();
    DatabaseConnection::open(parsed, connectionName(), DatabaseConnection::IfMissing::Refuse, credentials);
    m_dialect = &parsed.dialect();
    m_url = url;
    m_credentials = credentials;
}

void dtmDBGeral::close() {
    DatabaseConnection::remove(connectionName());
    m_dialect = nullptr;
    m_url.clear();
    m_credentials.reset();
}

bool dtmDBGeral::isOpen() const {
    return m_dialect && database().isOpen();
}

void dtmDBGeral::ensureOpen() const {
    if (m_url.isEmpty())
        throw EHostError(QStringLiteral("Nenhum banco de dados está aberto."));
    // A server can go away under an open connection (stopped, restarted, network); Qt still calls
    // it open. One cheap round trip tells, and a lost connection is opened again, so the user's next
    // action works once the server is back, without restarting the host.
    const DatabaseUrl parsed = DatabaseUrl::parse(m_url);
    if (isOpen()) {
        QSqlDatabase db = database();
        if (!parsed.dialect().connectionLost(db))
            return;
    } else if (!parsed.isServer()) {
        throw EHostError(QStringLiteral("O banco de dados '%1' não está aberto.").arg(m_url));
    }
    DatabaseConnection::remove(connectionName());
    try {
        DatabaseConnection::open(parsed, connectionName(), DatabaseConnection::IfMissing::Refuse,
                                 m_credentials);
    } catch (const EHostError& e) {
        throw EHostError(
            QStringLiteral("A conexão com o banco de dados '%1' foi perdida e não pôde ser refeita. %2")
                .arg(m_url, e.message()));
    }
}
