#pragma once
// A loaded plug-in module.
#include "host_export.h"
#include "packages/PackageInfo.h"

#include <QString>
#include <QStringList>

class HOST_EXPORT Package {
public:
    QString path; // canonical file path
    QString name; // file name without extension
    void* handle = nullptr;
    IniProcFn iniProc = nullptr;
    InitializeFn initialize = nullptr;
    FinalizeFn finalize = nullptr;
    GetPackageInfoTableFn getPackageInfoTable = nullptr;

    QStringList unitNames() const;
    // Calls the module's IniProc; its errors reach the caller.
    void IniProc() const { iniProc(); }
};
