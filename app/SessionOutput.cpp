#include "SessionOutput.h"

#include <cstdio>

namespace SessionOutput {

void trace(const QString& line) {
    std::fprintf(stderr, "erp-host: %s\n", line.simplified().toLocal8Bit().constData());
    std::fflush(stderr);
}

void fact(const QStringList& fields) {
    std::fprintf(stdout, "%s\n", fields.join('\t').toUtf8().constData());
    std::fflush(stdout);
}

} // namespace SessionOutput
