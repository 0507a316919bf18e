// erp-host sessions on the offscreen platform: the window on a demo database, the screen opened from
// the command line, a print to a PDF, XLSX or CSV printer, a damaged demo database, an unreachable database,
// the language resource module.
#include "app/HostProcess.h"

#include "data/dtmDBGeral.h"
#include "demo/DemoDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

class Session : public ::testing::Test {
protected:
    // One demo database for the suite: creating it is the slow part.
    static void SetUpTestSuite() {
        s_dir = new QTemporaryDir;
        s_url = QStringLiteral("sqlite:") + s_dir->filePath(QStringLiteral("demo.db"));
        DemoDatabase::create(s_url);
    }
    static void TearDownTestSuite() {
        delete s_dir;
        s_dir = nullptr;
    }
    QProcessEnvironment scripted(const QString& steps) const {
        QProcessEnvironment env = hostEnvironment(m_home.path());
        env.insert(QStringLiteral("ERP_SCRIPT"), steps);
        return env;
    }
    static QString s_url;
    static QTemporaryDir* s_dir;
    QTemporaryDir m_home;
};
QString Session::s_url;
QTemporaryDir* Session::s_dir = nullptr;

QString pdfText(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST_F(Session, OpensTheScreenAndPrintsToThePdfPrinter) {
    const QString pdf = m_home.filePath(QStringLiteral("saida.pdf"));
    const HostRun r = runHost({"--database", s_url, "--open", "QMT31800", "--printer", "pdf:" + pdf},
                              scripted(QStringLiteral("describe;print;quit")));
    ASSERT_TRUE(r.finished) << r.err.toStdString();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("erro:"))) << r.err.toStdString();
    ASSERT_EQ(r.facts("janela").size(), 1);
    EXPECT_EQ(r.facts("janela").first(), QStringLiteral("Dados do Cliente — ") + s_url);
    EXPECT_TRUE(r.facts("tela").contains(QStringLiteral("TfrmDadosCliente\tDados do Cliente")))
        << r.out.toStdString();
    // The window menu lists the open screen; the module came from the build's modules folder.
    bool listed = false;
    for (const QString& menu : r.facts("menu"))
        listed |=
            menu.startsWith(QStringLiteral("&Janela\t")) && menu.contains(QStringLiteral("Dados do Cliente"));
    EXPECT_TRUE(listed) << r.out.toStdString();
    ASSERT_EQ(r.facts("modulo").size(), 1);
    EXPECT_EQ(r.facts("modulo").first().section('\t', 1),
              QFileInfo(QStringLiteral(ERP_MODULE_PATH)).canonicalFilePath());
    // The branch is the database's first one; the status bar says so.
    EXPECT_TRUE(r.out.contains(QStringLiteral("lblFilial\tFilial: ")));
    EXPECT_FALSE(r.out.contains(QStringLiteral("Filial: —")));

    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "no PDF was written";
    EXPECT_TRUE(file.read(5) == "%PDF-");
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is missing: the PDF's text was not checked";
    const QString text = pdfText(pdf);
    // Variant 0 printed for the session's branch, the first of the demo database.
    for (const char* expected : {"Aniversariantes do Mês", "Filial: 01", "Página 1 de"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                << text.left(800).toStdString();
}

// The session printer writes a spreadsheet or a CSV as well: the first sheet or line holds the
// report's title or its column headers.
struct FilePrinter {
    const char* name;
    const char* setting; // the prefix of --printer
    const char* member;  // the file's part to read ("" for the file itself)
    const char* expected;
};

class FilePrinters : public Session, public ::testing::WithParamInterface<FilePrinter> {};

TEST_P(FilePrinters, PrintWritesTheFile) {
    const FilePrinter& c = GetParam();
    const QString file = m_home.filePath(QStringLiteral("saida.") + QLatin1String(c.setting));
    const HostRun r = runHost(
        {"--database", s_url, "--open", "QMT31800", "--printer", QLatin1String(c.setting) + ':' + file},
        scripted(QStringLiteral("print;quit")));
    ASSERT_TRUE(r.finished) << r.err.toStdString();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("erro:"))) << r.err.toStdString();
    QByteArray content;
    if (*c.member) {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, QLatin1String(c.member)});
        ASSERT_TRUE(unzip.waitForFinished(60000) && unzip.exitCode() == 0) << "not a workbook";
        content = unzip.readAllStandardOutput();
    } else {
        QFile written(file);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << "nothing was written";
        content = written.readAll();
    }
    EXPECT_TRUE(content.contains(c.expected)) << content.left(600).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Session, FilePrinters,
                         ::testing::Values(FilePrinter{"xlsx", "xlsx", "xl/worksheets/sheet1.xml",
                                                       "Aniversariantes do Mês"},
                                           FilePrinter{"csv", "csv", "",
                                                       "\xEF\xBB\xBF"
                                                       "Dia;Código;Nome / Razão Social"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Steps queued while report 1 is still reading a third of 100,000 clients: the host never crashes,
// each step waits for the print before it (quit and close once the file is whole), and only cancel
// stops the run and leaves no file.
struct StepDuringRun {
    const char* name;
    const char* steps;
    bool complete; // the PDF is written whole; otherwise there is none
    int exitCode;
};

class StepsDuringARun : public ::testing::TestWithParam<StepDuringRun> {
protected:
    static void SetUpTestSuite() {
        s_dir = new QTemporaryDir;
        s_url = QStringLiteral("sqlite:") + s_dir->filePath(QStringLiteral("grande.db"));
        DemoDatabase::create(s_url, 100000);
    }
    static void TearDownTestSuite() {
        delete s_dir;
        s_dir = nullptr;
    }
    static QString s_url;
    static QTemporaryDir* s_dir;
};
QString StepsDuringARun::s_url;
QTemporaryDir* StepsDuringARun::s_dir = nullptr;

TEST_P(StepsDuringARun, NeverCrashAndLeaveNoHalfFile) {
    QTemporaryDir home;
    const QString pdf = home.filePath(QStringLiteral("saida.pdf"));
    QProcessEnvironment env = hostEnvironment(home.path());
    env.insert(QStringLiteral("ERP_SCRIPT"), QLatin1String(GetParam().steps));
    env.insert(QStringLiteral("ERP_SCRIPT_DELAY"), QStringLiteral("30"));
    const HostRun r = runHost({"--database", s_url, "--open", "QMT31800", "--printer", "pdf:" + pdf}, env);
    ASSERT_TRUE(r.finished) << r.err.toStdString();
    EXPECT_FALSE(r.crashed) << r.err.toStdString();
    EXPECT_EQ(r.exitCode, GetParam().exitCode) << r.err.toStdString();
    if (GetParam().complete)
        EXPECT_TRUE(pdfText(pdf).contains(QStringLiteral("Total de clientes: "))) << r.err.toStdString();
    else
        EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(QDir(home.path()).entryList({QStringLiteral("*.pdf*")}, QDir::Files).size(),
              GetParam().complete ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Session, StepsDuringARun,
    ::testing::Values(StepDuringRun{"quit", "variant=1;print;quit", true, 0},
                      StepDuringRun{"close", "variant=1;print;close", true, 0},
                      // Nothing is left to dismiss once the print is over.
                      StepDuringRun{"dismiss", "variant=1;print;dismiss;wait;quit", true, 1},
                      StepDuringRun{"cancel", "variant=1;print;cancel;quit", false, 0},
                      StepDuringRun{"print_waits", "variant=1;print;print;quit", true, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Session, RefusedPrintEndsTheSessionWithOneNamingTheStep) {
    const QString pdf = m_home.filePath(QStringLiteral("saida.pdf"));
    const HostRun r = runHost({"--database", s_url, "--open", "QMT31800", "--printer", "pdf:" + pdf},
                              scripted(QStringLiteral("variant=2;type=depDeDtAn:;print;quit")));
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("passo 'print' falhou: Data inicial deve ser informada")))
        << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(Session, FirstRunCreatesTheDemoDatabaseInTheDataFolder) {
    const HostRun r = runHost({}, scripted(QStringLiteral("describe;quit")));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString created = m_home.filePath(QStringLiteral("erp-host/demo.db"));
    EXPECT_TRUE(QFile::exists(created)) << r.out.toStdString();
    ASSERT_EQ(r.facts("janela").size(), 1);
    EXPECT_EQ(r.facts("janela").first(), QStringLiteral("Dados do Cliente — Banco de demonstração"));
    EXPECT_TRUE(r.facts("status").contains(QStringLiteral("lblBanco\tBanco de demonstração (sqlite:") +
                                           created + ')'))
        << r.out.toStdString();
    // A second start finds it and opens it as it is.
    const HostRun again = runHost({}, scripted(QStringLiteral("describe;quit")));
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(again.facts("janela"), r.facts("janela"));
}

// A damaged demo database is kept under another name and made anew; the user is told both names.
struct DamagedDemo {
    const char* name;
    QByteArray content;
};

class DamagedDemoDatabase : public Session, public ::testing::WithParamInterface<DamagedDemo> {};

TEST_P(DamagedDemoDatabase, IsKeptAsideAndCreatedAnew) {
    const QString demo = m_home.filePath(QStringLiteral("erp-host/demo.db"));
    QDir().mkpath(QFileInfo(demo).absolutePath());
    QFile file(demo);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(GetParam().content);
    file.close();

    const HostRun r = runHost({}, scripted(QStringLiteral("describe;quit")));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("erro:"))) << r.err.toStdString();
    const QStringList kept =
        QDir(QFileInfo(demo).absolutePath()).entryList({QStringLiteral("demo.db.danificado-*")}, QDir::Files);
    ASSERT_EQ(kept.size(), 1) << r.err.toStdString();
    const QString keptPath = QFileInfo(demo).absoluteDir().filePath(kept.first());
    QFile keptFile(keptPath);
    ASSERT_TRUE(keptFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(keptFile.readAll(), GetParam().content);
    bool told = false;
    for (const QString& line : r.errLines())
        told |= line.contains(QStringLiteral("informação:")) && line.contains('\'' + demo + '\'') &&
                line.contains('\'' + keptPath + '\'');
    EXPECT_TRUE(told) << r.err.toStdString();
    // The new one is the session's database, with its branches.
    EXPECT_EQ(r.facts("janela"), QStringList{QStringLiteral("Dados do Cliente — Banco de demonstração")});
    EXPECT_FALSE(r.out.contains(QStringLiteral("Filial: —"))) << r.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedDemoDatabase,
                         ::testing::Values(DamagedDemo{"not_sqlite",
                                                       QByteArray("isto não é um banco\n").repeated(300)},
                                           DamagedDemo{"without_tables", QByteArray()}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Session, UnreachableDatabaseShowsTheMessageAndTheWindowStillOpens) {
    const HostRun r =
        runHost({"--database", "sqlite:/nao/existe/erp.db"}, scripted(QStringLiteral("describe;quit")));
    ASSERT_TRUE(r.finished);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("erro:"))) << "the data layer's message was not shown";
    EXPECT_TRUE(r.err.contains(QStringLiteral("/nao/existe/erp.db"))) << r.err.toStdString();
    EXPECT_EQ(r.facts("janela"), QStringList{QStringLiteral("Dados do Cliente — sem banco de dados")});
}

TEST_F(Session, GivenBranchIsTheSessionsBranch) {
    const HostRun r =
        runHost({"--database", s_url, "--filial", "02"}, scripted(QStringLiteral("describe;quit")));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.facts("status").contains(QStringLiteral("lblFilial\tFilial: 02"))) << r.out.toStdString();
}

TEST_F(Session, MissingModuleIsReportedWithWhereItWasLookedFor) {
    QTemporaryDir empty;
    const HostRun r = runHost({"--database", s_url, "--modules", empty.path(), "--open", "QMT31800"},
                              scripted(QStringLiteral("describe;quit")));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Pkg_qmt31800.so não foi encontrado"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(empty.path()));
    EXPECT_TRUE(r.facts("tela").isEmpty());
}

// The language resource module beside the module file replaces the screen's resource only when the
// session's language is its own.
struct LanguageCase {
    const char* name;
    QStringList args;
    bool withEnglishFile;
    const char* caption;
    const char* clientGroup;
};
void PrintTo(const LanguageCase& c, std::ostream* os) {
    *os << c.name;
}

class LanguageModule : public Session, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(LanguageModule, ScreenResourceComesFromTheSessionsLanguage) {
    const LanguageCase& c = GetParam();
    QTemporaryDir modules;
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(ERP_MODULE_PATH), modules.filePath(QStringLiteral("Pkg_qmt31800.so"))));
    if (c.withEnglishFile) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(ERP_SOURCE_DIR "/app/lang/Pkg_qmt31800.so.en"),
                                modules.filePath(QStringLiteral("Pkg_qmt31800.so.en"))));
    }
    QStringList args{"--database", s_url, "--modules", modules.path(), "--open", "QMT31800"};
    args << c.args;
    const HostRun r = runHost(args, scripted(QStringLiteral("describe;quit")));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("erro:"))) << r.err.toStdString();
    EXPECT_TRUE(r.facts("tela").contains(QStringLiteral("TfrmDadosCliente\t") + QString::fromUtf8(c.caption)))
        << r.out.toStdString();
    bool found = false;
    for (const QString& control : r.facts("controle"))
        if (control.startsWith(QStringLiteral("grbCliente\t")))
            found = control.section('\t', 2, 2) == QString::fromUtf8(c.clientGroup);
    EXPECT_TRUE(found) << r.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Languages, LanguageModule,
    ::testing::Values(
        LanguageCase{"english_file_english_session", {"--idioma", "en"}, true, "Client Data", "Client"},
        LanguageCase{"english_file_portuguese_session", {}, true, "Dados do Cliente", "Cliente"},
        LanguageCase{
            "english_session_without_file", {"--idioma", "en"}, false, "Dados do Cliente", "Cliente"},
        LanguageCase{
            "spanish_session_english_file", {"--idioma", "es"}, true, "Dados do Cliente", "Cliente"}),
    [](const auto& info) { return std::string(info.param.name); });

