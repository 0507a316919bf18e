#include "core/OfficeSettings.h"

#include "core/Errors.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString kGroup = QStringLiteral("geral");

QString read(const QString& file, const QString& key) {
    if (!QFileInfo::exists(file))
        return {};
    QSettings settings(file, QSettings::IniFormat);
    return settings.value(kGroup + u'/' + key).toString().trimmed();
}

} // namespace

QString OfficeSettings::systemFile() {
    const QString given = qEnvironmentVariable("ERP_SYSTEM_CONFIG");
    return given.isEmpty() ? QStringLiteral("/etc/erp-host/erp-host.conf") : given;
}

QString OfficeSettings::userFile() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("erp-host/erp-host.conf"));
}

OfficeSettings::Value OfficeSettings::value(const QString& key, const QString& commandLine) {
    if (!commandLine.trimmed().isEmpty())
        return {commandLine.trimmed(), Source::CommandLine};
    if (QString v = read(userFile(), key); !v.isEmpty())
        return {v, Source::UserFile};
    if (QString v = read(systemFile(), key); !v.isEmpty())
        return {v, Source::SystemFile};
    return {};
}

void OfficeSettings::remember(const QString& key, const QString& value) {
    const QString file = userFile();
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(kGroup + u'/' + key, value);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw EHostError(
            QStringLiteral("Não foi possível gravar as configurações em '%1': %2.")
                .arg(file, settings.status() == QSettings::AccessError
                               ? QStringLiteral("sem permissão para gravar o arquivo ou a pasta")
                               : QStringLiteral("o arquivo existente está com erro de formato")));
}
