#pragma once
// erp-host's main window: the MDI area the module's screens live in, the menus that open them, and
// a status bar with the session (database, branch, user).
#include "CommandLine.h"

#include <QMainWindow>

class QLabel;
class QMdiArea;
class QMenu;
class Package;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(HostOptions options, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens the session's database (showing the data layer's message when it cannot) and, when
    // --open asked for it, the screen. Called once the window is on screen so messages have a parent.
    void start();

    // Opens "Dados do Cliente", loading its module on first use. Errors are shown, never thrown.
    void openClientScreen();
    // Where the module is looked for, in order.
    QStringList moduleCandidates() const;

    QMdiArea* mdiArea() const { return m_mdi; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void fillWindowMenu();
    void connectDatabase(const QString& url);
    void askForDatabase();
    void chooseBranch();
    void updateSession();
    void showAbout();
    Package& loadModule();

    HostOptions m_options;
    QMdiArea* m_mdi;
    QMenu* m_windowMenu = nullptr;
    QLabel* m_databaseLabel;
    QLabel* m_branchLabel;
    QLabel* m_userLabel;
    QString m_demoUrl; // the demo database's URL while it is the session's, else empty
};
