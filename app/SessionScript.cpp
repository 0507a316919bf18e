#include "SessionScript.h"
#include "core/RunningTask.h"

#include "MainWindow.h"
#include "SessionOutput.h"
#include "SessionProbe.h"

#include "forms/TApplication.h"
#include "library/TDateEditPlus.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressDialog>
#include <QSet>
#include <QTimer>
#include <QWindow>

using SessionOutput::trace;

namespace {

// Checks the rows of the open lookup whose first column holds one of the codes, and confirms it.
bool pick(const QStringList& codes) {
    QWidget* dialog = QApplication::activeModalWidget();
    auto* list = dialog ? dialog->findChild<QAbstractItemView*>(QStringLiteral("grdLista")) : nullptr;
    auto* ok = dialog ? dialog->findChild<QAbstractButton*>(QStringLiteral("btnOK")) : nullptr;
    if (!list || !ok || codes.isEmpty())
        return false;
    QAbstractItemModel* rows = list->model();
    QSet<QString> found;
    for (int r = 0; r < rows->rowCount(); ++r) {
        const QString code = rows->index(r, 0).data().toString();
        if (codes.contains(code)) {
            found.insert(code);
            rows->setData(rows->index(r, 0), Qt::Checked, Qt::CheckStateRole);
        }
    }
    if (found.size() != QSet<QString>(codes.begin(), codes.end()).size())
        return false;
    ok->click();
    return true;
}

int stepDelay() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("ERP_SCRIPT_DELAY", &ok);
    return ok && ms >= 0 ? ms : 300;
}

} // namespace

SessionScript SessionScript::fromEnvironment() {
    QStringList steps = qEnvironmentVariable("ERP_SCRIPT").split(';', Qt::SkipEmptyParts);
    const QString shot = qEnvironmentVariable("ERP_SCREENSHOT");
    if (!shot.isEmpty())
        steps << QStringLiteral("screenshot=") + shot << QStringLiteral("quit");
    for (QString& s : steps)
        s = s.trimmed();
    return SessionScript(steps);
}

void SessionScript::run(MainWindow& window) {
    if (!isEmpty())
        QTimer::singleShot(stepDelay(), &window, [this, &window] { next(window); });
}

namespace {

// A dialog that waits for the user's answer; the progress window of a running report does not.
bool dialogWaiting() {
    QWidget* modal = QApplication::activeModalWidget();
    return modal && !qobject_cast<QProgressDialog*>(modal);
}

} // namespace

void SessionScript::next(MainWindow& window) {
    if (m_index >= m_steps.size())
        return;
    // The step before is still at work (a report reading, a print writing its file): waited for, as
    // a person would, unless a dialog waits for an answer or this step stops the report.
    const QString verb = m_steps.at(m_index).section('=', 0, 0);
    const bool busy = !m_running.isEmpty() || RunningTask::instance().isRunning();
    if (busy && !dialogWaiting() && verb != QLatin1String("cancel")) {
        QTimer::singleShot(20, &window, [this, &window] { next(window); });
        return;
    }
    const int index = m_index++;
    const QString step = m_steps.at(index);
    // The next step is queued first: a step that opens a modal dialog only returns once it closes,
    // and the steps after it are what looks at it and closes it.
    if (m_index < m_steps.size())
        QTimer::singleShot(stepDelay(), &window, [this, &window] { next(window); });
    m_running.append(index);
    const bool done = runStep(window, step);
    m_running.removeOne(index);
    if (!done) {
        // The script cannot go on from a step it could not take.
        m_index = int(m_steps.size());
        quit(window);
    }
}

void SessionScript::failed(int index, const QString& why) {
    m_failed = true;
    trace(QStringLiteral("roteiro: passo '%1' falhou: %2").arg(m_steps.at(index), why));
}

void SessionScript::errorShown(const QString& text) {
    if (!m_running.isEmpty())
        failed(m_running.constLast(), text);
}

// Closing the window unloads the module, which must not happen under a dialog that one of its
// handlers is still showing: open dialogs are cancelled first and the close waits for them to unwind.
void SessionScript::quit(MainWindow& window) {
    if (RunningTask::instance().stopFirst(&window, [this, &window] { quit(window); }))
        return;
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        QTimer::singleShot(stepDelay(), &window, [this, &window] { quit(window); });
        return;
    }
    window.close();
    QCoreApplication::exit(exitStatus());
}

