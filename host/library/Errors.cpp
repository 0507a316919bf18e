#include "library/Errors.h"

#include "dialogs/DialogService.h"

namespace {
QString g_filial;
}

void MensErro(const QString& text, bool abort) {
    DialogService::instance().showError(text);
    if (abort)
        throw EAbort();
}

void Abort() { throw EAbort(); }

bool EmptyString(const QString& text) {
    for (QChar c : text)
        if (!c.isSpace())
            return false;
    return true;
}

QString FiliProc() { return g_filial; }
void SetFilial(const QString& code) { g_filial = code; }
