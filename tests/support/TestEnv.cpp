#include "support/TestEnv.h"

#include "core/HostSettings.h"
#include "forms/TApplication.h"

#include <QTemporaryDir>
#include <ctime>
#include <memory>

namespace {
ScriptedDialogService g_dialogs;
std::unique_ptr<QTemporaryDir> g_userReports;

// Every test starts without site definitions and with an empty folder of the user's: what one test
// saves is never listed by the next, and nothing is written under the real home.
void freshReportLayers() {
    g_userReports = std::make_unique<QTemporaryDir>();
    HostSettings::setSiteReportsDir({});
    HostSettings::setUserReportsDir(g_userReports->path());
}
} // namespace

void TestEnv::initialise() {
    TApplication::instance().initialise();
    ScriptedDialogService::installFor(g_dialogs);
    freshReportLayers();
}

ScriptedDialogService& TestEnv::dialogs() {
    return g_dialogs;
}

void TestEnv::reset() {
    g_dialogs = ScriptedDialogService();
    freshReportLayers();
}

QString TestEnv::sourceDir() {
    return QStringLiteral(ERP_SOURCE_DIR);
}
QString TestEnv::binaryDir() {
    return QStringLiteral(ERP_BINARY_DIR);
}

QString TestEnv::serverDatabaseUrl(const QString& stem) {
    const QString shared = qEnvironmentVariable("ERP_FIREBIRD_URL");
    if (shared.isEmpty())
        return {};
    return shared.left(shared.lastIndexOf('/') + 1) + stem + QStringLiteral(".fdb");
}

QString TestEnv::postgresDatabaseUrl(const QString& stem) {
    const QString shared = qEnvironmentVariable("ERP_POSTGRES_URL");
    if (shared.isEmpty())
        return {};
    return shared.left(shared.lastIndexOf('/') + 1) + stem;
}

ZoneScope::ZoneScope(const char* zone) : m_previous(qgetenv("TZ")), m_set(zone != nullptr) {
    if (!m_set)
        return;
    qputenv("TZ", zone);
    tzset();
}

ZoneScope::~ZoneScope() {
    if (!m_set)
        return;
    if (m_previous.isEmpty())
        qunsetenv("TZ");
    else
        qputenv("TZ", m_previous);
    tzset();
}
