// erp-host report: the same request gives the window's file, a refused or failed one exits 1 with its
// message and leaves the target as it was, and a file of requests writes what it can and names the rest.
#include "app/HostProcess.h"

#include "demo/DemoDatabase.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

QString s_demoFile;

class ReportCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new QTemporaryDir;
        s_demoFile = s_dir->filePath(QStringLiteral("demo.db"));
        s_url = QStringLiteral("sqlite:") + s_demoFile;
        DemoDatabase::create(s_url);
    }
    static void TearDownTestSuite() {
        delete s_dir;
        s_dir = nullptr;
    }
    HostRun report(QStringList args) const {
        QProcessEnvironment env = hostEnvironment(m_home.path());
        env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the command needs no display of its own
        return runHost(QStringList{"report", "--database", s_url} + args, env);
    }
    QString path(const QString& name) const { return m_home.filePath(name); }
    static QByteArray read(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static QString s_url;
    static QTemporaryDir* s_dir;
    QTemporaryDir m_home;
};
QString ReportCommand::s_url;
QTemporaryDir* ReportCommand::s_dir = nullptr;

// The client lookup shows a client's CPF or CNPJ first, not its code: "clientes:CODE,CODE" in a
// step becomes the documents of those clients, as a user would tick them.
QString documentsFor(QString steps) {
    static const QRegularExpression clients(QStringLiteral("clientes:([0-9,]+)"));
    const QRegularExpressionMatch m = clients.match(steps);
    if (!m.hasMatch())
        return steps;
    QStringList documents;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("documentos"));
        db.setDatabaseName(s_demoFile);
        db.open();
        QSqlQuery q(db);
        for (const QString& code : m.captured(1).split(',')) {
            q.prepare(QStringLiteral("SELECT NRINSJURCLIE FROM CLIENTE WHERE CDCLIENTE = ?"));
            q.addBindValue(code);
            if (q.exec() && q.next())
                documents << q.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("documentos"));
    return steps.replace(m.capturedStart(), m.capturedLength(), documents.join(','));
}

struct SameRequest {
    const char* name;
    const char* steps;   // the window's, before print;quit
    QStringList options; // the command's
};

class SameAsTheWindow : public ReportCommand, public ::testing::WithParamInterface<SameRequest> {};

