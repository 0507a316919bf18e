#include "DataBackends.h"

#include "core/Errors.h"
#include "data/DatabaseUrl.h"
#include "demo/DemoDatabase.h"
#include "demo/FirebirdAdmin.h"
#include "demo/PostgresAdmin.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

struct State {
    std::unique_ptr<QTemporaryDir> dir;
    QHash<int, QString> demo;
    std::vector<QString> serverUrls; // dropped at the end
    int counter = 0;
};

State& state() {
    static State s;
    return s;
}

QString localDir() {
    State& s = state();
    if (!s.dir)
        s.dir = std::make_unique<QTemporaryDir>();
    return s.dir->path();
}

// The server URL with the file name replaced, so the tests' databases sit beside the given one.
QString serverUrlFor(const QString& stem) {
    return TestEnv::serverDatabaseUrl(stem);
}

QString newUrl(Backend b, const QString& tag) {
    State& s = state();
    const QString stem =
        QStringLiteral("data-%1-%2-%3").arg(tag).arg(QCoreApplication::applicationPid()).arg(++s.counter);
    switch (b) {
    case Backend::SQLite:
        return QStringLiteral("sqlite:%1/%2.db").arg(localDir(), stem);
    case Backend::FirebirdEmbedded:
        return QStringLiteral("firebird:%1/%2.fdb").arg(localDir(), stem);
    case Backend::FirebirdServer:
        return serverUrlFor(stem);
    case Backend::PostgreSQLServer:
        return TestEnv::postgresDatabaseUrl(QString(stem).replace('-', '_'));
    }
    return {};
}

void drop(const DatabaseUrl& url) {
    if (url.kind == DatabaseKind::PostgreSQL)
        PostgresAdmin::dropDatabase(url);
    else
        FirebirdAdmin::dropDatabase(url);
}

class Cleanup : public ::testing::Environment {
public:
    void TearDown() override {
        dtmDBGeral::instance().close();
        for (const QString& url : state().serverUrls) {
            try {
                drop(DatabaseUrl::parse(url));
            } catch (const EHostError& e) {
                std::fprintf(stderr, "cleanup: %s\n", e.what());
            }
        }
        state().serverUrls.clear();
        state().dir.reset();
    }
};
[[maybe_unused]] ::testing::Environment* const g_cleanup = ::testing::AddGlobalTestEnvironment(new Cleanup);

} // namespace

QString backendName(Backend b) {
    switch (b) {
    case Backend::SQLite:
        return QStringLiteral("SQLite");
    case Backend::FirebirdEmbedded:
        return QStringLiteral("FirebirdEmbedded");
    case Backend::FirebirdServer:
        return QStringLiteral("FirebirdServer");
    case Backend::PostgreSQLServer:
        return QStringLiteral("PostgreSQLServer");
    }
    return {};
}

namespace DataBackends {

std::optional<QString> unavailable(Backend b) {
    if (b == Backend::SQLite)
        return std::nullopt;
    if (b == Backend::PostgreSQLServer) {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
            return QStringLiteral("the Qt PostgreSQL driver (libqt6sql6-psql) is not installed");
        if (qEnvironmentVariable("ERP_POSTGRES_URL").isEmpty())
            return QStringLiteral(
                "ERP_POSTGRES_URL is not set (start one with scripts/postgres-server.sh start "
                "and set it to the output of scripts/postgres-server.sh url)");
        return std::nullopt;
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QIBASE")))
        return QStringLiteral("the Qt Firebird driver (libqt6sql6-ibase) is not installed");
    if (!FirebirdAdmin::available())
        return QStringLiteral("the Firebird client library is not installed");
    if (b == Backend::FirebirdServer && qEnvironmentVariable("ERP_FIREBIRD_URL").isEmpty())
        return QStringLiteral("ERP_FIREBIRD_URL is not set (start one with scripts/firebird-server.sh start "
                              "and set it to the output of scripts/firebird-server.sh url)");
    return std::nullopt;
}

QString freshUrl(Backend b, const QString& tag, bool withSchema) {
    const QString url = newUrl(b, tag);
    const DatabaseUrl parsed = DatabaseUrl::parse(url);
    if (b != Backend::SQLite) {
        drop(parsed); // a leftover of a crashed run
        state().serverUrls.push_back(url);
    }
    if (b == Backend::PostgreSQLServer)
        PostgresAdmin::createDatabase(parsed);
    else if (b != Backend::SQLite)
        FirebirdAdmin::createDatabase(parsed);
    else
        QFile(parsed.path).open(QIODevice::WriteOnly); // an empty file is an empty SQLite database
    if (withSchema) {
        const QString name = QStringLiteral("fresh-schema");
        {
            QSqlDatabase db = DatabaseConnection::open(parsed, name);
            DemoDatabase::createSchema(db);
        }
        DatabaseConnection::remove(name);
    }
    return url;
}

QString demoUrl(Backend b) {
    State& s = state();
    const int key = int(b);
    if (!s.demo.contains(key)) {
        const QString url = newUrl(b, QStringLiteral("demo"));
        if (b != Backend::SQLite) {
            drop(DatabaseUrl::parse(url));
            s.serverUrls.push_back(url);
        }
        DemoDatabase::create(url);
        s.demo.insert(key, url);
    }
    return s.demo.value(key);
}

void openShared(const QString& url) {
    if (dtmDBGeral::instance().url() != url || !dtmDBGeral::instance().isOpen())
        dtmDBGeral::instance().open(url);
}

} // namespace DataBackends

void execShared(const QString& sql) {
    QSqlQuery q(dtmDBGeral::database());
    ASSERT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
}
