#include "dialogs/QtDialogService.h"

#include "dialogs/LookupDialog.h"
#include "forms/TApplication.h"
#include "reporting/ReportDesignerWindow.h"
#include "reporting/ReportPreviewWindow.h"

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
    return LookupDialog::run(request, dialogParent());
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
    ReportPreviewWindow::exec(document, dialogParent());
}

bool QtDialogService::editReport(ReportEditRequest& request) {
    return ReportDesignerWindow::exec(request, dialogParent());
}