// Set up once for an office: the system's settings name the database every user opens; a user who
// connects elsewhere and says "Lembrar" opens that one from then on; a wrong URL changes nothing.
TEST_F(Session, SettingsNameTheDatabaseAndAFailedConnectionKeepsTheSession) {
    const QString other = QStringLiteral("sqlite:") + m_home.filePath(QStringLiteral("outro.db"));
    DemoDatabase::create(other);
    QFile system(m_home.filePath(QStringLiteral("erp-host.conf")));
    ASSERT_TRUE(system.open(QIODevice::WriteOnly));
    system.write(("[geral]\nbanco=" + s_url + "\nfilial=02\n").toUtf8());
    system.close();

    const HostRun wrong = runHost(
        {"--open", "QMT31800"},
        scripted(QStringLiteral("menu=actBanco;answer=sqlite:/nao/existe/erp.db;dismiss;describe;quit")));
    ASSERT_TRUE(wrong.finished) << wrong.err.toStdString();
    EXPECT_TRUE(wrong.err.contains(QStringLiteral("/nao/existe/erp.db"))) << wrong.err.toStdString();
    EXPECT_EQ(wrong.facts("janela"), QStringList{QStringLiteral("Dados do Cliente — ") + s_url});
    EXPECT_TRUE(wrong.facts("tela").contains(QStringLiteral("TfrmDadosCliente\tDados do Cliente")))
        << wrong.out.toStdString();
    EXPECT_TRUE(wrong.facts("status").contains(QStringLiteral("lblFilial\tFilial: 02")))
        << wrong.out.toStdString();

    const HostRun remembered = runHost({}, scripted(QStringLiteral("menu=actBanco;answer=") + other +
                                                    QStringLiteral(";answer=Lembrar;quit")));
    ASSERT_EQ(remembered.exitCode, 0) << remembered.err.toStdString();
    const HostRun next = runHost({}, scripted(QStringLiteral("describe;quit")));
    EXPECT_EQ(next.facts("janela"), QStringList{QStringLiteral("Dados do Cliente — ") + other})
        << next.err.toStdString();
}

} // namespace
