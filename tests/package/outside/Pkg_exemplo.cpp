// The smallest module, one screen. DECLARED_INTERFACE states another interface version than the
// headers'; UNVERSIONED makes a module from before the table carried one.
#include "TfrmExemplo.h"
#include "forms/TApplication.h"
#include "packages/ModuleRegistry.h"
#include "packages/PackageInfo.h"

#define EXPORTED extern "C" __attribute__((visibility("default")))

namespace {
void Nothing() {}
const PackageUnit Units[] = {{"Pkg_exemplo", &Nothing, &Nothing}};
struct Attachment { // joins the host's module list while mapped, as every module does
    Attachment() { ModuleRegistry::attach("Pkg_exemplo", &Units); }
    ~Attachment() { ModuleRegistry::detach("Pkg_exemplo"); }
} attachment;
} // namespace

EXPORTED void IniProc() {
    TfrmExemplo* form = nullptr;
    TApplication::instance().CreateForm(form);
    form->Show();
}
EXPORTED void Initialize() {}
EXPORTED void Finalize() {}

#if defined(UNVERSIONED)
const struct {
    int unitCount;
    const PackageUnit* units;
} InfoTable = {1, Units};
EXPORTED const void* GetPackageInfoTable() {
    return &InfoTable;
}
#else
#ifdef DECLARED_INTERFACE
const PackageInfoTable InfoTable = {{DECLARED_INTERFACE}, 1, Units};
#else
const PackageInfoTable InfoTable = PACKAGE_INFO_TABLE(Units);
#endif
PACKAGE_EXPORT_INFO_TABLE(InfoTable)
#endif
