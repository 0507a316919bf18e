#pragma once
// Wraps a message sink so that every message shown also goes to stderr, one line each: an
// unattended run leaves a trace of what the user would have read.
#include "core/MessageSink.h"

#include <functional>
#include <memory>

class LoggingMessageSink : public MessageSink {
public:
    // errorShown, when given, hears of every error before it is shown.
    explicit LoggingMessageSink(std::unique_ptr<MessageSink> inner,
                                std::function<void(const QString&)> errorShown = {});

    void showError(const QString& text) override;
    void showInformation(const QString& text) override;
    std::optional<QString> promptText(const QString& caption, const QString& prompt,
                                      const QString& initial) override;
    std::optional<Credentials> promptLogin(const QString& caption, const QString& prompt,
                                           const QString& initialUser) override;
    bool confirm(const QString& caption, const QString& question, const QString& yesText) override;
    void showStatus(const QString& text) override;

private:
    std::unique_ptr<MessageSink> m_inner;
    std::function<void(const QString&)> m_errorShown;
};
