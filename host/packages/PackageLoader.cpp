#include "packages/PackageLoader.h"

#include "core/Errors.h"
#include "core/MessageSink.h"
#include "forms/ClassRegistry.h"
#include "forms/TApplication.h"
#include "packages/ModuleRegistry.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <dlfcn.h>

namespace {
QString versionText(int major, int minor) {
    return QStringLiteral("%1.%2").arg(major).arg(minor);
}

// Why the module behind handle cannot be used with this host; empty when it can.
QString interfaceRefusal(void* handle, const QString& file) {
    const QString host = versionText(HOST_INTERFACE_MAJOR, HOST_INTERFACE_MINOR);
    const QString what = QStringLiteral("Instale a versão do módulo feita para este sistema.");
    auto* getVersion =
        reinterpret_cast<GetPackageInterfaceVersionFn>(dlsym(handle, "GetPackageInterfaceVersion"));
    if (!getVersion) {
        // A module older than the versioned interface exports the other four entries only.
        if (!dlsym(handle, "GetPackageInfoTable"))
            return {};
        return QStringLiteral("O módulo '%1' foi feito para uma versão do sistema anterior à interface "
                              "versionada; este sistema tem a interface %2. %3")
            .arg(file, host, what);
    }
    const PackageInterfaceVersion module = getVersion();
    if (module.major == HOST_INTERFACE_MAJOR && module.minor <= HOST_INTERFACE_MINOR)
        return {};
    return QStringLiteral("O módulo '%1' foi feito para a interface %2 do sistema; este sistema tem a "
                          "interface %3. %4")
        .arg(file, versionText(module.major, module.minor), host, what);
}
} // namespace

PackageLoader& PackageLoader::instance() {
    static PackageLoader loader;
    return loader;
}

Package& PackageLoader::load(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw EHostError(QStringLiteral("Módulo '%1' não encontrado.").arg(path));
    const QString canonical = info.canonicalFilePath();
    if (Package* p = find(canonical))
        return *p;
    TApplication::instance().initialise();
    ModuleRegistry::setLoadingPath(info.absoluteFilePath());
    void* handle = dlopen(canonical.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    ModuleRegistry::setLoadingPath(QString());
    if (!handle)
        throw EHostError(QStringLiteral("O arquivo '%1' não é um módulo: %2")
                             .arg(canonical, QString::fromLocal8Bit(dlerror())));
    // The interface version is asked for before anything else of the module is called or read:
    // everything after this point assumes the module was built against this host's headers. (Its
    // static initialisers have run with dlopen; dlclose runs their counterparts.)
    if (const QString refusal = interfaceRefusal(handle, canonical); !refusal.isEmpty()) {
        dlclose(handle);
        throw EHostError(refusal);
    }
    auto pkg = std::make_unique<Package>();
    pkg->path = canonical;
    pkg->name = info.completeBaseName();
    pkg->handle = handle;
    QStringList missing;
    auto sym = [&](const char* name) {
        void* s = dlsym(handle, name);
        if (!s)
            missing << QString::fromLatin1(name);
        return s;
    };
    pkg->iniProc = reinterpret_cast<IniProcFn>(sym("IniProc"));
    pkg->initialize = reinterpret_cast<InitializeFn>(sym("Initialize"));
    pkg->finalize = reinterpret_cast<FinalizeFn>(sym("Finalize"));
    pkg->getPackageInfoTable = reinterpret_cast<GetPackageInfoTableFn>(sym("GetPackageInfoTable"));
    if (!missing.isEmpty()) {
        dlclose(handle);
        throw EHostError(QStringLiteral("O módulo '%1' não exporta: %2.").arg(canonical, missing.join(", ")));
    }
    try {
        pkg->initialize();
    } catch (...) {
        dlclose(handle);
        throw;
    }
    // A broken translation does not stop the module; the user learns why the screens are not in
    // the language asked for.
    if (const QString error = ModuleRegistry::languageError(pkg->name); !error.isEmpty())
        MessageSink::instance().showError(error);
    m_packages.push_back(std::move(pkg));
    return *m_packages.back();
}

QList<TForm*> PackageLoader::formsOf(const Package& package) const {
    QList<TForm*> out;
    for (TForm* f : TApplication::instance().forms()) {
        Dl_info dl{};
        if (dladdr(static_cast<const void*>(f->metaObject()), &dl) && dl.dli_fname &&
            QFileInfo(QString::fromLocal8Bit(dl.dli_fname)).canonicalFilePath() == package.path)
            out << f;
    }
    return out;
}

void PackageLoader::unload(Package& package) {
    for (TForm* f : formsOf(package)) {
        // Closing runs the form's own close handling; what it refuses to release goes anyway.
        QPointer<TForm> form = f;
        form->Close();
        if (form) {
            if (form->subWindow())
                form->subWindow()->deleteLater();
            else
                form->deleteLater();
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ClassRegistry::instance().removeOwnedBy(package.name);
    package.finalize();
    dlclose(package.handle);
    for (auto it = m_packages.begin(); it != m_packages.end(); ++it)
        if (it->get() == &package) {
            m_packages.erase(it);
            break;
        }
}

void PackageLoader::unloadAll() {
    while (!m_packages.empty())
        unload(*m_packages.back());
}

Package* PackageLoader::find(const QString& nameOrPath) {
    for (auto& p : m_packages)
        if (p->name == nameOrPath || p->path == nameOrPath)
            return p.get();
    return nullptr;
}

QList<Package*> PackageLoader::loaded() const {
    QList<Package*> out;
    for (auto& p : m_packages)
        out << p.get();
    return out;
}
