#pragma once
#include "support/ScriptedDialogService.h"

#include <QByteArray>
#include <QString>

// TZ for one scope, then back as it was: dates must stay calendar days whatever the process's zone.
class ZoneScope {
public:
    explicit ZoneScope(const char* zone);
    ~ZoneScope();
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

private:
    QByteArray m_previous;
    bool m_set;
};

namespace TestEnv {
void initialise();
// The scripted dialog service installed for the tests; cleared by reset().
ScriptedDialogService& dialogs();
void reset();
QString sourceDir();
QString binaryDir();
// A database on the Firebird server that ERP_FIREBIRD_URL names, beside it, called stem.fdb;
// empty when the variable is not set.
QString serverDatabaseUrl(const QString& stem);
// A database on the PostgreSQL server that ERP_POSTGRES_URL names, called stem, on the same server;
// empty when the variable is not set.
QString postgresDatabaseUrl(const QString& stem);
} // namespace TestEnv
