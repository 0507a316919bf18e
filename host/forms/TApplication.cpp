#include "forms/TApplication.h"

#include "core/MessageSink.h"
#include "forms/ClassRegistry.h"

#include <QApplication>
#include <QCursor>
#include <QFont>
#include <QLayout>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>

TApplication& TApplication::instance() {
    static TApplication* app = new TApplication(); // lives as long as the process
    return *app;
}

TApplication::TApplication() = default;

void TApplication::initialise() {
    if (m_initialised)
        return;
    m_initialised = true;
    ClassRegistry::registerFormClasses();
    if (m_registerClasses)
        m_registerClasses();
    // Forms ask for "MS Sans Serif"; Liberation Sans has close enough metrics for captions to fit.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    if (qApp)
        connect(qApp, &QApplication::focusChanged, this, &TApplication::onFocusChanged);
}

void TApplication::setClassRegistration(std::function<void()> registerClasses) {
    instance().m_registerClasses = std::move(registerClasses);
}

QMainWindow* TApplication::mainWindow() {
    if (!m_mainWindow) {
        auto* window = new QMainWindow();
        auto* area = new QMdiArea(window);
        window->setCentralWidget(area);
        window->resize(1024, 720);
        setMainWindow(window, area);
        window->show();
    }
    return m_mainWindow;
}

QMdiArea* TApplication::mdiArea() {
    mainWindow();
    return m_mdiArea;
}

void TApplication::setMainWindow(QMainWindow* window, QMdiArea* area) {
    m_mainWindow = window;
    m_mdiArea = area;
    connect(area, &QMdiArea::subWindowActivated, this, &TApplication::onSubWindowActivated);
}

void TApplication::adoptForm(TForm* form) {
    initialise();
    QObject* object = form;
    m_forms.append(object);
    connect(form, &QObject::destroyed, this, [this, object] {
        m_forms.removeIf([object](const QPointer<QObject>& p) { return p.isNull() || p.data() == object; });
    });
}

void TApplication::discardForm(TForm* form) {
    QObject* object = form;
    m_forms.removeIf([object](const QPointer<QObject>& p) { return p.data() == object; });
    if (form->subWindow())
        delete form->subWindow();
    else
        delete form;
}

QList<TForm*> TApplication::forms() const {
    QList<TForm*> out;
    for (const auto& p : m_forms)
        if (p)
            out << static_cast<TForm*>(p.data());
    return out;
}

void TApplication::showForm(TForm* form) {
    QMdiArea* area = mdiArea();
    if (!form->subWindow()) {
        auto* sub = new QMdiSubWindow(area);
        sub->setWidget(form);
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        // The frame is no tab stop: Tab wraps from a form's last control to its first, as the
        // form's tab order says, and never parks the focus on the frame.
        sub->setFocusPolicy(Qt::ClickFocus);
        if (form->fixedBorder()) {
            sub->setWindowFlags(sub->windowFlags() & ~Qt::WindowMaximizeButtonHint);
            sub->layout()->setSizeConstraint(QLayout::SetFixedSize);
        }
        sub->setWindowTitle(form->Caption());
        area->addSubWindow(sub);
        form->setSubWindow(sub);
        if (!form->initialPosition().isNull())
            sub->move(form->initialPosition());
    }
    // The activation below comes from code, so OnActivate runs here and its errors reach our caller.
    m_showing = form;
    form->subWindow()->show();
    form->show();
    area->setActiveSubWindow(form->subWindow());
    form->subWindow()->raise();
    m_showing = nullptr;
    activate(form);
}

void TApplication::activate(TForm* form) {
    if (!form || form == m_activeForm)
        return;
    m_activeForm = form;
    emit formActivated(form);
    form->raiseNotify(QStringLiteral("OnActivate"));
}

void TApplication::onSubWindowActivated(QMdiSubWindow* sub) {
    // Null means the area lost activation (a modal dialog, another window): not a change of child.
    if (!sub || m_showing)
        return;
    auto* form = qobject_cast<TForm*>(sub->widget());
    if (!form || form == m_activeForm)
        return;
    guard([&] { activate(form); });
}

void TApplication::onFocusChanged(QWidget* old, QWidget* now) {
    if (!old || !now)
        return;
    TComponent* oldComponent = asComponent(old);
    if (!oldComponent)
        return; // the focus left an inner widget; its component reports through its own proxy
    TForm* form = oldComponent->ownerForm();
    if (!form || !form->isAncestorOf(now))
        return; // a dialog, a popup or another window took the focus: no exit
    for (QWidget* w = now; w && w != form; w = w->parentWidget())
        if (asComponent(w)) {
            form->SetActiveControl(w);
            break;
        }
    if (!oldComponent->hasHandler(QStringLiteral("OnExit")))
        return;
    QPointer<QWidget> leaving = old;
    bool failed = false;
    guard([&] { oldComponent->raiseNotify(QStringLiteral("OnExit")); }, &failed);
    // An exit that refused the value (an invalid date reported) keeps the user in the control.
    if (failed && leaving) {
        form->SetActiveControl(leaving);
        leaving->setFocus(Qt::OtherFocusReason);
    }
}

void TApplication::setScreenCursor(int cursor) {
    if (cursor == m_cursor)
        return;
    if (qApp) {
        if (m_cursor != HostCursor::crDefault)
            QApplication::restoreOverrideCursor();
        if (cursor == HostCursor::crHourGlass)
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        else if (cursor != HostCursor::crDefault)
            QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    }
    m_cursor = cursor;
    emit screenCursorChanged(cursor);
}

void TApplication::guard(const std::function<void()>& event, bool* failed) {
    if (failed)
        *failed = true;
    try {
        event();
        if (failed)
            *failed = false;
    } catch (const EAbort&) {
    } catch (const EHostError& e) {
        MessageSink::instance().showError(e.message());
    } catch (const std::exception& e) {
        MessageSink::instance().showError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        MessageSink::instance().showError(QStringLiteral("Erro inesperado."));
    }
}
