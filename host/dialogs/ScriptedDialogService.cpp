#include "dialogs/ScriptedDialogService.h"

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

bool ScriptedDialogService::setupPrinter(QPrinter& printer) {
    shown.push_back({"printer", {}});
    return onPrinter ? onPrinter(printer) : false;
}

void ScriptedDialogService::previewReport(ReportDocument& document) {
    shown.push_back({"preview", {}});
    if (onPreview)
        onPreview(document);
}

bool ScriptedDialogService::editReport(ReportEditRequest& request) {
    shown.push_back({"edit", {}});
    return onEdit ? onEdit(request) : false;
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
