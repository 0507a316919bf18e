#pragma once
// A scripted session for unattended runs (the real-window test, the README's screenshots):
// ERP_SCRIPT="open;variant=2;print;screenshot=/tmp/a.png;quit" runs its steps one after another,
// a moment apart so the window system can paint. ERP_SCREENSHOT=PATH is short for
// "screenshot=PATH;quit". Steps act as a user would, through the menus and the screen's buttons:
//   open, variant=N, click=BUTTON, print, preview, wait, describe (what is shown, on stdout),
//   screenshot=PNG, dialog-screenshot=PNG, dismiss (cancels the open dialog or the running report),
//   close (the main window's close button, as the window manager sends it), quit,
//   watch[=DIR]: from then on prints "foco", "relatorio" and "marcado" lines as focus moves, a
//   report is picked or a button is checked (so that input typed from outside can be followed),
//   and with DIR saves a picture of the window per report picked and of each dialog focused.
// A step waits for a report still running, as a person would; quit, close and dismiss stop it.
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
    // 0 when every step did what it said, 3 when one could not (its reason went to stderr).
    int exitStatus() const { return m_failed ? 3 : 0; }

private:
    void next(MainWindow& window);
    bool runStep(MainWindow& window, const QString& step);
    void quit(MainWindow& window);

    QStringList m_steps;
    int m_index = 0;
    bool m_failed = false;
};
