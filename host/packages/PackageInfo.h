#pragma once
// What a plug-in module exports, unmangled: IniProc (open its screen), Initialize and Finalize (run
// its units' initialisation and finalisation) and GetPackageInfoTable (its unit table).
extern "C" {
struct PackageUnit {
    const char* name;
    void (*initialization)();
    void (*finalization)();
};
struct PackageInfoTable {
    int unitCount;
    const PackageUnit* units;
};
typedef void (*IniProcFn)();
typedef void (*InitializeFn)();
typedef void (*FinalizeFn)();
typedef const PackageInfoTable* (*GetPackageInfoTableFn)();
}
