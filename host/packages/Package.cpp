#include "packages/Package.h"

QStringList Package::unitNames() const {
    QStringList out;
    if (const PackageInfoTable* t = getPackageInfoTable ? getPackageInfoTable() : nullptr)
        for (int i = 0; i < t->unitCount; ++i)
            out << QString::fromLatin1(t->units[i].name);
    return out;
}
