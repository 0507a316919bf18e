#include "library/FiliProc.h"

namespace {
QString g_filial;
}

QString FiliProc() {
    return g_filial;
}
void SetFilial(const QString& code) {
    g_filial = code;
}
