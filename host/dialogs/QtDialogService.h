#pragma once
// The application's dialog service: real Qt dialogs, each parented to the active window so it is
// modal to it and centred over it. Installed by erp-host with DialogService::install.
#include "dialogs/DialogService.h"

class QtDialogService : public DialogService {
public:
    void showError(const QString& text) override;
    void showInformation(const QString& text) override;
    std::optional<QStringList> chooseFromList(const LookupRequest& request) override;
    std::optional<QString> promptText(const QString& caption, const QString& prompt,
                                      const QString& initial) override;
    bool setupPrinter(QPrinter& printer) override;
    void previewReport(ReportDocument& document) override;
    bool editReport(ReportEditRequest& request) override;

    // The window the dialogs belong to: the active modal dialog or window, else the main window.
    static QWidget* dialogParent();
};
