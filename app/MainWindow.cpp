#include "MainWindow.h"
#include "HostStartup.h"

#include "core/RunningTask.h"

#include "core/Errors.h"
#include "core/HostSettings.h"
#include "core/MessageSink.h"
#include "core/OfficeSettings.h"
#include "data/Branches.h"
#include "data/DatabaseUrl.h"
#include "data/dtmDBGeral.h"
#include "demo/DemoDatabase.h"
#include "forms/TApplication.h"
#include "library/FiliProc.h"
#include "packages/PackageLoader.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>

namespace {
const char* const ModuleFile = "Pkg_qmt31800.so";
// Qt adds the application's display name ("ERP") to every window title.
const QString Product = QStringLiteral("Dados do Cliente");
const QString DemoName = QStringLiteral("Banco de demonstração");
} // namespace

MainWindow::MainWindow(HostOptions options, QWidget* parent)
    : QMainWindow(parent), m_options(std::move(options)), m_mdi(new QMdiArea(this)) {
    setObjectName(QStringLiteral("erpMainWindow"));
    m_mdi->setObjectName(QStringLiteral("mdiArea"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    TApplication::instance().setMainWindow(this, m_mdi);

    m_databaseLabel = new QLabel(this);
    m_branchLabel = new QLabel(this);
    m_userLabel = new QLabel(this);
    m_databaseLabel->setObjectName(QStringLiteral("lblBanco"));
    m_branchLabel->setObjectName(QStringLiteral("lblFilial"));
    m_userLabel->setObjectName(QStringLiteral("lblUsuario"));
    statusBar()->addWidget(m_databaseLabel, 1);
    statusBar()->addPermanentWidget(m_branchLabel);
    statusBar()->addPermanentWidget(m_userLabel);

    buildMenus();
    resize(1024, 700);
    updateSession();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Arquivo"));
    QAction* database = file->addAction(QStringLiteral("&Conectar a outro banco de dados…"));
    database->setObjectName(QStringLiteral("actBanco"));
    connect(database, &QAction::triggered, this,
            [this] { TApplication::guard([this] { askForDatabase(); }); });
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("&Sair"));
    quit->setObjectName(QStringLiteral("actSair"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* reports = menuBar()->addMenu(QStringLiteral("&Relatórios"));
    QAction* client = reports->addAction(QStringLiteral("&Dados do Cliente (QMT31800)"));
    client->setObjectName(QStringLiteral("actQMT31800"));
    connect(client, &QAction::triggered, this, &MainWindow::openClientScreen);

    m_windowMenu = menuBar()->addMenu(QStringLiteral("&Janela"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, &MainWindow::fillWindowMenu);
    fillWindowMenu();

    QMenu* help = menuBar()->addMenu(QStringLiteral("A&juda"));
    QAction* about = help->addAction(QStringLiteral("&Sobre o ERP…"));
    connect(about, &QAction::triggered, this, [this] { TApplication::guard([this] { showAbout(); }); });
}

void MainWindow::fillWindowMenu() {
    m_windowMenu->clear();
    const QList<QMdiSubWindow*> windows = m_mdi->subWindowList();
    QAction* cascade =
        m_windowMenu->addAction(QStringLiteral("&Cascata"), m_mdi, &QMdiArea::cascadeSubWindows);
    QAction* tile = m_windowMenu->addAction(QStringLiteral("&Lado a lado"), m_mdi, &QMdiArea::tileSubWindows);
    QAction* closeAll =
        m_windowMenu->addAction(QStringLiteral("&Fechar todas"), m_mdi, &QMdiArea::closeAllSubWindows);
    for (QAction* a : {cascade, tile, closeAll})
        a->setEnabled(!windows.isEmpty());
    if (windows.isEmpty())
        return;
    m_windowMenu->addSeparator();
    auto* group = new QActionGroup(m_windowMenu);
    int n = 0;
    for (QMdiSubWindow* sub : windows) {
        ++n;
        const QString title =
            sub->windowTitle().isEmpty() && sub->widget() ? sub->widget()->windowTitle() : sub->windowTitle();
        QAction* a = m_windowMenu->addAction(n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(title) : title);
        a->setCheckable(true);
        a->setChecked(sub == m_mdi->activeSubWindow());
        group->addAction(a);
        connect(a, &QAction::triggered, m_mdi, [this, sub] { m_mdi->setActiveSubWindow(sub); });
    }
}

void MainWindow::start() {
    // The command line, then the user's and the system's settings; the demo database only when none
    // of them names a database.
    QString url = OfficeSettings::value(QStringLiteral("banco"), m_options.database).value;
    m_options.filial = OfficeSettings::value(QStringLiteral("filial"), m_options.filial).value;
    QString notice;
    if (url.isEmpty()) {
        try {
            url = DemoDatabase::ensureDefault(&notice);
            m_demoUrl = url;
        } catch (const EHostError& e) {
            MessageSink::instance().showError(e.message());
            updateSession();
            return;
        }
    }
    connectDatabase(url);
    // Told over the window that already shows the new database.
    if (!notice.isEmpty())
        MessageSink::instance().showInformation(notice);
    if (m_options.open == QLatin1String("QMT31800"))
        openClientScreen();
}

void MainWindow::connectDatabase(const QString& url) {
    try {
        dtmDBGeral::instance().open(url);
    } catch (const EHostError& e) {
        // The window stays open so that the user can pick another database from the menu.
        updateSession();
        MessageSink::instance().showError(e.message());
        return;
    }
    chooseBranch();
    updateSession();
}

void MainWindow::chooseBranch() {
    const QSqlDatabase db = dtmDBGeral::database();
    const QString url = dtmDBGeral::instance().url();
    if (!m_options.filial.isEmpty()) {
        SetFilial(m_options.filial);
        if (const QString why = Branches::problem(db, m_options.filial, url); !why.isEmpty())
            MessageSink::instance().showError(why);
        return;
    }
    try {
        SetFilial(Branches::first(db, url));
    } catch (const EHostError& e) {
        SetFilial(QString());
        MessageSink::instance().showError(e.message());
    }
}

void MainWindow::askForDatabase() {
    const std::optional<QString> given = MessageSink::instance().promptText(
        QStringLiteral("Banco de dados"),
        QStringLiteral("URL do banco (sqlite:ARQUIVO, firebird:ARQUIVO, firebird://SERVIDOR/ARQUIVO ou "
                       "postgres://SERVIDOR/BANCO):"),
        dtmDBGeral::instance().url());
    if (!given || given->trimmed().isEmpty())
        return;
    const QString url = given->trimmed();
    // The screens read through the shared connection: they close with the database they were opened
    // on, but only once the new one is known to open. A failure changes nothing.
    dtmDBGeral::instance().open(url, [] { PackageLoader::instance().unloadAll(); });
    m_demoUrl.clear();
    m_options.filial.clear();
    chooseBranch();
    updateSession();
    if (OfficeSettings::value(QStringLiteral("banco")).value != url &&
        MessageSink::instance().confirm(
            QStringLiteral("Banco de dados"),
            QStringLiteral("Abrir o banco de dados '%1' também nas próximas vezes que o ERP for iniciado?")
                .arg(url),
            QStringLiteral("Lembrar")))
        OfficeSettings::remember(QStringLiteral("banco"), url);
}

void MainWindow::updateSession() {
    const auto& db = dtmDBGeral::instance();
    const QString url = db.isOpen() ? db.url() : QString();
    const bool demo = !url.isEmpty() && url == m_demoUrl;
    setWindowTitle(Product + QStringLiteral(" — ") +
                   (url.isEmpty() ? QStringLiteral("sem banco de dados")
                    : demo        ? DemoName
                                  : url));
    m_databaseLabel->setText(url.isEmpty() ? QStringLiteral("Banco: não conectado")
                             : demo        ? DemoName + QStringLiteral(" (") + url + u')'
                                           : QStringLiteral("Banco: ") + url);
    const QString branch = db.isOpen() ? FiliProc() : QString();
    m_branchLabel->setText(QStringLiteral("Filial: ") + (branch.isEmpty() ? QStringLiteral("—") : branch));
    m_userLabel->setText(QStringLiteral("Usuário: ") + HostSettings::userName());
}

void MainWindow::showAbout() {
    MessageSink::instance().showInformation(
        QStringLiteral("%1\nVersão %2\n\nBanco de dados: %3\nRelatórios: %4")
            .arg(Product, QStringLiteral(ERP_VERSION),
                 dtmDBGeral::instance().isOpen() ? dtmDBGeral::instance().url()
                                                 : QStringLiteral("não conectado"),
                 HostSettings::reportsDir()));
}

QStringList MainWindow::moduleCandidates() const {
    return HostStartup::moduleCandidates(m_options.modulesDir);
}

Package& MainWindow::loadModule() {
    const QStringList candidates = moduleCandidates();
    for (const QString& path : candidates)
        if (QFileInfo::exists(path))
            return PackageLoader::instance().load(path);
    throw EHostError(
        QStringLiteral("O módulo %1 não foi encontrado. Procurado em:\n%2\n\nUse --modules PASTA.")
            .arg(QString::fromLatin1(ModuleFile), candidates.join('\n')));
}

void MainWindow::openClientScreen() {
    bool failed = false;
    TApplication::guard([this] { loadModule().IniProc(); }, &failed);
    // A failed IniProc leaves the hourglass up; the host takes it down so the user can go on.
    if (failed)
        SetScreenCursor(0);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A report still running uses the module's screen: it is stopped first, and the window closes
    // once it has.
    if (RunningTask::instance().stopFirst(this, [this] { close(); })) {
        event->ignore();
        return;
    }
    // The module's forms go first (PackageLoader closes them), then the module itself.
    TApplication::guard([] { PackageLoader::instance().unloadAll(); });
    event->accept();
}
