#include "SessionScript.h"
#include "core/RunningTask.h"

#include "MainWindow.h"
#include "SessionOutput.h"
#include "SessionProbe.h"

#include "forms/TApplication.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QTimer>
#include <QWindow>

using SessionOutput::trace;

namespace {

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

void SessionScript::next(MainWindow& window) {
    if (m_index >= m_steps.size())
        return;
    // A report still running is waited for, as a person would; quit, close and dismiss stop it.
    RunningTask& task = RunningTask::instance();
    const QString verb = m_steps.at(m_index).section('=', 0, 0);
    if (task.isRunning() && verb != QLatin1String("quit") && verb != QLatin1String("close") &&
        verb != QLatin1String("dismiss")) {
        task.whenIdle(&window, [this, &window] { next(window); });
        return;
    }
    const QString step = m_steps.at(m_index++);
    // The next step is queued first: a step that opens a modal dialog only returns once it closes,
    // and the steps after it are what looks at it and closes it.
    if (m_index < m_steps.size())
        QTimer::singleShot(stepDelay(), &window, [this, &window] { next(window); });
    if (!runStep(window, step)) {
        m_failed = true;
        m_index = int(m_steps.size());
        quit(window);
    }
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
    QCoreApplication::exit(m_failed ? 3 : 0);
}

bool SessionScript::runStep(MainWindow& window, const QString& step) {
    const QString verb = step.section('=', 0, 0);
    const QString arg = step.section('=', 1);
    auto fail = [&](const QString& why) {
        trace(QStringLiteral("roteiro: passo '%1' falhou: %2").arg(step, why));
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
    if (verb == QLatin1String("dismiss") && !QApplication::activeModalWidget() &&
        RunningTask::instance().isRunning()) {
        RunningTask::instance().cancel(); // the run whose window has not come up yet
        return true;
    }
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
