// Pkg_qmt31800: the plug-in module of the client report screen. It exports, unmangled, the entry that
// opens the screen, the package routines through which the host initialises and finalises its units, and
// its unit table with the host interface version it is built against.
#include "Cli_qmt31800.h"
#include "packages/ModuleRegistry.h"
#include "packages/PackageInfo.h"

namespace Pkg_qmt31800 {
namespace {
int InitCount = 0;
void Initialization() {
    ++InitCount;
}
void Finalization() {
    --InitCount;
}

const PackageUnit Units[] = {
    {"Cli_qmt31800", &Cli_qmt31800::Initialization, &Cli_qmt31800::Finalization},
    {"Pkg_qmt31800", &Initialization, &Finalization},
};
const PackageInfoTable InfoTable = PACKAGE_INFO_TABLE(Units);

// Process attach and detach: the module joins the host's module list (and picks up a language
// resource module lying beside it) when it is mapped, and leaves it when it is unmapped.
struct ModuleAttachment {
    ModuleAttachment() { ModuleRegistry::attach("Pkg_qmt31800", reinterpret_cast<const void*>(&InfoTable)); }
    ~ModuleAttachment() { ModuleRegistry::detach("Pkg_qmt31800"); }
} attachment;
} // namespace
} // namespace Pkg_qmt31800

extern "C" {

__attribute__((visibility("default"))) void IniProc() {
    Cli_qmt31800::CriaDadosCliente();
}

__attribute__((visibility("default"))) void Initialize() {
    for (int i = 0; i < Pkg_qmt31800::InfoTable.unitCount; ++i)
        Pkg_qmt31800::InfoTable.units[i].initialization();
}

__attribute__((visibility("default"))) void Finalize() {
    for (int i = Pkg_qmt31800::InfoTable.unitCount - 1; i >= 0; --i)
        Pkg_qmt31800::InfoTable.units[i].finalization();
}
}

PACKAGE_EXPORT_INFO_TABLE(Pkg_qmt31800::InfoTable)
