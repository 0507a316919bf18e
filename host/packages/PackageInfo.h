#pragma once
// What a plug-in module exports, unmangled: IniProc (open its screen), Initialize and Finalize (run
// its units' initialisation and finalisation), GetPackageInfoTable (its unit table) and
// GetPackageInterfaceVersion (the version of the host's module interface it was built against).
//
// The module interface is the set of headers installed under include/erp-host. Its major version
// changes whenever a module built against the old headers could misbehave with the new host (a class
// a module derives from or calls changes its layout, a member goes); the minor version when something
// is only added. The loader takes a module of its own major version and of a minor version no newer
// than its own.
//
// A module is compiled against <prefix>/include/erp-host alone and linked with libhost, with hidden
// visibility (it exports these entries and its screen classes) and -fno-gnu-unique, so that unloading
// it really unmaps it.
#define HOST_INTERFACE_MAJOR 1
#define HOST_INTERFACE_MINOR 0

extern "C" {
struct PackageInterfaceVersion {
    int major;
    int minor;
};
struct PackageUnit {
    const char* name;
    void (*initialization)();
    void (*finalization)();
};
struct PackageInfoTable {
    PackageInterfaceVersion interfaceVersion;
    int unitCount;
    const PackageUnit* units;
};
typedef void (*IniProcFn)();
typedef void (*InitializeFn)();
typedef void (*FinalizeFn)();
typedef const PackageInfoTable* (*GetPackageInfoTableFn)();
typedef PackageInterfaceVersion (*GetPackageInterfaceVersionFn)();
}

// The unit table of a module, stamped with the interface version of the headers it is compiled with:
//   const PackageInfoTable InfoTable = PACKAGE_INFO_TABLE(Units);
#define PACKAGE_INFO_TABLE(units)                                                                            \
    { {HOST_INTERFACE_MAJOR, HOST_INTERFACE_MINOR}, int(sizeof(units) / sizeof((units)[0])), (units) }

// Exports the table and its interface version. The loader asks for the version first, through an
// entry of its own: a module built before the table carried one lacks that entry and is refused
// without its table (of another layout) being read.
#define PACKAGE_EXPORT_INFO_TABLE(table)                                                                     \
    extern "C" __attribute__((visibility("default"))) PackageInterfaceVersion GetPackageInterfaceVersion() { \
        return (table).interfaceVersion;                                                                     \
    }                                                                                                        \
    extern "C" __attribute__((visibility("default"))) const PackageInfoTable* GetPackageInfoTable() {        \
        return &(table);                                                                                     \
    }
