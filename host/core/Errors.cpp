#include "core/Errors.h"

#include "core/MessageSink.h"

void MensErro(const QString& text, bool abort) {
    MessageSink::instance().showError(text);
    if (abort)
        throw EAbort();
}

void Abort() {
    throw EAbort();
}
