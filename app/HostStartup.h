#pragma once
// What the window and the report command both do before their first screen: Qt's translations,
// where the installed data is, who the user is, where the module is.
#include "CommandLine.h"

#include <QString>
#include <QStringList>
#include <cstdio>

class QCoreApplication;

namespace HostStartup {
// One line on stream, the newline added when missing.
void printLine(FILE* stream, const QString& text);
// Qt's own texts (dialog buttons, the command-line parser's messages) in the session's language;
// Brazilian Portuguese when Qt has no translation for it.
void installQtTranslations(QCoreApplication& app, const QString& language);
// The installed tree keeps reports and the demo schema in share/; a build tree uses the sources'.
void locateData(const HostOptions& options);
// Desktop sessions set USER; services, cron and containers often do not.
void findUserName();
// Where the module is looked for, in order.
QStringList moduleCandidates(const QString& modulesDir);
} // namespace HostStartup
