#include "desktop/QtDialogs.h"

#include "core/MessageSink.h"
#include "dialogs/LookupDialog.h"
#include "dialogs/LookupService.h"
#include "forms/TApplication.h"
#include "reporting/ReportDialogs.h"
#include "reporting/ReportPreviewWindow.h"
#include "reporting/editor/ReportDesignerWindow.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <algorithm>

namespace {

// A message is read with the normal cursor, also when it interrupts a busy action such as opening a
// screen under the hourglass; the action does not set the hourglass again after it.
void normalCursor() {
    TApplication& app = TApplication::instance();
    if (app.screenCursor() != HostCursor::crDefault)
        app.setScreenCursor(HostCursor::crDefault);
}

// A message box with one OK button; Enter and Esc both close it.
void message(QMessageBox::Icon icon, const QString& title, const QString& text) {
    normalCursor();
    QMessageBox box(icon, title, text, QMessageBox::Ok, QtDialogs::dialogParent());
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

class QtMessageSink : public MessageSink {
public:
    void showError(const QString& text) override {
        message(QMessageBox::Critical, QStringLiteral("Erro"), text);
    }
    void showInformation(const QString& text) override {
        message(QMessageBox::Information, QStringLiteral("Informação"), text);
    }
    std::optional<QString> promptText(const QString& caption, const QString& prompt,
                                      const QString& initial) override {
        normalCursor();
        QInputDialog dialog(QtDialogs::dialogParent());
        dialog.setWindowTitle(caption);
        dialog.setLabelText(prompt);
        dialog.setTextValue(initial);
        dialog.setInputMode(QInputDialog::TextInput);
        // Wide enough for the whole suggested text (a report title), so its start is not scrolled
        // out of the edit; never wider than most of the screen.
        const QFontMetrics metrics(dialog.font());
        const int wanted =
            std::max({420, metrics.horizontalAdvance(initial) + 80, metrics.horizontalAdvance(prompt) + 40});
        const QScreen* screen = QtDialogs::dialogParent() ? QtDialogs::dialogParent()->screen() : nullptr;
        dialog.resize(screen ? std::min(wanted, screen->availableGeometry().width() * 4 / 5) : wanted,
                      dialog.sizeHint().height());
        dialog.setMinimumWidth(dialog.width());
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.textValue();
    }
    void showStatus(const QString& text) override {
        // The main window's status bar keeps the line until the next one; without a window, the log.
        if (QMainWindow* window = TApplication::instance().mainWindow())
            window->statusBar()->showMessage(text, 20000); // then the session's labels again
        else
            MessageSink::showStatus(text);
    }
    bool confirm(const QString& caption, const QString& question, const QString& yesText) override {
        normalCursor();
        QMessageBox box(QMessageBox::Question, caption, question, QMessageBox::NoButton,
                        QtDialogs::dialogParent());
        QPushButton* yes = box.addButton(yesText, QMessageBox::AcceptRole);
        QPushButton* no = box.addButton(QStringLiteral("Cancelar"), QMessageBox::RejectRole);
        // Enter and Esc keep the files as they are.
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    }
    std::optional<Credentials> promptLogin(const QString& caption, const QString& prompt,
                                           const QString& initialUser) override {
        QDialog dialog(QtDialogs::dialogParent());
        dialog.setObjectName(QStringLiteral("dlgLogin"));
        dialog.setWindowTitle(caption);
        dialog.setMinimumWidth(420);
        auto* layout = new QFormLayout(&dialog);
        auto* text = new QLabel(prompt, &dialog);
        text->setWordWrap(true);
        layout->addRow(text);
        auto* user = new QLineEdit(initialUser, &dialog);
        user->setObjectName(QStringLiteral("edtUsuario"));
        auto* password = new QLineEdit(&dialog);
        password->setObjectName(QStringLiteral("edtSenha"));
        password->setEchoMode(QLineEdit::Password);
        layout->addRow(QStringLiteral("&Usuário:"), user);
        layout->addRow(QStringLiteral("&Senha:"), password);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Conectar"));
        buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
        layout->addRow(buttons);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        // The user is usually known; the cursor waits where the typing starts.
        (initialUser.isEmpty() ? user : password)->setFocus();
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return Credentials{user->text().trimmed(), password->text()};
    }
};

class QtLookupService : public LookupService {
public:
    std::optional<QStringList> chooseFromList(const LookupRequest& request) override {
        return LookupDialog::run(request, QtDialogs::dialogParent());
    }
};

class QtReportDialogs : public ReportDialogs {
public:
    bool setupPrinter(QPrinter& printer) override {
        // A PDF file has no driver options to set; its page set-up is all there is to choose.
        if (printer.outputFormat() == QPrinter::PdfFormat) {
            QPageSetupDialog dialog(&printer, QtDialogs::dialogParent());
            dialog.setWindowTitle(QStringLiteral("Configurar página"));
            return dialog.exec() == QDialog::Accepted;
        }
        QPrintDialog dialog(&printer, QtDialogs::dialogParent());
        dialog.setWindowTitle(QStringLiteral("Configurar impressora"));
        dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
        return dialog.exec() == QDialog::Accepted;
    }
    bool setupPrint(QPrinter& printer, int pageCount) override {
        QPrintDialog dialog(&printer, QtDialogs::dialogParent());
        dialog.setWindowTitle(QStringLiteral("Imprimir - %1").arg(printer.docName()));
        dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                          QAbstractPrintDialog::PrintCurrentPage | QAbstractPrintDialog::PrintCollateCopies |
                          QAbstractPrintDialog::PrintShowPageSize);
        dialog.setMinMax(1, qMax(1, pageCount));
        return dialog.exec() == QDialog::Accepted;
    }
    void previewReport(ReportDocument& document) override {
        ReportPreviewWindow::exec(document, QtDialogs::dialogParent());
    }
    bool editReport(ReportEditRequest& request) override {
        return ReportDesignerWindow::exec(request, QtDialogs::dialogParent());
    }
    std::optional<QString> chooseExportFile(const QString& caption, const QString& suggestedName,
                                            const QString& filter) override {
        // A bare name starts in the user's documents (the home folder when there is none), never in
        // whatever folder the program happened to be started from.
        QString start = suggestedName;
        if (QFileInfo(start).isRelative()) {
            QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
            if (!QFileInfo(documents).isDir())
                documents = QDir::homePath();
            start = QDir(documents).filePath(start);
        }
        const QString path = QFileDialog::getSaveFileName(QtDialogs::dialogParent(), caption, start, filter);
        if (path.isEmpty())
            return std::nullopt;
        return path;
    }
};

} // namespace

std::unique_ptr<MessageSink> QtDialogs::messageSink() {
    return std::make_unique<QtMessageSink>();
}

void QtDialogs::install(std::unique_ptr<MessageSink> messages) {
    MessageSink::install(messages ? std::move(messages) : messageSink());
    LookupService::install(std::make_unique<QtLookupService>());
    ReportDialogs::install(std::make_unique<QtReportDialogs>());
}

QWidget* QtDialogs::dialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return TApplication::instance().mainWindow();
}
