#pragma once
// A scripted session for the window tests and the README's screenshots:
// ERP_SCRIPT="open;variant=2;print;screenshot=/tmp/a.png;quit" runs its steps one after another,
// a moment apart so the window system can paint. ERP_SCREENSHOT=PATH is short for
// "screenshot=PATH;quit". Steps act as a user would, through the menus and the screen's buttons:
//   open, menu=ACTION (the menu item of that object name), answer=TEXT (types TEXT into the open
//   prompt and confirms it, or clicks the open question's button of that caption),
//   variant=N, click=BUTTON, type=CONTROL:TEXT (the text of a date or line edit), print,
//   preview, wait, describe (what is shown, on stdout), screenshot=PNG, dialog-screenshot=PNG,
//   pick=CODE,CODE (checks those rows of the open lookup and confirms it), dismiss (cancels the
//   open dialog), cancel (stops the running report), close (the main window's close button, as the
//   window manager sends it), quit,
//   watch[=DIR]: from then on prints "foco", "relatorio" and "marcado" lines as focus moves, a
//   report is picked or a button is checked (so that input typed from outside can be followed),
//   and with DIR saves a picture of the window per report picked and of each dialog focused.
// Each step waits for the one before it, as a person would: a print is over (its file written)
// before the next step, unless a dialog waits for an answer, which the next steps then give. Only
// cancel acts on a report still running. A step fails when it cannot do what it says or when an
// error is shown while it runs; the session then exits with 1, the step named on stderr.
#include <QString>
#include <QStringList>

class MainWindow;

class SessionScript {
public:
    static SessionScript fromEnvironment();
    explicit SessionScript(QStringList steps) : m_steps(std::move(steps)) {}

    bool isEmpty() const { return m_steps.isEmpty(); }
    // Starts the steps on the event loop; the last one usually quits.
    void run(MainWindow& window);
    // 0 when every step did what it said, 1 when one did not (its reason went to stderr).
    int exitStatus() const { return m_failed ? 1 : 0; }
    // An error the user was shown: the step running, if any, failed with it.
    void errorShown(const QString& text);

private:
    void next(MainWindow& window);
    bool runStep(MainWindow& window, const QString& step);
    void quit(MainWindow& window);
    void failed(int index, const QString& why);

    QStringList m_steps;
    int m_index = 0;
    QList<int> m_running; // the steps whose action has not returned, innermost last
    bool m_failed = false;
};
