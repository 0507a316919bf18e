#include "HostStartup.h"

#include "core/HostSettings.h"
#include "core/OfficeSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <pwd.h>
#include <unistd.h>

namespace HostStartup {

void printLine(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    if (!text.endsWith('\n'))
        std::fputc('\n', stream);
    std::fflush(stream);
}

void installQtTranslations(QCoreApplication& app, const QString& language) {
    if (language == QLatin1String("en"))
        return;
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);
    for (const QString& name :
         {language == QLatin1String("pt") ? QStringLiteral("pt_BR") : language, QStringLiteral("pt_BR")}) {
        if (translator->load(QStringLiteral("qtbase_") + name, dir)) {
            app.installTranslator(translator);
            return;
        }
    }
    delete translator;
    printLine(stderr, QStringLiteral("erp-host: aviso: as traduções do Qt (qtbase_pt_BR.qm) não estão em %1 "
                                     "(pacote qt6-translations-l10n); os diálogos do Qt ficam em inglês.")
                          .arg(dir));
}

void locateData(const HostOptions& options) {
    const QDir share(
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/" ERP_SHARE_FROM_BIN)));
    if (!options.reportsDir.isEmpty())
        HostSettings::setReportsDir(options.reportsDir);
    else if (qEnvironmentVariableIsEmpty("ERP_REPORTS_DIR") && share.exists(QStringLiteral("reports")))
        HostSettings::setReportsDir(share.filePath(QStringLiteral("reports")));
    if (qEnvironmentVariableIsEmpty("ERP_DB_DIR") && share.exists(QStringLiteral("db")))
        qputenv("ERP_DB_DIR", share.filePath(QStringLiteral("db")).toLocal8Bit());
    // The office's own definitions: the settings' folder, else the one the package makes. A build
    // tree has none unless ERP_SITE_REPORTS_DIR or the settings name one.
    if (qEnvironmentVariableIsEmpty("ERP_SITE_REPORTS_DIR")) {
        const QString configured = OfficeSettings::value(QStringLiteral("relatorios")).value;
        const QString packaged = QStringLiteral("/var/lib/erp-host/reports");
        if (!configured.isEmpty())
            HostSettings::setSiteReportsDir(configured);
        else if (share.exists(QStringLiteral("reports")) && QFileInfo(packaged).isDir())
            HostSettings::setSiteReportsDir(packaged);
    }
}

void findUserName() {
    if (qEnvironmentVariableIsEmpty("USER"))
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name)
            HostSettings::setUserName(QString::fromLocal8Bit(pw->pw_name));
}

QStringList moduleCandidates(const QString& modulesDir) {
    const QString file = QStringLiteral("Pkg_qmt31800.so");
    if (!modulesDir.isEmpty())
        return {QDir(modulesDir).filePath(file)};
    const QDir bin(QCoreApplication::applicationDirPath());
    return {QDir::cleanPath(bin.filePath(QStringLiteral("../modules/") + file)),
            QDir::cleanPath(bin.filePath(QStringLiteral(ERP_MODULES_FROM_BIN "/") + file))};
}

} // namespace HostStartup
