// erp-host: the desktop host. Reads the command line before any window system is touched, so that
// --help, --version, a bad option and a missing display all end with one clear line.
#include "CommandLine.h"
#include "HostStartup.h"
#include "LoggingMessageSink.h"
#include "MainWindow.h"
#include "ReportCommand.h"
#include "SessionScript.h"

#include "core/HostSettings.h"
#include "core/MessageSink.h"
#include "data/dtmDBGeral.h"
#include "desktop/QtDialogs.h"
#include "forms/TApplication.h"
#include "packages/ModuleRegistry.h"
#include "packages/PackageLoader.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <cstdio>

using namespace HostStartup;

namespace {

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

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (ReportCommand::wanted(arguments)) {
        ReportCommandLine report = ReportCommand::parse(arguments, QDate::currentDate());
        if (report.action == CommandLineResult::Action::Run)
            return ReportCommand::run(report, argc, argv);
        QCoreApplication console(argc, argv);
        console.setApplicationName(QStringLiteral("erp-host"));
        installQtTranslations(console, QStringLiteral("pt"));
        report = ReportCommand::parse(console.arguments(), QDate::currentDate());
        printLine(report.action == CommandLineResult::Action::Error ? stderr : stdout, report.text);
        return CommandLine::exitStatus(report.action);
    }
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
    findUserName();
    ModuleRegistry::setLanguage(options.language);
    TApplication::instance().initialise();
    SessionScript script = SessionScript::fromEnvironment();
    std::unique_ptr<MessageSink> messages = QtDialogs::messageSink();
    if (!script.isEmpty())
        messages = std::make_unique<LoggingMessageSink>(
            std::move(messages), [&script](const QString& text) { script.errorShown(text); });
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
