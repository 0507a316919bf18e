// erp-host: the desktop host. Reads the command line before any window system is touched, so that
// --help, --version, a bad option and a missing display all end with one clear line.
#include "CommandLine.h"
#include "LoggingMessageSink.h"
#include "MainWindow.h"
#include "SessionScript.h"

#include "core/HostSettings.h"
#include "core/MessageSink.h"
#include "data/dtmDBGeral.h"
#include "desktop/QtDialogs.h"
#include "forms/TApplication.h"
#include "packages/ModuleRegistry.h"
#include "packages/PackageLoader.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <pwd.h>
#include <unistd.h>

namespace {

void printLine(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    if (!text.endsWith('\n'))
        std::fputc('\n', stream);
    std::fflush(stream);
}

// Qt's own texts (dialog buttons, the command-line parser's messages) in the session's language;
// Brazilian Portuguese when Qt has no translation for it.
void installQtTranslations(QCoreApplication& app, const QString& language) {
    if (language == QLatin1String("en"))
        return;
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);
    for (const QString& name :
         {language == QLatin1String("pt") ? QStringLiteral("pt_BR") : language, QStringLiteral("pt_BR")}) {
        if (translator->load(QStringLiteral("qtbase_") + name, dir)) {
            app.installTranslator(translator);
            return;
        }
    }
    delete translator;
    printLine(stderr, QStringLiteral("erp-host: aviso: as traduções do Qt (qtbase_pt_BR.qm) não estão em %1 "
                                     "(pacote qt6-translations-l10n); os diálogos do Qt ficam em inglês.")
                          .arg(dir));
}

// Empty when a window can be opened, else why not. Qt aborts the process when its platform plug-in
// finds no display, so this is decided before QApplication exists.
QString missingDisplay() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const QString x11 = qEnvironmentVariable("DISPLAY");
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    const bool wantsX11 = platform.startsWith(QLatin1String("xcb"));
    const bool wantsWayland = platform.startsWith(QLatin1String("wayland"));
    if (!platform.isEmpty() && !wantsX11 && !wantsWayland)
        return {}; // offscreen, vnc, eglfs...: no desktop session needed
    if (wantsWayland ? wayland.isEmpty() : wantsX11 ? x11.isEmpty() : (x11.isEmpty() && wayland.isEmpty()))
        return QStringLiteral("não há tela disponível (DISPLAY e WAYLAND_DISPLAY vazios)");
    if (!wantsWayland && wayland.isEmpty() && x11.startsWith(':')) {
        // A local X display ":N[.S]" has its socket in /tmp/.X11-unix.
        const QString number = x11.mid(1).section('.', 0, 0);
        if (!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X") + number))
            return QStringLiteral("a tela '%1' não está disponível (nenhum servidor X responde nela)")
                .arg(x11);
    }
    return {};
}

// The installed tree keeps reports and the demo schema in share/; a build tree uses the sources'.
void locateData(const HostOptions& options) {
    const QDir share(
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/" ERP_SHARE_FROM_BIN)));
    if (!options.reportsDir.isEmpty())
        HostSettings::setReportsDir(options.reportsDir);
    else if (qEnvironmentVariableIsEmpty("ERP_REPORTS_DIR") && share.exists(QStringLiteral("reports")))
        HostSettings::setReportsDir(share.filePath(QStringLiteral("reports")));
    if (qEnvironmentVariableIsEmpty("ERP_DB_DIR") && share.exists(QStringLiteral("db")))
        qputenv("ERP_DB_DIR", share.filePath(QStringLiteral("db")).toLocal8Bit());
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    CommandLineResult command = CommandLine::parse(arguments);
    if (command.action != CommandLineResult::Action::Run) {
        // Parsed again under a console application so that the help and Qt's messages are translated.
        QCoreApplication console(argc, argv);
        console.setApplicationName(QStringLiteral("erp-host"));
        installQtTranslations(console, QStringLiteral("pt"));
        command = CommandLine::parse(console.arguments());
        printLine(command.action == CommandLineResult::Action::Error ? stderr : stdout, command.text);
        return CommandLine::exitStatus(command.action);
    }
    if (const QString why = missingDisplay(); !why.isEmpty()) {
        printLine(stderr,
                  QStringLiteral("erp-host: %1. Sem tela gráfica, rode-o dentro de um servidor X virtual: "
                                 "xvfb-run -a erp-host [opções]")
                      .arg(why));
        return 2;
    }

    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("erp-host"));
    app.setApplicationVersion(QStringLiteral(ERP_VERSION));
    app.setApplicationDisplayName(QStringLiteral("ERP"));
    installQtTranslations(app, command.options.language);
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));

    const HostOptions& options = command.options;
    locateData(options);
    HostSettings::setPrinter(options.printer);
    // Desktop sessions set USER; services and containers often do not.
    if (qEnvironmentVariableIsEmpty("USER"))
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name)
            HostSettings::setUserName(QString::fromLocal8Bit(pw->pw_name));
    ModuleRegistry::setLanguage(options.language);
    TApplication::instance().initialise();
    SessionScript script = SessionScript::fromEnvironment();
    std::unique_ptr<MessageSink> messages = QtDialogs::messageSink();
    if (!script.isEmpty())
        messages = std::make_unique<LoggingMessageSink>(std::move(messages));
    QtDialogs::install(std::move(messages));

    int status = 0;
    {
        MainWindow window(options);
        window.show();
        QTimer::singleShot(0, &window, [&] {
            script.run(window); // first: start() may show a message the script has to see and close
            window.start();
        });
        status = app.exec();
        // Quitting without closing the window (a signal, the session script) still unloads in order.
        PackageLoader::instance().unloadAll();
    }
    dtmDBGeral::instance().close();
    return status != 0 ? status : script.exitStatus();
}
