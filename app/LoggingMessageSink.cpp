#include "LoggingMessageSink.h"

#include "SessionOutput.h"

LoggingMessageSink::LoggingMessageSink(std::unique_ptr<MessageSink> inner,
                                       std::function<void(const QString&)> errorShown)
    : m_inner(std::move(inner)), m_errorShown(std::move(errorShown)) {}

void LoggingMessageSink::showError(const QString& text) {
    SessionOutput::trace(QStringLiteral("erro: ") + text);
    if (m_errorShown)
        m_errorShown(text);
    m_inner->showError(text);
}

void LoggingMessageSink::showInformation(const QString& text) {
    SessionOutput::trace(QStringLiteral("informação: ") + text);
    m_inner->showInformation(text);
}

std::optional<QString> LoggingMessageSink::promptText(const QString& caption, const QString& prompt,
                                                      const QString& initial) {
    return m_inner->promptText(caption, prompt, initial);
}

std::optional<Credentials> LoggingMessageSink::promptLogin(const QString& caption, const QString& prompt,
                                                           const QString& initialUser) {
    // What was asked, never what was answered.
    SessionOutput::trace(QStringLiteral("login: ") + prompt);
    return m_inner->promptLogin(caption, prompt, initialUser);
}

bool LoggingMessageSink::confirm(const QString& caption, const QString& question, const QString& yesText) {
    SessionOutput::trace(QStringLiteral("pergunta: ") + question);
    return m_inner->confirm(caption, question, yesText);
}

void LoggingMessageSink::showStatus(const QString& text) {
    SessionOutput::trace(QStringLiteral("status: ") + text);
    m_inner->showStatus(text);
}
