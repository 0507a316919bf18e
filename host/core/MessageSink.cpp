#include "core/MessageSink.h"

#include "core/ServiceSlot.h"

#include <QtGlobal>

namespace {
// Nothing modal can block before the application has installed its sink: messages are logged.
class LogSink : public MessageSink {
public:
    void showError(const QString& text) override { qWarning("erro: %s", qPrintable(text)); }
    void showInformation(const QString& text) override { qInfo("%s", qPrintable(text)); }
    std::optional<QString> promptText(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};
using Slot = ServiceSlot<MessageSink, LogSink>;
} // namespace

MessageSink::~MessageSink() = default;

std::optional<Credentials> MessageSink::promptLogin(const QString&, const QString&, const QString&) {
    return std::nullopt;
}

bool MessageSink::confirm(const QString&, const QString&, const QString&) {
    return false;
}

void MessageSink::showStatus(const QString& text) {
    qInfo("%s", qPrintable(text));
}

MessageSink& MessageSink::instance() {
    return Slot::get();
}

std::unique_ptr<MessageSink> MessageSink::install(std::unique_ptr<MessageSink> sink) {
    return Slot::set(std::move(sink));
}
