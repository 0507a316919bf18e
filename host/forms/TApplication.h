#pragma once
// The host application: owns the forms it creates, hosts them as MDI children of its main window,
// keeps the screen cursor, and is the one guard through which events from the user enter.
#include "core/Errors.h"
#include "forms/TForm.h"
#include "host_export.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QMainWindow;
class QMdiArea;
class QMdiSubWindow;

class HOST_EXPORT TApplication : public QObject {
    Q_OBJECT
public:
    static TApplication& instance();

    // Two phases: T is constructed completely (so its metaObject is T's) and stored in ref, then
    // both resources are streamed and bound, then OnCreate runs. On failure ref is null again.
    template <class T> void CreateForm(T*& ref) {
        ref = new T(nullptr);
        try {
            adoptForm(ref);
            ref->streamResources();
            ref->raiseNotify(QStringLiteral("OnCreate"));
        } catch (...) {
            T* doomed = ref;
            ref = nullptr;
            discardForm(doomed);
            throw;
        }
    }

    // The main window and its MDI area; a plain one is made on first use unless the host set its own.
    QMainWindow* mainWindow();
    QMdiArea* mdiArea();
    void setMainWindow(QMainWindow* window, QMdiArea* area);

    void showForm(TForm* form);
    QList<TForm*> forms() const;
    TForm* activeForm() const { return m_activeForm; }

    // Screen.Cursor: crDefault (0) or crHourGlass (-11), and whatever else the host numbers.
    int screenCursor() const { return m_cursor; }
    void setScreenCursor(int cursor);

    // Runs a user-originated event: EAbort is silent, any other error is shown; nothing escapes.
    // failed (when given) tells whether the event ended by an exception.
    static void guard(const std::function<void()>& event, bool* failed = nullptr);

    // Installs what the framework needs once per process: component classes, focus tracking.
    void initialise();
    // The layers above this one register their component classes through this, run once by
    // initialise() after the form classes (set when the host library is loaded).
    static void setClassRegistration(std::function<void()> registerClasses);

signals:
    void screenCursorChanged(int cursor);
    void formActivated(TForm* form);

private:
    TApplication();
    void adoptForm(TForm* form);
    void discardForm(TForm* form);
    void onSubWindowActivated(QMdiSubWindow* sub);
    void onFocusChanged(QWidget* old, QWidget* now);
    void activate(TForm* form);

    QPointer<QMainWindow> m_mainWindow;
    QPointer<QMdiArea> m_mdiArea;
    QList<QPointer<QObject>> m_forms; // QObject: no downcast while a form is being destroyed
    QPointer<TForm> m_activeForm;
    TForm* m_showing = nullptr;
    int m_cursor = 0;
    bool m_initialised = false;
    std::function<void()> m_registerClasses;
};

// Screen.Cursor as the module sets it.
inline void SetScreenCursor(int cursor) {
    TApplication::instance().setScreenCursor(cursor);
}
