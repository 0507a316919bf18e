#pragma once
// Loads and unloads plug-in modules: dlopen, refuse a module built for another interface version
// (before any of its entries is called), check the four exports, register the module in the host's
// module list, Initialize. Unloading closes every form the module created, flushes deferred deletes,
// unregisters the module's classes, runs Finalize and dlcloses it.
#include "host_export.h"
#include "packages/Package.h"

#include <QList>
#include <memory>
#include <vector>

class TForm;

class HOST_EXPORT PackageLoader {
public:
    static PackageLoader& instance();

    // Throws EHostError naming the file and what is missing; nothing is left half-loaded.
    Package& load(const QString& path);
    void unload(Package& package);
    void unloadAll();

    Package* find(const QString& nameOrPath);
    QList<Package*> loaded() const;

    // The forms whose class lives in the package's file.
    QList<TForm*> formsOf(const Package& package) const;

private:
    std::vector<std::unique_ptr<Package>> m_packages;
};
