#pragma once
// Where the host's messages and prompts go: every error the guard or MensErro reports, every
// information and every line of text asked of the user. The application installs one that shows
// Qt dialogs; until then, and in unattended runs, messages go to the log and prompts are cancelled.
#include "host_export.h"
#include <QString>
#include <memory>
#include <optional>

// What a login asks: a user and a password, for one connection.
struct Credentials {
    QString user;
    QString password;
};

class HOST_EXPORT MessageSink {
public:
    virtual ~MessageSink();

    virtual void showError(const QString& text) = 0;
    virtual void showInformation(const QString& text) = 0;
    // A line of text, or nothing when the user cancelled.
    virtual std::optional<QString> promptText(const QString& caption, const QString& prompt,
                                              const QString& initial) = 0;
    // A user and a password (the password entry masked), or nothing when the user cancelled. A
    // sink that cannot ask a person refuses, so that nothing connects with credentials nobody gave.
    virtual std::optional<Credentials> promptLogin(const QString& caption, const QString& prompt,
                                                   const QString& initialUser);

    // A question with two answers: true for yes (its button reads yesText), false for no or cancel.
    // A sink that cannot ask a person says no, so that nothing is overwritten or removed unasked.
    virtual bool confirm(const QString& caption, const QString& question, const QString& yesText);

    // A line for the main window's status bar (a file written, say): nothing to answer. Logged by
    // a sink without a window.
    virtual void showStatus(const QString& text);

    static MessageSink& instance();
    // Installs a sink (the application's or a test's); returns the previous one.
    static std::unique_ptr<MessageSink> install(std::unique_ptr<MessageSink> sink);
};
