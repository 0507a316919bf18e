#pragma once
// The host runtime's list of mapped modules. A module attaches when its file is mapped into the
// process and detaches when it is unmapped; on attach the host looks for a language resource module
// beside it (the module's file name plus "." and the session's language, e.g. "Pkg_qmt31800.so.en")
// and, when there is one, its form resources replace the module's own.
#include "host_export.h"
#include <QString>
#include <QStringList>

namespace ModuleRegistry HOST_EXPORT {
void attach(const char* name, const void* addressInModule);
void detach(const char* name);
QStringList attached();
// The session's interface language: "pt" unless the host says otherwise.
QString language();
void setLanguage(const QString& language);
// The language resource module in use for a module, or empty.
QString languageModule(const QString& name);
// Why the language module found beside a module could not be used; empty when it was.
QString languageError(const QString& name);
// The module file as the loader was given it, before links are resolved (empty after the load).
void setLoadingPath(const QString& path);
} // namespace ModuleRegistry
