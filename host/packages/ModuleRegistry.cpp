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
    QString languageError;  // why the language module beside it could not be used
    QStringList overridden; // form classes whose resource came from the language module
};
QHash<QString, Attached>& modules() {
    static QHash<QString, Attached> m;
    return m;
}
QString& loadingPath() {
    static QString path;
    return path;
}
QString& sessionLanguage() {
    static QString lang = QStringLiteral("pt");
    return lang;
}

// A language resource module is a JSON object: {"forms": {"<FormClass>": {...form resource...}}}.
// One that cannot be read is not used at all, and the reason is kept to be reported.
QStringList loadLanguageModule(const QString& path, QString& error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = f.errorString();
        return {};
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &parse);
    if (parse.error != QJsonParseError::NoError) {
        error = QStringLiteral("JSON inválido na posição %1: %2").arg(parse.offset).arg(parse.errorString());
        return {};
    }
    const QJsonValue forms = doc.object().value("forms");
    if (!forms.isObject()) {
        error = QStringLiteral("falta o objeto \"forms\"");
        return {};
    }
    QStringList classes;
    const QJsonObject byClass = forms.toObject();
    for (auto it = byClass.begin(); it != byClass.end(); ++it)
        if (!it.value().isObject()) {
            error = QStringLiteral("o formulário '%1' não é um objeto").arg(it.key());
            return {};
        }
    for (auto it = byClass.begin(); it != byClass.end(); ++it) {
        FormReader::setResourceOverride(it.key(), QJsonDocument(it.value().toObject()).toJson(), path);
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
    if (lang != QLatin1String("pt")) {
        // Beside the module as the host was asked to load it (a link, say) first, then beside the
        // file the link leads to.
        for (const QString& file : {loadingPath(), a.file}) {
            const QString candidate = file + '.' + lang;
            if (file.isEmpty() || !QFile::exists(candidate))
                continue;
            a.languageFile = candidate;
            a.overridden = loadLanguageModule(candidate, a.languageError);
            if (!a.languageError.isEmpty())
                a.languageError = QStringLiteral("O módulo de idioma '%1' não pôde ser usado (%2); as telas "
                                                 "aparecem em português.")
                                      .arg(candidate, a.languageError);
            break;
        }
    }
    modules().insert(QString::fromLatin1(name), a);
}

void ModuleRegistry::detach(const char* name) {
    const Attached a = modules().take(QString::fromLatin1(name));
    for (const QString& cls : a.overridden)
        FormReader::clearResourceOverride(cls);
}

void ModuleRegistry::setLoadingPath(const QString& path) {
    loadingPath() = path;
}
QString ModuleRegistry::languageError(const QString& name) {
    return modules().value(name).languageError;
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
