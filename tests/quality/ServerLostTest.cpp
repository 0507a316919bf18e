// Eight offices printing report 1 at once from the same Firebird server when the server stops under
// them: every session says plainly that the connection was lost and that nothing was written, no
// file is left behind, and each prints again once the server is back, in the same host.
#include "QualityDatabases.h"
#include "app/HostProcess.h"

#include "data/DatabaseUrl.h"
#include "demo/DemoDatabase.h"
#include "demo/FirebirdAdmin.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

constexpr int kSessions = 8;

QStringList filesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files);
}

bool waitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QThread::msleep(50);
        QCoreApplication::processEvents(); // the hosts' output is read as events
    }
    return true;
}

TEST(ServerLost, EverySessionSaysSoWritesNothingAndPrintsAgain) {
    const QString shared = qEnvironmentVariable("ERP_FIREBIRD_URL");
    if (!shared.startsWith(QLatin1String("firebird://")) || !QualityDb::largeTests())
        GTEST_SKIP() << "needs the Firebird server (ERP_FIREBIRD_URL) and ERP_LARGE_TESTS";
    const QString url = shared.left(shared.lastIndexOf('/') + 1) + QStringLiteral("quality-sessions.fdb");
    try {
        FirebirdAdmin::dropDatabase(DatabaseUrl::parse(url));
    } catch (...) {
    }
    // A third in the session's branch: each report runs long enough that all eight are under way.
    DemoDatabase::create(url, 200000);
    struct Dropped {
        QString url;
        ~Dropped() {
            try {
                FirebirdAdmin::dropDatabase(DatabaseUrl::parse(url));
            } catch (...) {
            }
        }
    } dropped{url};

    QTemporaryDir out, home;
    QProcessEnvironment env = hostEnvironment(home.path());
    // Print; once the run has ended ("wait" waits for it), close its message; give the server time to
    // come back; print again and quit once that run is over.
    QStringList steps{QStringLiteral("variant=1"), QStringLiteral("print"), QStringLiteral("wait"),
                      QStringLiteral("dismiss")};
    for (int i = 0; i < 40; ++i)
        steps << QStringLiteral("wait");
    steps << QStringLiteral("print") << QStringLiteral("wait") << QStringLiteral("quit");
    env.insert(QStringLiteral("ERP_SCRIPT"), steps.join(';'));
    env.insert(QStringLiteral("ERP_SCRIPT_DELAY"), QStringLiteral("300"));
    std::vector<std::unique_ptr<QProcess>> hosts;
    for (int i = 0; i < kSessions; ++i) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env);
        p->start(hostBinary(), {"--database", url, "--open", "QMT31800", "--printer",
                                "pdf:" + out.filePath(QStringLiteral("sessao%1.pdf").arg(i))});
        hosts.push_back(std::move(p));
    }
    // Every session half way through its report: each has its window's connection and its report's,
    // and no file is there yet (they appear whole, at the end).
    {
        QSqlDatabase watcher = DatabaseConnection::open(DatabaseUrl::parse(url), QStringLiteral("watcher"));
        auto connections = [&] {
            QSqlQuery q(watcher);
            q.exec(QStringLiteral("SELECT COUNT(*) FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> "
                                  "CURRENT_CONNECTION AND MON$SYSTEM_FLAG = 0"));
            return q.next() ? q.value(0).toInt() : -1;
        };
        const bool underWay = waitUntil([&] { return connections() == 2 * kSessions; }, 120000);
        const int seen = connections();
        watcher = QSqlDatabase();
        DatabaseConnection::remove(QStringLiteral("watcher"));
        ASSERT_TRUE(underWay) << seen
                              << " connections; files: " << filesIn(out.path()).join(' ').toStdString();
    }
    ASSERT_TRUE(filesIn(out.path()).isEmpty()) << filesIn(out.path()).join(' ').toStdString();

    std::vector<QString> errors(kSessions);
    {
        // Stopped now, started again at the end of this block however it ends.
        struct Stopped {
            bool ok = QualityDb::server(QStringLiteral("stop"));
            ~Stopped() { QualityDb::server(QStringLiteral("start")); }
        } stopped;
        ASSERT_TRUE(stopped.ok);
        const bool told = waitUntil(
            [&] {
                int lost = 0;
                for (int i = 0; i < kSessions; ++i) {
                    errors[size_t(i)] += QString::fromLocal8Bit(hosts[size_t(i)]->readAllStandardError());
                    lost += errors[size_t(i)].contains(QStringLiteral("foi perdida durante o relatório"));
                }
                return lost == kSessions;
            },
            30000);
        for (int i = 0; i < kSessions; ++i)
            EXPECT_TRUE(errors[size_t(i)].contains(QStringLiteral("Nada foi gravado. Repita a ação")))
                << "session " << i << ": " << errors[size_t(i)].toStdString();
        ASSERT_TRUE(told);
        EXPECT_TRUE(filesIn(out.path()).isEmpty()) << filesIn(out.path()).join(' ').toStdString();
    }

    for (int i = 0; i < kSessions; ++i) {
        QProcess& p = *hosts[size_t(i)];
        ASSERT_TRUE(p.waitForFinished(120000)) << "session " << i;
        errors[size_t(i)] += QString::fromLocal8Bit(p.readAllStandardError());
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << "session " << i;
        // The print the server's loss broke is a failed step, though the next one printed.
        EXPECT_EQ(p.exitCode(), 1) << "session " << i << ": " << errors[size_t(i)].toStdString();
        EXPECT_TRUE(QFile::exists(out.filePath(QStringLiteral("sessao%1.pdf").arg(i))))
            << "session " << i << " did not print again: " << errors[size_t(i)].toStdString();
    }
    EXPECT_EQ(filesIn(out.path()).size(), kSessions) << filesIn(out.path()).join(' ').toStdString();
}

} // namespace
