// Pkg_exemplo: the smallest plug-in module, one screen. Built with DECLARED_INTERFACE it states
// another interface version than the headers'; with UNVERSIONED it is a module from before the
// table carried one (the old table, without the version entry).
#include "TfrmExemplo.h"
#include "forms/TApplication.h"
#include "packages/ModuleRegistry.h"
#include "packages/PackageInfo.h"

namespace {
void Nothing() {}
const PackageUnit Units[] = {{"Pkg_exemplo", &Nothing, &Nothing}};

// Mapped, the module joins the host's module list, as every module does.
struct Attachment {
    Attachment() { ModuleRegistry::attach("Pkg_exemplo", reinterpret_cast<const void*>(&Units)); }
    ~Attachment() { ModuleRegistry::detach("Pkg_exemplo"); }
} attachment;
} // namespace

#define EXPORTED extern "C" __attribute__((visibility("default")))

EXPORTED void IniProc() {
    TfrmExemplo* form = nullptr;
    TApplication::instance().CreateForm(form);
    form->Show();
}
EXPORTED void Initialize() {}
EXPORTED void Finalize() {}

#if defined(UNVERSIONED)
struct OldPackageInfoTable {
    int unitCount;
    const PackageUnit* units;
};
const OldPackageInfoTable InfoTable = {1, Units};
EXPORTED const OldPackageInfoTable* GetPackageInfoTable() {
    return &InfoTable;
}
#elif defined(DECLARED_INTERFACE)
const PackageInfoTable InfoTable = {{DECLARED_INTERFACE}, 1, Units};
PACKAGE_EXPORT_INFO_TABLE(InfoTable)
#else
const PackageInfoTable InfoTable = PACKAGE_INFO_TABLE(Units);
PACKAGE_EXPORT_INFO_TABLE(InfoTable)
#endif
