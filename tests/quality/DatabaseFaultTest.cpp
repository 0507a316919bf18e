// The screen open on the Firebird server while the database goes away: the server stopped under an
// open connection, and the connection killed half way through a report's fetch. Each lookup and
// report shows a message naming the database, the screen stays open with its filters as they were,
// nothing half-done is left (no lookup list, no PDF), and once the database is back the next lookup
// and report work in the same host.
#include "ModuleScreen.h"
#include "QualityDatabases.h"
#include "library/FiliProc.h"

#include "core/Errors.h"
#include "core/HostSettings.h"
#include "data/dtmDBGeral.h"
#include "forms/TCheckBox.h"
#include "library/TDateEditPlus.h"
#include "reporting/ReportController.h"
#include "reporting/TfrmDadosGerRel.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

namespace {

// Stops the server for its lifetime and starts it again however the test ends. A watcher process
// starts it too should this process die first, since the tests after this one need it.
class ServerStopped {
public:
    ServerStopped() {
        QProcess watcher;
        watcher.setProcessEnvironment(QualityDb::serverEnvironment());
        watcher.setProgram(QStringLiteral("bash"));
        watcher.setArguments(
            {QStringLiteral("-c"),
             QStringLiteral("while kill -0 %1 2>/dev/null; do sleep 1; done; bash '%2' start >/dev/null")
                 .arg(getpid())
                 .arg(TestEnv::sourceDir() + QStringLiteral("/scripts/firebird-server.sh"))});
        watcher.startDetached();
        stopped = QualityDb::server(QStringLiteral("stop"));
    }
    ~ServerStopped() { QualityDb::server(QStringLiteral("start")); }
    bool stopped = false;
};

// Every filter the user can see: state, text and enabled flag, plus the unit's client selection.
std::map<QString, QString> filters(const ModuleScreen& screen) {
    std::map<QString, QString> state;
    for (auto* r : screen.form()->findChildren<TRadioButton*>())
        state[r->objectName()] = QStringLiteral("%1/%2").arg(r->Checked()).arg(r->Enabled());
    for (auto* c : screen.form()->findChildren<TCheckBox*>())
        state[c->objectName()] = QStringLiteral("%1/%2").arg(c->Checked()).arg(c->Enabled());
    for (auto* d : screen.form()->findChildren<TDateEditPlus*>())
        state[d->objectName()] = d->Text();
    state[QStringLiteral("cbbReportNames")] =
        QString::number(screen.get<TComboBox>("cbbReportNames")->ItemIndex());
    state[QStringLiteral("ListaCliente")] = screen.listaCliente();
    return state;
}

class DatabaseFault : public ::testing::Test {
protected:
    void SetUp() override {
        url = QualityDb::firebirdUrl();
        if (url.isEmpty())
            GTEST_SKIP() << "ERP_FIREBIRD_URL is not set";
        TestEnv::reset();
        QualityDb::open(url);
        SetFilial(QStringLiteral("01"));
        HostSettings::setReportsDir(TestEnv::sourceDir() + QStringLiteral("/reports"));
        pdf = dir.filePath(QStringLiteral("clientes.pdf"));
        HostSettings::setPrinter(QStringLiteral("pdf:") + pdf);
        screen.load();
        ASSERT_NE(screen.open(), nullptr);
        screen.pickVariant(1);
        screen.lookupClients(TestEnv::dialogs(), [](const LookupRequest& r) { return firstKeys(r, 40); });
        ASSERT_TRUE(TestEnv::dialogs().errors().isEmpty())
            << TestEnv::dialogs().errors().join('\n').toStdString();
        ASSERT_FALSE(screen.listaCliente().isEmpty());
    }
    void TearDown() override {
        if (screen.loaded()) {
            screen.close();
            screen.unload();
        }
        HostSettings::setPrinter(QString());
    }

    // The lookup and the report work again, in this host, on the same screen.
    void expectWorking() {
        TestEnv::dialogs().clear();
        screen.lookupClients(TestEnv::dialogs(), [](const LookupRequest& r) { return firstKeys(r, 40); });
        EXPECT_TRUE(TestEnv::dialogs().errors().isEmpty())
            << TestEnv::dialogs().errors().join('\n').toStdString();
        EXPECT_EQ(TestEnv::dialogs().lookups.size(), 1u);
        EXPECT_FALSE(screen.listaCliente().isEmpty());
        QFile::remove(pdf);
        screen.click("sbtPrint");
        EXPECT_TRUE(TestEnv::dialogs().errors().isEmpty())
            << TestEnv::dialogs().errors().join('\n').toStdString();
        EXPECT_TRUE(QFile::exists(pdf));
    }

