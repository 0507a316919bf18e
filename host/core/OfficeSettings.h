#pragma once
// What an office sets once: the database, the branch, where its own report definitions live. Read
// from two INI files through QSettings: the system's (/etc/erp-host/erp-host.conf, a conffile of
// the package, written by the administrator) and the user's ($XDG_CONFIG_HOME/erp-host/erp-host.conf).
// The command line wins over the user's file, the user's over the system's; with none of them the
// host opens the demo database and says so.
//
//   [geral]
//   banco=firebird://servidor/dados/erp.fdb
//   filial=01
//   relatorios=/srv/erp/relatorios
#include "host_export.h"

#include <QString>

class HOST_EXPORT OfficeSettings {
public:
    enum class Source { CommandLine, UserFile, SystemFile, Default };
    struct Value {
        QString value;
        Source source = Source::Default;
    };

    // The files: ERP_SYSTEM_CONFIG names another system file (tests, a second installation); the
    // user's follows XDG_CONFIG_HOME.
    static QString systemFile();
    static QString userFile();

    // key: "banco", "filial", "relatorios". commandLine: the option's value, empty when not given.
    static Value value(const QString& key, const QString& commandLine = QString());
    // Writes key=value into the user's file (created with its folder). Throws EHostError naming the
    // file when it cannot be written; the file is then as it was.
    static void remember(const QString& key, const QString& value);
};
