#include "packages/ModuleRegistry.h"

#include "forms/FormReader.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <dlfcn.h>

namespace {
struct Attached {
    QString file;
    QString languageFile;
    QStringList overridden; // form classes whose resource came from the language module
};
QHash<QString, Attached>& modules() {
    static QHash<QString, Attached> m;
    return m;
}
QString& sessionLanguage() {
    static QString lang = QStringLiteral("pt");
    return lang;
}

// A language resource module is a JSON object: {"forms": {"<FormClass>": {...form resource...}}}.
QStringList loadLanguageModule(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject forms = QJsonDocument::fromJson(f.readAll()).object().value("forms").toObject();
    QStringList classes;
    for (auto it = forms.begin(); it != forms.end(); ++it) {
        FormReader::setResourceOverride(it.key(), QJsonDocument(it.value().toObject()).toJson());
        classes << it.key();
    }
    return classes;
}
} // namespace

void ModuleRegistry::attach(const char* name, const void* addressInModule) {
    Attached a;
    Dl_info info{};
    if (dladdr(addressInModule, &info) && info.dli_fname)
        a.file = QString::fromLocal8Bit(info.dli_fname);
    const QString lang = language();
    if (!a.file.isEmpty() && lang != QLatin1String("pt")) {
        const QString candidate = a.file + '.' + lang;
        if (QFile::exists(candidate)) {
            a.languageFile = candidate;
            a.overridden = loadLanguageModule(candidate);
        }
    }
    modules().insert(QString::fromLatin1(name), a);
}

void ModuleRegistry::detach(const char* name) {
    const Attached a = modules().take(QString::fromLatin1(name));
    for (const QString& cls : a.overridden)
        FormReader::clearResourceOverride(cls);
}

QStringList ModuleRegistry::attached() {
    return modules().keys();
}
QString ModuleRegistry::language() {
    return sessionLanguage();
}
void ModuleRegistry::setLanguage(const QString& language) {
    sessionLanguage() = language;
}
QString ModuleRegistry::languageModule(const QString& name) {
    return modules().value(name).languageFile;
}
