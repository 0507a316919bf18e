#include "core/HostSettings.h"

#include <QStandardPaths>
#include <QtGlobal>
#include <optional>

namespace {
QString g_reportsDir;
std::optional<QString> g_siteReportsDir, g_userReportsDir;
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
QString HostSettings::siteReportsDir() {
    return g_siteReportsDir ? *g_siteReportsDir : qEnvironmentVariable("ERP_SITE_REPORTS_DIR");
}
void HostSettings::setSiteReportsDir(const QString& dir) {
    g_siteReportsDir = dir;
}
QString HostSettings::userReportsDir() {
    if (g_userReportsDir)
        return *g_userReportsDir;
    const QString env = qEnvironmentVariable("ERP_USER_REPORTS_DIR");
    if (!env.isEmpty())
        return env;
    // Not AppDataLocation: it follows the application's name, and the tests' programs have others.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/erp-host/reports");
}
void HostSettings::setUserReportsDir(const QString& dir) {
    g_userReportsDir = dir;
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
