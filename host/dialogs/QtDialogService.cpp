#include "dialogs/QtDialogService.h"

#include "forms/TApplication.h"
// TEMPORARY until the lookup, preview and designer windows land.
#if __has_include("dialogs/LookupDialog.h")
#include "dialogs/LookupDialog.h"
#define HAS_LOOKUP 1
#endif
#if __has_include("reporting/ReportPreviewWindow.h")
#include "reporting/ReportPreviewWindow.h"
#define HAS_PREVIEW 1
#endif
#if __has_include("reporting/ReportDesignerWindow.h")
#include "reporting/ReportDesignerWindow.h"
#define HAS_DESIGNER 1
#endif

#include <QApplication>
#include <QInputDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace {
// A message box with one OK button; Enter and Esc both close it.
void message(QMessageBox::Icon icon, const QString& title, const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, QtDialogService::dialogParent());
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}
} // namespace

QWidget* QtDialogService::dialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return TApplication::instance().mainWindow();
}

void QtDialogService::showError(const QString& text) {
    message(QMessageBox::Critical, QStringLiteral("Erro"), text);
}

void QtDialogService::showInformation(const QString& text) {
    message(QMessageBox::Information, QStringLiteral("Informação"), text);
}

std::optional<QStringList> QtDialogService::chooseFromList(const LookupRequest& request) {
#ifdef HAS_LOOKUP
    return LookupDialog::run(request, dialogParent());
#else
    showError(QStringLiteral("Lista indisponível."));
    return std::nullopt;
#endif
}

std::optional<QString> QtDialogService::promptText(const QString& caption, const QString& prompt,
                                                   const QString& initial) {
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setMinimumWidth(420);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

bool QtDialogService::setupPrinter(QPrinter& printer) {
    // A PDF file has no driver options to set; its page set-up is all there is to choose.
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        QPageSetupDialog dialog(&printer, dialogParent());
        dialog.setWindowTitle(QStringLiteral("Configurar página"));
        return dialog.exec() == QDialog::Accepted;
    }
    QPrintDialog dialog(&printer, dialogParent());
    dialog.setWindowTitle(QStringLiteral("Configurar impressora"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

void QtDialogService::previewReport(ReportDocument& document) {
#ifdef HAS_PREVIEW
    ReportPreviewWindow::exec(document, dialogParent());
#else
    showError(QStringLiteral("Visualização indisponível."));
#endif
}

bool QtDialogService::editReport(ReportEditRequest& request) {
#ifdef HAS_DESIGNER
    return ReportDesignerWindow::exec(request, dialogParent());
#else
    showError(QStringLiteral("Editor indisponível."));
    return false;
#endif
}
