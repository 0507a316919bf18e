// Where the office's settings come from: the command line over the user's file over the system's,
// the demo default when none says anything; remembering writes the user's file only.
#include "core/OfficeSettings.h"
#include "core/Errors.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Source = OfficeSettings::Source;

struct Layers {
    const char* name;
    const char* commandLine;
    const char* user; // nullptr: no file
    const char* system;
    const char* expected;
    Source source;
};

class Precedence : public ::testing::TestWithParam<Layers> {
protected:
    QTemporaryDir dir;
    QByteArray m_configHome = qgetenv("XDG_CONFIG_HOME");
    void SetUp() override {
        qputenv("ERP_SYSTEM_CONFIG", dir.filePath("sistema.conf").toUtf8());
        qputenv("XDG_CONFIG_HOME", dir.filePath("usuario").toUtf8());
    }
    void TearDown() override {
        qunsetenv("ERP_SYSTEM_CONFIG");
        m_configHome.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", m_configHome);
    }
    static void write(const QString& path, const char* text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
};

TEST_P(Precedence, NearestSourceWins) {
    const Layers& c = GetParam();
    if (c.system)
        write(OfficeSettings::systemFile(), c.system);
    if (c.user) {
        QDir().mkpath(dir.filePath("usuario/erp-host"));
        write(OfficeSettings::userFile(), c.user);
    }
    const OfficeSettings::Value v = OfficeSettings::value("banco", QString::fromUtf8(c.commandLine));
    EXPECT_EQ(v.value, QString::fromUtf8(c.expected));
    EXPECT_EQ(v.source, c.source);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Precedence,
    ::testing::Values(
        Layers{"nothing_is_the_demo", "", nullptr, nullptr, "", Source::Default},
        Layers{"system", "", nullptr, "[geral]\nbanco=firebird://srv/erp.fdb\n", "firebird://srv/erp.fdb",
               Source::SystemFile},
        Layers{"user_over_system", "", "[geral]\nbanco=sqlite:/home/u/meu.db\n",
               "[geral]\nbanco=firebird://srv/erp.fdb\n", "sqlite:/home/u/meu.db", Source::UserFile},
        Layers{"blank_user_value_falls_through", "", "[geral]\nbanco=  \n",
               "[geral]\nbanco=sqlite:/srv/a.db\n", "sqlite:/srv/a.db", Source::SystemFile},
        Layers{"command_line_over_all", "sqlite:/tmp/x.db", "[geral]\nbanco=sqlite:/home/u/meu.db\n",
               "[geral]\nbanco=firebird://srv/erp.fdb\n", "sqlite:/tmp/x.db", Source::CommandLine},
        Layers{"broken_file_is_ignored", "", "\x01\x02 não é ini [[[", "[geral]\nbanco=sqlite:/srv/a.db\n",
               "sqlite:/srv/a.db", Source::SystemFile}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Precedence, RememberWritesTheUsersFileAndKeepsItsOtherKeys) {
    write(OfficeSettings::systemFile(), "[geral]\nbanco=firebird://srv/erp.fdb\n");
    OfficeSettings::remember("filial", "02");
    OfficeSettings::remember("banco", "sqlite:/home/u/novo.db");
    EXPECT_EQ(OfficeSettings::value("banco").value, "sqlite:/home/u/novo.db");
    EXPECT_EQ(OfficeSettings::value("filial").value, "02");
    QFile system(OfficeSettings::systemFile());
    ASSERT_TRUE(system.open(QIODevice::ReadOnly));
    EXPECT_EQ(system.readAll(), "[geral]\nbanco=firebird://srv/erp.fdb\n");
}

} // namespace
