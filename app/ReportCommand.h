#pragma once
// "erp-host report": the client reports written to files without a window, for cron jobs and
// scripts. The command line (and each line of a file of requests) says which report, with which
// filters, into which file; ReportRunner then drives the real screen with it. Parsing needs no
// QApplication, so that a bad option never touches the window system; messages are Portuguese.
#include "CommandLine.h"

#include "reporting/export/ReportExport.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// One report to write: the screen's filters as the user would set them. A filter left out keeps
// what the screen does by itself (every client, both origins, every client type...).
struct ReportRequest {
    QString report;                         // the list's title, or its position from 0
    QString month;                          // "MM/AAAA"
    QString from, to;                       // "DD/MM/AAAA", the year filled in when left out
    std::optional<QStringList> clients;     // codes; unset: every client
    std::optional<QStringList> lines;       // lines of business
    std::optional<QStringList> districts;   // neighbourhoods
    std::optional<QStringList> origins;     // "O" budget, "E" order
    std::optional<QStringList> clientTypes; // "F", "J", "O"
    QString branch;                         // empty: the database's first branch
    QString output;                         // a path, or "-" for standard output
    ReportExport::Format format = ReportExport::Format::Pdf;
    QString where; // how messages name the request: empty, or "linha N de ARQUIVO"
};

struct ReportCommandLine {
    CommandLineResult::Action action = CommandLineResult::Action::Run;
    QString text;        // the help text or the one-line usage error
    HostOptions options; // database, reports, modules, language
    bool quiet = false;
    QList<ReportRequest> requests;
};

namespace ReportCommand {
// True when the arguments (program name first) ask for the report command.
bool wanted(const QStringList& arguments);
// arguments: the program name, "report", then the options. today fills in the year of a period
// given without one.
ReportCommandLine parse(const QStringList& arguments, const QDate& today);
// Writes every request through the screen, on the offscreen platform (no window, no display
// needed); 0 when every file is complete, 1 otherwise. argc and argv are the application's.
int run(const ReportCommandLine& command, int& argc, char** argv);
} // namespace ReportCommand
