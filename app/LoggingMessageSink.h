#pragma once
// Wraps a message sink so that every message shown also goes to stderr, one line each: an
// unattended run leaves a trace of what the user would have read.
#include "core/MessageSink.h"

#include <memory>

class LoggingMessageSink : public MessageSink {
public:
    explicit LoggingMessageSink(std::unique_ptr<MessageSink> inner);

    void showError(const QString& text) override;
    void showInformation(const QString& text) override;
    std::optional<QString> promptText(const QString& caption, const QString& prompt,
                                      const QString& initial) override;
    std::optional<Credentials> promptLogin(const QString& caption, const QString& prompt,
                                           const QString& initialUser) override;

private:
    std::unique_ptr<MessageSink> m_inner;
};
