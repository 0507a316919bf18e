#include "QualityDatabases.h"

#include "core/Errors.h"
#include "data/dtmDBGeral.h"
#include "demo/DemoDatabase.h"
#include "support/TestEnv.h"

#include <QProcess>
#include <QTemporaryDir>

namespace QualityDb {

namespace {
void ensureDemo(const QString& url) {
    try {
        DemoDatabase::create(url, Clients);
    } catch (const EHostError& e) {
        if (!e.message().contains(QStringLiteral("já contém"))) // made by an earlier run: what we want
            throw;
    }
}
} // namespace

QString sqliteUrl() {
    static QTemporaryDir dir;
    static QString url;
    if (url.isEmpty()) {
        const QString candidate = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("quality.db"));
        ensureDemo(candidate);
        url = candidate;
    }
    return url;
}

QString firebirdUrl() {
    const QString shared = qEnvironmentVariable("ERP_FIREBIRD_URL");
    if (!shared.startsWith(QLatin1String("firebird://")))
        return {};
    static QString url;
    if (url.isEmpty()) {
        const QString candidate = TestEnv::serverDatabaseUrl(QStringLiteral("erp_quality"));
        ensureDemo(candidate);
        url = candidate;
    }
    return url;
}

QString postgresUrl() {
    if (qEnvironmentVariable("ERP_POSTGRES_URL").isEmpty())
        return {};
    static QString url;
    if (url.isEmpty()) {
        const QString candidate = TestEnv::postgresDatabaseUrl(QStringLiteral("erp_quality"));
        ensureDemo(candidate);
        url = candidate;
    }
    return url;
}

QString urlFor(const QString& kind) {
    return kind == u"sqlite" ? sqliteUrl() : kind == u"postgres" ? postgresUrl() : firebirdUrl();
}

QString largeServerUrl(const QString& kind, const QString& stem) {
    return kind == u"postgres" ? TestEnv::postgresDatabaseUrl(stem) : TestEnv::serverDatabaseUrl(stem);
}

void open(const QString& url) {
    dtmDBGeral& data = dtmDBGeral::instance();
    if (data.url() == url && data.isOpen())
        return;
    data.open(url);
}

bool largeTests() {
    return qEnvironmentVariable("ERP_LARGE_TESTS", QStringLiteral("1")) != u"0";
}

QProcessEnvironment serverEnvironment() {
    // The server must keep its own lock folder: the one the host set for its embedded engine belongs
    // to this user, and a server started with it cannot take its locks.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("FIREBIRD_LOCK"));
    // A restart in the middle of the run keeps the password the run was given.
    env.insert(QStringLiteral("ERP_FB_KEEP_PASSWORD"), QStringLiteral("1"));
    return env;
}

bool server(const QString& command) {
    QProcess p;
    p.setProcessEnvironment(serverEnvironment());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("bash"),
            {TestEnv::sourceDir() + QStringLiteral("/scripts/firebird-server.sh"), command});
    const bool ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!ok)
        qWarning("firebird-server.sh %s: %s", qPrintable(command), p.readAll().constData());
    return ok;
}

} // namespace QualityDb
