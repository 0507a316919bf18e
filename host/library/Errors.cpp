#include "library/Errors.h"

#include "dialogs/DialogService.h"

void MensErro(const QString& text, bool abort) {
    DialogService::instance().showError(text);
    if (abort)
        throw EAbort();
}

void Abort() {
    throw EAbort();
}
