#include "support/ScriptedDialogService.h"
#include "reporting/ReportDocument.h"

void ScriptedDialogService::showError(const QString& text) {
    shown.push_back({"error", text});
    if (onError)
        onError(text);
}

void ScriptedDialogService::showInformation(const QString& text) {
    shown.push_back({"information", text});
}

std::optional<QStringList> ScriptedDialogService::chooseFromList(const LookupRequest& request) {
    shown.push_back({"lookup", request.title});
    lookups.push_back(request);
    if (onLookup)
        return onLookup(request);
    return std::nullopt;
}

std::optional<QString> ScriptedDialogService::promptText(const QString& caption, const QString& prompt,
                                                         const QString& initial) {
    shown.push_back({"prompt", prompt});
    if (onPrompt)
        return onPrompt(caption, prompt);
    return std::nullopt;
}

std::optional<Credentials> ScriptedDialogService::promptLogin(const QString&, const QString& prompt,
                                                              const QString&) {
    shown.push_back({"login", prompt});
    if (onLogin)
        return onLogin(prompt);
    return std::nullopt;
}

bool ScriptedDialogService::confirm(const QString&, const QString& question, const QString&) {
    shown.push_back({"confirm", question});
    return onConfirm ? onConfirm(question) : false;
}

bool ScriptedDialogService::setupPrinter(QPrinter& printer) {
    shown.push_back({"printer", {}});
    return onPrinter ? onPrinter(printer) : false;
}

void ScriptedDialogService::previewReport(ReportDocument& document) {
    shown.push_back({"preview", {}});
    // The preview opens while the rest is still read; the checks look at the whole report.
    if (!document.waitUntilComplete())
        return;
    if (onPreview)
        onPreview(document);
}

bool ScriptedDialogService::editReport(ReportEditRequest& request) {
    shown.push_back({"edit", {}});
    return onEdit ? onEdit(request) : false;
}

std::optional<QString> ScriptedDialogService::chooseExportFile(const QString& caption,
                                                               const QString& suggestedName, const QString&) {
    shown.push_back({"file", caption});
    return onExportFile ? onExportFile(suggestedName) : std::nullopt;
}

QStringList ScriptedDialogService::errors() const {
    QStringList out;
    for (const auto& s : shown)
        if (s.kind == "error")
            out << s.text;
    return out;
}

void ScriptedDialogService::clear() {
    shown.clear();
    lookups.clear();
}

namespace {
// The host owns what is installed; the test keeps the scripted service itself.
class Forwarder : public MessageSink, public LookupService, public ReportDialogs {
public:
    explicit Forwarder(ScriptedDialogService& s) : m_s(s) {}
    void showError(const QString& text) override { m_s.showError(text); }
    void showInformation(const QString& text) override { m_s.showInformation(text); }
    std::optional<QStringList> chooseFromList(const LookupRequest& r) override {
        return m_s.chooseFromList(r);
    }
    std::optional<QString> promptText(const QString& c, const QString& p, const QString& i) override {
        return m_s.promptText(c, p, i);
    }
    std::optional<Credentials> promptLogin(const QString& c, const QString& p, const QString& u) override {
        return m_s.promptLogin(c, p, u);
    }
    bool confirm(const QString& c, const QString& q, const QString& y) override {
        return m_s.confirm(c, q, y);
    }
    bool setupPrinter(QPrinter& printer) override { return m_s.setupPrinter(printer); }
    void previewReport(ReportDocument& d) override { m_s.previewReport(d); }
    bool editReport(ReportEditRequest& r) override { return m_s.editReport(r); }
    std::optional<QString> chooseExportFile(const QString& c, const QString& n, const QString& f) override {
        return m_s.chooseExportFile(c, n, f);
    }

private:
    ScriptedDialogService& m_s;
};
} // namespace

void ScriptedDialogService::installFor(ScriptedDialogService& service) {
    MessageSink::install(std::make_unique<Forwarder>(service));
    LookupService::install(std::make_unique<Forwarder>(service));
    ReportDialogs::install(std::make_unique<Forwarder>(service));
}