bool SessionScript::runStep(MainWindow& window, const QString& step) {
    const QString verb = step.section('=', 0, 0);
    const QString arg = step.section('=', 1);
    auto fail = [&](const QString& why) {
        failed(m_running.constLast(), why);
        return false;
    };
    TForm* form = TApplication::instance().activeForm();
    if (verb == QLatin1String("open")) {
        auto* action = window.findChild<QAction*>(QStringLiteral("actQMT31800"));
        if (!action)
            return fail(QStringLiteral("menu sem a tela"));
        action->trigger();
        return true;
    }
    if (verb == QLatin1String("menu")) {
        auto* action = window.findChild<QAction*>(arg);
        if (!action)
            return fail(QStringLiteral("o menu não tem esse item"));
        action->trigger();
        return true;
    }
    if (verb == QLatin1String("answer")) {
        // The open question: a text typed into a prompt, or the button of that caption clicked.
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* input = qobject_cast<QInputDialog*>(modal)) {
            input->setTextValue(arg);
            input->accept();
            return true;
        }
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            for (QAbstractButton* button : box->buttons())
                if (button->text().remove(u'&') == arg) {
                    button->click();
                    return true;
                }
            return fail(QStringLiteral("a pergunta não tem o botão '%1'").arg(arg));
        }
        return fail(QStringLiteral("nenhuma pergunta aberta"));
    }
    if (verb == QLatin1String("wait"))
        return true; // the pause between steps is the wait; a longer one is a few of them
    if (verb == QLatin1String("variant")) {
        auto* combo = form ? form->findChild<QComboBox*>(QStringLiteral("cbbReportNames")) : nullptr;
        bool ok = false;
        const int index = arg.toInt(&ok);
        if (!combo)
            return fail(QStringLiteral("nenhuma tela de relatório ativa"));
        if (!ok || index < 0 || index >= combo->count())
            return fail(QStringLiteral("a tela tem %1 relatórios").arg(combo->count()));
        // What a user's pick does: the entry changes, then the combo reports the activation.
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        return true;
    }
    if (verb == QLatin1String("print") || verb == QLatin1String("preview")) {
        const QString name =
            verb == QLatin1String("print") ? QStringLiteral("sbtPrint") : QStringLiteral("sbtPreview");
        auto* button = form ? form->findChild<QAbstractButton*>(name) : nullptr;
        if (!button)
            return fail(QStringLiteral("nenhuma tela de relatório ativa"));
        button->click();
        return true;
    }
    if (verb == QLatin1String("click")) {
        auto* button = form ? form->findChild<QAbstractButton*>(arg) : nullptr;
        if (!button)
            return fail(QStringLiteral("a tela ativa não tem o botão"));
        button->click();
        return true;
    }
    if (verb == QLatin1String("watch")) {
        if (!arg.isEmpty() && !QDir().mkpath(arg))
            return fail(QStringLiteral("não foi possível criar a pasta '%1'").arg(arg));
        SessionProbe::watch(window, arg);
        return true;
    }
    if (verb == QLatin1String("describe")) {
        SessionProbe::describe(window);
        return true;
    }
    if (verb == QLatin1String("cancel")) {
        if (!RunningTask::instance().isRunning())
            return fail(QStringLiteral("nenhum relatório em andamento"));
        RunningTask::instance().cancel();
        return true;
    }
    if (verb == QLatin1String("type")) {
        auto* edit = form ? form->findChild<QLineEdit*>(arg.section(':', 0, 0)) : nullptr;
        if (!edit)
            return fail(QStringLiteral("a tela ativa não tem o campo"));
        const QString text = arg.section(':', 1);
        if (auto* date = qobject_cast<TDateEditPlus*>(edit))
            text.isEmpty() ? date->Clear() : date->SetText(text);
        else
            edit->setText(text);
        return true;
    }
    if (verb == QLatin1String("pick"))
        return pick(arg.split(',', Qt::SkipEmptyParts)) ||
               fail(QStringLiteral("a lista não tem esses códigos"));
    if (verb == QLatin1String("dialog-screenshot") || verb == QLatin1String("dismiss")) {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return fail(QStringLiteral("nenhum diálogo aberto"));
        if (verb == QLatin1String("dismiss")) {
            dialog->reject();
            return true;
        }
        QDir().mkpath(QFileInfo(arg).absolutePath());
        if (arg.isEmpty() || !dialog->grab().save(arg))
            return fail(QStringLiteral("não foi possível gravar '%1'").arg(arg));
        trace(QStringLiteral("diálogo gravado em ") + QFileInfo(arg).absoluteFilePath());
        return true;
    }
    if (verb == QLatin1String("screenshot")) {
        if (arg.isEmpty())
            return fail(QStringLiteral("informe o arquivo"));
        QDir().mkpath(QFileInfo(arg).absolutePath());
        if (!window.grab().save(arg))
            return fail(QStringLiteral("não foi possível gravar '%1'").arg(arg));
        trace(QStringLiteral("tela gravada em ") + QFileInfo(arg).absoluteFilePath());
        return true;
    }
    if (verb == QLatin1String("quit")) {
        quit(window);
        return true;
    }
    if (verb == QLatin1String("close")) {
        // What the window manager's close button sends; the host ends with its last window.
        if (QWindow* handle = window.windowHandle())
            QCoreApplication::postEvent(handle, new QCloseEvent);
        else
            window.close();
        return true;
    }
    return fail(QStringLiteral("passo desconhecido"));
}
