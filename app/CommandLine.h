#pragma once
// erp-host's command line. Parsing needs no QApplication, so that a bad option or --help never
// touches the display; the messages are Portuguese.
#include <QString>
#include <QStringList>

struct HostOptions {
    QString database;   // a database URL; empty: the demo database in the user's data folder
    QString filial;     // empty: the first branch of the database
    QString reportsDir; // empty: the installed or the build's reports folder
    QString modulesDir; // empty: beside the executable, then the installed lib folder
    QString open;       // screen to open at start ("QMT31800"), or empty
    QString printer;    // "pdf:PATH", "xlsx:PATH" or "csv:PATH", or empty for the system's printer
    QString language = QStringLiteral("pt");
};

struct CommandLineResult {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    HostOptions options;
    QString text; // the help text, the version line or the one-line error
};

namespace CommandLine {
// arguments includes the program name first, as QCoreApplication::arguments() gives it.
CommandLineResult parse(const QStringList& arguments);
// Exit status for an action that ends the program before the window: 0, or 2 for a bad command line.
int exitStatus(CommandLineResult::Action action);
// The screens erp-host can open with --open.
QStringList screens();
} // namespace CommandLine
