#include "SessionScript.h"

#include "MainWindow.h"

#include "core/MessageSink.h"
#include "forms/TApplication.h"
#include "packages/PackageLoader.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPointer>
#include <QStatusBar>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

void trace(const QString& line) {
    std::fprintf(stderr, "erp-host: %s\n", line.simplified().toLocal8Bit().constData());
    std::fflush(stderr);
}

class LoggingMessages : public MessageSink {
public:
    explicit LoggingMessages(std::unique_ptr<MessageSink> inner) : m_inner(std::move(inner)) {}
    void showError(const QString& text) override {
        trace(QStringLiteral("erro: ") + text);
        m_inner->showError(text);
    }
    void showInformation(const QString& text) override {
        trace(QStringLiteral("informação: ") + text);
        m_inner->showInformation(text);
    }
    std::optional<QString> promptText(const QString& c, const QString& p, const QString& i) override {
        return m_inner->promptText(c, p, i);
    }

private:
    std::unique_ptr<MessageSink> m_inner;
};

void fact(const QStringList& fields) {
    std::fprintf(stdout, "%s\n", fields.join('\t').toUtf8().constData());
    std::fflush(stdout);
}

QString nameOf(const QWidget* w) {
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

// Follows what a user's keys do, for a test that types from outside the process: one line on stdout
// for every focus move, report picked and button checked or unchecked. With a folder it also keeps a
// picture of the window after each report picked and of each dialog that takes the focus.
void watch(MainWindow& window, const QString& dir) {
    auto save = [dir](QWidget* w, const QString& file) {
        const QString path = QDir(dir).filePath(file);
        if (w->grab().save(path))
            fact({QStringLiteral("imagem"), path});
        else
            trace(QStringLiteral("não foi possível gravar '%1'").arg(path));
    };
    if (QWidget* now = QApplication::focusWidget())
        fact({QStringLiteral("foco"), nameOf(now), nameOf(now->window())});
    auto lastWindow = std::make_shared<QPointer<QWidget>>();
    QObject::connect(qApp, &QApplication::focusChanged, &window, [=](QWidget*, QWidget* now) {
        if (!now)
            return; // the window lost the focus: nothing moved inside it
        QWidget* top = now->window();
        fact({QStringLiteral("foco"), nameOf(now), nameOf(top)});
        if (!dir.isEmpty() && qobject_cast<QDialog*>(top) && *lastWindow != top) {
            QPointer<QWidget> dialog(top);
            QTimer::singleShot(300, top, [=] {
                if (dialog)
                    save(dialog, QStringLiteral("teclado-%1.png").arg(nameOf(dialog)));
            });
        }
        *lastWindow = top;
    });
    for (TForm* form : TApplication::instance().forms()) {
        if (auto* combo = form->findChild<QComboBox*>(QStringLiteral("cbbReportNames")))
            QObject::connect(combo, &QComboBox::currentIndexChanged, &window, [=, &window](int index) {
                fact({QStringLiteral("relatorio"), QString::number(index), combo->itemText(index)});
                if (!dir.isEmpty()) // after the screen has enabled its filters for the report
                    QTimer::singleShot(200, &window, [=, &window] {
                        save(&window, QStringLiteral("teclado-variante-%1.png").arg(index));
                    });
            });
        for (QAbstractButton* b : form->findChildren<QAbstractButton*>())
            if (b->isCheckable())
                QObject::connect(b, &QAbstractButton::toggled, &window, [=](bool on) {
                    fact({QStringLiteral("marcado"), nameOf(b),
                          on ? QStringLiteral("1") : QStringLiteral("0")});
                });
    }
}

int stepDelay() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("ERP_SCRIPT_DELAY", &ok);
    return ok && ms >= 0 ? ms : 300;
}

} // namespace

// One line a fact, tab-separated, on stdout: what the window and the active screen show.
void SessionScript::describe(MainWindow& window) {
    QTextStream out(stdout);
    out << "janela\t" << window.windowTitle() << '\n';
    for (QLabel* label : window.statusBar()->findChildren<QLabel*>())
        out << "status\t" << label->objectName() << '\t' << label->text() << '\n';
    for (QAction* top : window.menuBar()->actions()) {
        QMenu* menu = top->menu();
        if (!menu)
            continue;
        emit menu->aboutToShow(); // the window list is filled when the menu opens
        QStringList items;
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                items << a->text() + (a->isEnabled() ? QString() : QStringLiteral(" (desabilitado)"));
        out << "menu\t" << top->text() << '\t' << items.join('|') << '\n';
    }
    for (Package* p : PackageLoader::instance().loaded())
        out << "modulo\t" << p->name << '\t' << p->path << '\n';
    for (TForm* f : TApplication::instance().forms())
        out << "tela\t" << f->metaObject()->className() << '\t' << f->Caption() << '\n';
    TForm* form = TApplication::instance().activeForm();
    if (!form)
        return;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w))
            text = l->text();
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            text = g->title();
        else if (auto* c = qobject_cast<QComboBox*>(w))
            text = c->currentText();
        out << "controle\t" << w->objectName() << '\t' << w->metaObject()->className() << '\t' << text << '\t'
            << w->accessibleName() << '\t' << (w->isEnabled() ? 1 : 0) << '\n';
    }
    out.flush();
}

SessionScript SessionScript::fromEnvironment() {
    QStringList steps = qEnvironmentVariable("ERP_SCRIPT").split(';', Qt::SkipEmptyParts);
    const QString shot = qEnvironmentVariable("ERP_SCREENSHOT");
    if (!shot.isEmpty())
        steps << QStringLiteral("screenshot=") + shot << QStringLiteral("quit");
    for (QString& s : steps)
        s = s.trimmed();
    return SessionScript(steps);
}

std::unique_ptr<MessageSink> SessionScript::loggingMessages(std::unique_ptr<MessageSink> inner) {
    return std::make_unique<LoggingMessages>(std::move(inner));
}

void SessionScript::run(MainWindow& window) {
    if (!isEmpty())
        QTimer::singleShot(stepDelay(), &window, [this, &window] { next(window); });
}

void SessionScript::next(MainWindow& window) {
    if (m_index >= m_steps.size())
        return;
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
        watch(window, arg);
        return true;
    }
    if (verb == QLatin1String("describe")) {
        describe(window);
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
    return fail(QStringLiteral("passo desconhecido"));
}
