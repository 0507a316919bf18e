#pragma once
// What both real-window tests need: a folder for their artefacts and the tools of an X session.
#include <QDir>
#include <QStandardPaths>
#include <QString>
#include <initializer_list>

namespace WindowTools {

// build/<preset>/artifacts/<name>, created on first use.
inline QString artefactsDir(const QString& name) {
    const QString dir = QStringLiteral(ERP_BINARY_DIR "/artifacts/") + name;
    QDir().mkpath(dir);
    return dir;
}

// The first of the programs that is not installed, as a reason to skip; empty when all are there.
inline QString missingProgram(std::initializer_list<const char*> programs) {
    for (const char* tool : programs)
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return QStringLiteral("%1 is not installed (scripts/install-deps.sh)").arg(QLatin1String(tool));
    return {};
}

} // namespace WindowTools
