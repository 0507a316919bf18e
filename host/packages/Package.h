#pragma once
// A loaded plug-in module.
#include "packages/PackageInfo.h"

#include <QString>
#include <QStringList>

class Package {
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
