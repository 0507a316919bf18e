// cmake --install into a temporary prefix: the installed erp-host runs without options, finds its
// module, reports and demo schema in the installed tree, and prints to a PDF.
#include "app/HostProcess.h"

#include <QFile>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_prefix = new QTemporaryDir;
        s_cmake = QStandardPaths::findExecutable(QStringLiteral("cmake"));
        if (s_cmake.isEmpty())
            return;
        s_install = runProgram(s_cmake, {"--install", ERP_BINARY_DIR, "--prefix", s_prefix->path()},
                               QProcessEnvironment::systemEnvironment(), 300000);
    }
    static void TearDownTestSuite() {
        delete s_prefix;
        s_prefix = nullptr;
    }
    void SetUp() override {
        if (s_cmake.isEmpty())
            GTEST_SKIP() << "cmake is not on PATH";
        ASSERT_EQ(s_install.exitCode, 0) << s_install.err.toStdString();
    }
    static QString installed(const QString& relative) { return s_prefix->filePath(relative); }
    // A user's session on the installed tree: nothing points back into the sources or the build.
    QProcessEnvironment userEnvironment(const QString& steps) const {
        QProcessEnvironment env = hostEnvironment(m_home.path());
        for (const char* name : {"ERP_REPORTS_DIR", "ERP_DB_DIR", "LD_LIBRARY_PATH"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("ERP_SCRIPT"), steps);
        return env;
    }
    QString binary() const { return installed(QStringLiteral("bin/erp-host")); }

    static QTemporaryDir* s_prefix;
    static QString s_cmake;
    static HostRun s_install;
    QTemporaryDir m_home;
};
QTemporaryDir* Installed::s_prefix = nullptr;
QString Installed::s_cmake;
HostRun Installed::s_install;

TEST_F(Installed, LaysOutBinariesModuleReportsAndSchema) {
    QString libdir;
    for (const QString& candidate :
         {QStringLiteral("lib"), QStringLiteral("lib/x86_64-linux-gnu"), QStringLiteral("lib64")})
        if (QFile::exists(installed(candidate + "/erp-qmt318/libhost.so")))
            libdir = candidate;
    ASSERT_FALSE(libdir.isEmpty()) << "libhost.so is not under lib/erp-qmt318";
    for (const QString& file :
         {QStringLiteral("bin/erp-host"), libdir + "/erp-qmt318/modules/Pkg_qmt31800.so",
          QStringLiteral("share/erp-qmt318/db/schema.sql"),
          QStringLiteral("share/applications/erp-host.desktop"),
          QStringLiteral("share/man/man1/erp-host.1.gz")})
        EXPECT_TRUE(QFile::exists(installed(file))) << file.toStdString();
    EXPECT_FALSE(QDir(installed(QStringLiteral("share/erp-qmt318/reports/QMT318"))).isEmpty());
    // The language resource module is an example, not part of the default install.
    EXPECT_FALSE(QFile::exists(installed(libdir + "/erp-qmt318/modules/Pkg_qmt31800.so.en")));
}

TEST_F(Installed, VersionRuns) {
    const HostRun r = runProgram(binary(), {"--version"}, userEnvironment({}));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("erp-host "))) << r.out.toStdString();
}

TEST_F(Installed, PrintsToPdfFromTheInstalledTreeWithoutOptions) {
    const QString pdf = m_home.filePath(QStringLiteral("impresso.pdf"));
    const HostRun r = runProgram(binary(), {"--open", "QMT31800", "--printer", "pdf:" + pdf},
                                 userEnvironment(QStringLiteral("describe;print;quit")));
    ASSERT_TRUE(r.finished);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("erro:"))) << r.err.toStdString();
    // The module came from the installed tree, the demo database from the installed schema.
    const QStringList modules = r.facts(QStringLiteral("modulo"));
    ASSERT_EQ(modules.size(), 1) << r.out.toStdString();
    EXPECT_TRUE(modules.first().section('\t', 1).startsWith(QDir(s_prefix->path()).canonicalPath()))
        << modules.first().toStdString();
    EXPECT_TRUE(QFile::exists(m_home.filePath(QStringLiteral("erp-host/demo.db"))));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "no PDF was written";
    EXPECT_TRUE(file.read(5) == "%PDF-");
}

TEST_F(Installed, LanguageComponentInstallsTheEnglishResourceBesideTheModule) {
    const HostRun add = runProgram(
        s_cmake, {"--install", ERP_BINARY_DIR, "--prefix", s_prefix->path(), "--component", "idiomas"},
        QProcessEnvironment::systemEnvironment());
    ASSERT_EQ(add.exitCode, 0) << add.err.toStdString();
    const HostRun en = runProgram(binary(), {"--open", "QMT31800", "--idioma", "en"},
                                  userEnvironment(QStringLiteral("describe;quit")));
    ASSERT_EQ(en.exitCode, 0) << en.err.toStdString();
    EXPECT_TRUE(en.facts(QStringLiteral("tela")).contains(QStringLiteral("TfrmDadosCliente\tClient Data")))
        << en.out.toStdString();
    const HostRun pt =
        runProgram(binary(), {"--open", "QMT31800"}, userEnvironment(QStringLiteral("describe;quit")));
    EXPECT_TRUE(
        pt.facts(QStringLiteral("tela")).contains(QStringLiteral("TfrmDadosCliente\tDados do Cliente")))
        << pt.out.toStdString();
}

} // namespace