TEST_P(SameAsTheWindow, WritesTheClientsTheWindowPrints) {
    const QString window = path(QStringLiteral("janela.csv"));
    QProcessEnvironment env = hostEnvironment(m_home.path());
    env.insert(QStringLiteral("ERP_SCRIPT"),
               documentsFor(QLatin1String(GetParam().steps)) + QStringLiteral(";print;quit"));
    const HostRun w = runHost({"--database", s_url, "--open", "QMT31800", "--printer", "csv:" + window}, env);
    ASSERT_EQ(w.exitCode, 0) << w.err.toStdString();
    const HostRun c = report(GetParam().options + QStringList{"-o", "-"});
    ASSERT_EQ(c.exitCode, 0) << c.err.toStdString();
    const QString printed = QString::fromUtf8(read(window));
    EXPECT_GT(printed.count('\n'), 1) << "the filters left no client: " << printed.toStdString();
    EXPECT_EQ(c.out.toStdString(), printed.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Reports, SameAsTheWindow,
    ::testing::Values(
        SameRequest{"month_districts",
                    "variant=0;type=depDeDtAn:12/2026;click=rbtLBairro;click=sbtBairro;pick=001,002",
                    {"--relatorio", "0", "--mes", "12/2026", "--bairros", "001,002"}},
        SameRequest{
            "lines_of_business_by_title",
            "variant=1;click=rbtLCliente;click=sbtCliente;pick=clientes:000002,000004,000008,000011,000012;"
            "click=rbtLRamoAtiv;click=sbtRamoAtiv;pick=0102,0103",
            {"--relatorio", "clientes por ramo de atividade", "--clientes",
             "000002,000004,000008,000011,000012", "--ramos", "0102,0103"}},
        SameRequest{"period_across_the_new_year",
                    "variant=2;type=depDeDtAn:15/12/2025;type=depAteDtAn:15/01/2026;click=chbOrcamento",
                    {"--relatorio", "2", "--de", "15/12/2025", "--ate", "15/01", "--origens", "encomenda"}},
        SameRequest{"client_types",
                    "variant=3;click=chbJuridica;click=chbEncomenda",
                    {"--relatorio", "3", "--tipos", "fisica,outros", "--origens", "orçamento"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct Refusal {
    const char* name;
    QStringList options;
    const char* target; // made a folder when it ends with "/"
    const char* message;
};

class Refused : public ReportCommand, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Refused, ExitsOneWithTheMessageAndLeavesTheTargetAsItWas) {
    const QString target = path(QLatin1String(GetParam().target));
    if (target.endsWith('/')) {
        ASSERT_TRUE(QDir().mkpath(target));
    } else {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("o relatório de ontem");
    }
    const QString output = target.endsWith('/') ? target.chopped(1) : target;
    const HostRun r = report(GetParam().options + QStringList{"-o", output});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(GetParam().message))) << r.err.toStdString();
    if (!target.endsWith('/')) {
        EXPECT_EQ(read(target), QByteArray("o relatório de ontem"));
    }
    EXPECT_EQ(QDir(m_home.path()).entryList(QDir::Files).size(), target.endsWith('/') ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, Refused,
    ::testing::Values(
        Refusal{"empty_period", {"--relatorio", "2"}, "a.pdf", "Data inicial deve ser informada"},
        Refusal{"impossible_day", {"--relatorio", "2", "--de", "30/02", "--ate", "10/03"}, "a.pdf", "30/02"},
        Refusal{"filter_the_report_lacks",
                {"--relatorio", "0", "--mes", "01/2027", "--ramos", "01"},
                "a.csv",
                "não tem o filtro de ramos de atividade"},
        Refusal{"unknown_client", {"--relatorio", "1", "--clientes", "000001,XYZ"}, "a.xlsx", "XYZ"},
        Refusal{"unknown_branch", {"--relatorio", "1", "--filial", "99"}, "a.pdf", "'99'"},
        Refusal{"target_is_a_folder", {"--relatorio", "1"}, "pasta.pdf/", "é uma pasta"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReportCommand, FileOfRequestsWritesEveryBranchAndNamesTheOneThatFailed) {
    QFile requests(path(QStringLiteral("pedidos.txt")));
    ASSERT_TRUE(requests.open(QIODevice::WriteOnly | QIODevice::Text));
    requests.write(QStringLiteral("# aniversariantes de cada filial\n"
                                  "--filial 01 -o %1/filial-01.pdf\n\n"
                                  "--filial 02 -o %1/filial-02.pdf\n"
                                  "--filial 03 -o %1/filial-03.pdf\n")
                       .arg(m_home.path())
                       .toUtf8());
    requests.close();
    const QStringList common{"--relatorio", "0", "--mes", "12/2026", "--pedidos", requests.fileName()};
    const HostRun all = report(common);
    EXPECT_EQ(all.exitCode, 0) << all.err.toStdString();
    for (const char* branch : {"01", "02", "03"}) {
        const QString file = path(QStringLiteral("filial-%1.pdf").arg(QLatin1String(branch)));
        EXPECT_TRUE(read(file).startsWith("%PDF-")) << branch;
        QFile::remove(file);
    }
    // The third branch's file cannot be written where a folder stands.
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("filial-03.pdf"))));
    const HostRun one = report(common);
    EXPECT_EQ(one.exitCode, 1) << one.err.toStdString();
    EXPECT_TRUE(read(path(QStringLiteral("filial-01.pdf"))).startsWith("%PDF-"));
    EXPECT_TRUE(read(path(QStringLiteral("filial-02.pdf"))).startsWith("%PDF-"));
    EXPECT_TRUE(one.err.contains(QStringLiteral("linha 5 de ") + requests.fileName()))
        << one.err.toStdString();
    EXPECT_TRUE(one.err.contains(QStringLiteral("1 de 3 relatórios não foram gravados")))
        << one.err.toStdString();
}

} // namespace
