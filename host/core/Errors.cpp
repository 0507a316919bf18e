#include "core/Errors.h"

#include "core/MessageSink.h"

const char* EAbort::what() const noexcept {
    return "EAbort";
}

const char* EHostError::what() const noexcept {
    return m_utf8.c_str();
}

void MensErro(const QString& text, bool abort) {
    MessageSink::instance().showError(text);
    if (abort)
        throw EAbort();
}

void Abort() {
    throw EAbort();
}
