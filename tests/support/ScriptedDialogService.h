#pragma once
// The host's modal services for tests: records every request and answers from scripted callbacks.
// Without a script, a lookup is cancelled, a prompt and a login cancelled, a question answered no,
// printer set-up refused.
#include "core/MessageSink.h"
#include "dialogs/LookupService.h"
#include "reporting/ReportDialogs.h"

#include <functional>
#include <vector>

class ScriptedDialogService : public MessageSink, public LookupService, public ReportDialogs {
public:
    struct Shown {
        // "error", "information", "lookup", "prompt", "login", "confirm", "printer", "preview", "edit"
        QString kind;
        QString text;
    };

    void showError(const QString& text) override;
    void showInformation(const QString& text) override;
    std::optional<QStringList> chooseFromList(const LookupRequest& request) override;
    std::optional<QString> promptText(const QString& caption, const QString& prompt,
                                      const QString& initial) override;
    std::optional<Credentials> promptLogin(const QString& caption, const QString& prompt,
                                           const QString& initialUser) override;
    bool confirm(const QString& caption, const QString& question, const QString& yesText) override;
    bool setupPrinter(QPrinter& printer) override;
    void previewReport(ReportDocument& document) override;
    bool editReport(ReportEditRequest& request) override;
    std::optional<QString> chooseExportFile(const QString& caption, const QString& suggestedName,
                                            const QString& filter) override;

    std::vector<Shown> shown;
    std::vector<LookupRequest> lookups;
    std::function<std::optional<QStringList>(const LookupRequest&)> onLookup;
    std::function<std::optional<QString>(const QString& caption, const QString& prompt)> onPrompt;
    std::function<std::optional<Credentials>(const QString& prompt)> onLogin;
    std::function<bool(const QString& question)> onConfirm; // none: no
    std::function<bool(QPrinter&)> onPrinter;
    std::function<void(ReportDocument&)> onPreview;
    std::function<bool(ReportEditRequest&)> onEdit;
    std::function<std::optional<QString>(const QString& suggestedName)> onExportFile;
    std::function<void(const QString&)> onError; // runs while the "message box" is up

    QStringList errors() const;
    void clear();

    // Installs forwarders to service as the host's message sink, lookup and report dialogs.
    static void installFor(ScriptedDialogService& service);
};
