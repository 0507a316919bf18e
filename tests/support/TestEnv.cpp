#include "support/TestEnv.h"

#include "forms/TApplication.h"

#include <ctime>

namespace {
ScriptedDialogService g_dialogs;
}

void TestEnv::initialise() {
    TApplication::instance().initialise();
    ScriptedDialogService::installFor(g_dialogs);
}

ScriptedDialogService& TestEnv::dialogs() {
    return g_dialogs;
}

void TestEnv::reset() {
    g_dialogs = ScriptedDialogService();
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
