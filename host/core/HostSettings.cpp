#include "core/HostSettings.h"

#include <QtGlobal>

namespace {
QString g_reportsDir;
QString g_printer;
QString g_user;
} // namespace

QString HostSettings::reportsDir() {
    if (!g_reportsDir.isEmpty())
        return g_reportsDir;
    const QString env = qEnvironmentVariable("ERP_REPORTS_DIR");
    return env.isEmpty() ? QStringLiteral(ERP_REPORTS_DIR) : env;
}
void HostSettings::setReportsDir(const QString& dir) {
    g_reportsDir = dir;
}
QString HostSettings::printer() {
    return g_printer;
}
void HostSettings::setPrinter(const QString& printer) {
    g_printer = printer;
}
QString HostSettings::userName() {
    if (!g_user.isEmpty())
        return g_user;
    const QString env = qEnvironmentVariable("USER");
    return env.isEmpty() ? QStringLiteral("usuario") : env;
}
void HostSettings::setUserName(const QString& user) {
    g_user = user;
}