    // One error, naming the database; the screen open and untouched.
    void expectRefused(const std::map<QString, QString>& before, const char* what) {
        const QStringList errors = TestEnv::dialogs().errors();
        ASSERT_EQ(errors.size(), 1) << what << ": " << errors.join('\n').toStdString();
        EXPECT_TRUE(errors.first().contains(url)) << what << ": " << errors.first().toStdString();
        EXPECT_TRUE(TestEnv::dialogs().lookups.empty()) << what; // no list of half the rows
        ASSERT_NE(screen.form(), nullptr);
        EXPECT_TRUE(screen.form()->isVisible()) << what;
        EXPECT_EQ(filters(screen), before) << what;
        EXPECT_FALSE(QFile::exists(pdf)) << what;
        ++faults;
        TestEnv::dialogs().clear();
    }

    QString url;
    QTemporaryDir dir;
    QString pdf;
    ModuleScreen screen;
    int faults = 0;
};

TEST_F(DatabaseFault, StoppedServerRefusesLookupAndReportThenRecovers) {
    const auto before = filters(screen);
    {
        ServerStopped stop;
        ASSERT_TRUE(stop.stopped);
        TestEnv::dialogs().clear();
        QFile::remove(pdf);
        for (int round = 0; round < 2; ++round) { // the lost connection, then no connection at all
            screen.click("sbtCliente");
            expectRefused(before, "lookup");
            screen.click("sbtPrint");
            expectRefused(before, "report to PDF");
            screen.click("sbtPreview");
            EXPECT_TRUE(std::none_of(TestEnv::dialogs().shown.begin(), TestEnv::dialogs().shown.end(),
                                     [](const auto& s) { return s.kind == u"preview"; }));
            expectRefused(before, "preview");
        }
    }
    expectWorking();
    std::printf("database faults: %d refused actions with the server stopped, recovered after restart\n",
                faults);
}

TEST_F(DatabaseFault, ConnectionKilledDuringTheFetchLeavesNoPdf) {
    const auto before = filters(screen);
    screen.get<TRadioButton>("rbtTCliente")->SetChecked(true); // every client: a fetch of many batches
    const auto all = filters(screen);

    // After the first rows have arrived (on the thread that reads them), a new connection ends every
    // other one: the report's and the screen's, as a server restart would.
    bool killed = false;
    auto* form = qobject_cast<TfrmDadosGerRel*>(screen.form());
    ASSERT_NE(form, nullptr);
    const QString source = dtmDBGeral::connectionName();
    form->reports().setCancelCheck([&](qint64 rows) {
        if (rows != 100 || killed)
            return false;
        {
            QSqlDatabase admin = QSqlDatabase::cloneDatabase(source, QStringLiteral("quality-killer"));
            if (admin.open()) {
                QSqlQuery kill(admin);
                killed = kill.exec(QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> "
                                                  "CURRENT_CONNECTION AND MON$SYSTEM_FLAG = 0"));
                if (!killed)
                    qWarning("kill: %s", qPrintable(kill.lastError().text()));
                admin.close();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("quality-killer"));
        return false;
    });
    TestEnv::dialogs().clear();
    QFile::remove(pdf);
    screen.click("sbtPrint");
    form->reports().setCancelCheck({});
    ASSERT_TRUE(killed);
    const QStringList errors = TestEnv::dialogs().errors();
    ASSERT_EQ(errors.size(), 1) << errors.join('\n').toStdString();
    // Said plainly, in Portuguese: which database, that nothing was written, that trying again works.
    EXPECT_TRUE(errors[0].startsWith(
        QStringLiteral("A conexão com o banco de dados '%1' foi perdida").arg(dtmDBGeral::instance().url())))
        << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains(QStringLiteral("Nada foi gravado. Repita a ação")))
        << errors[0].toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(filters(screen), all);
    TestEnv::dialogs().clear();

    screen.get<TRadioButton>("rbtLCliente")->SetChecked(true);
    expectWorking();
    EXPECT_EQ(filters(screen), before);
    std::printf("database faults: connection killed at row 100 of a report, no PDF, recovered\n");
}

} // namespace
