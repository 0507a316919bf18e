// The key table that carries list parameters into report queries, and the shared connection.
#include "DataBackends.h"

#include "core/Errors.h"
#include "data/DatabaseUrl.h"
#include "data/KeyTable.h"
#include "library/SelectionText.h"

#include <QElapsedTimer>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

const QStringList kHostileKeys = {
    "'; DROP TABLE CLIENTE; --",
    "|",
    "%",
    "_",
    "a%b_c",
    QString::fromUtf8("São João"),
    QString::fromUtf8("ÇÃÕÉ"),
    "ABCDEFGHIJKLMNOPQRSTU",
    "T",
    " ",
    "#L1:3:abc",
    "\"quoted\"",
    "back\\slash",
    ":P_NAME",
    "?",
};
// Rows that a key must not drag in: near misses of the keys above.
const QStringList kDecoys = {"X", "ABCDEFGHIJKLMNOPQRST", "Sao Joao", "a_b%c", "t", "DROP", "#L1:"};

QStringList selectKeys(const QString& param) {
    QSqlQuery q(dtmDBGeral::database());
    q.setForwardOnly(true);
    const QString sql = QStringLiteral("SELECT T.K FROM KEYTEST T WHERE EXISTS (SELECT 1 FROM %1 S WHERE "
                                       "S.PARAM = '%2' AND S.KEYVALUE = T.K) ORDER BY T.N")
                            .arg(KeyTable::tableName(), param);
    EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out;
}

int countKeys(const QString& param) {
    QSqlQuery q(dtmDBGeral::database());
    EXPECT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) FROM SELKEYS WHERE PARAM = '%1'").arg(param)))
        << q.lastError().text().toStdString();
    return q.next() ? q.value(0).toInt() : -1;
}

class KeyTableOn : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        SKIP_IF_UNAVAILABLE(GetParam());
        DataBackends::openShared(DataBackends::freshUrl(GetParam(), "keys", true));
        execShared("CREATE TABLE KEYTEST (N INTEGER NOT NULL, K VARCHAR(60))");
        QSqlQuery ins(dtmDBGeral::database());
        ASSERT_TRUE(ins.prepare("INSERT INTO KEYTEST (N, K) VALUES (?, ?)"));
        int n = 0;
        for (const QString& k : kHostileKeys + kDecoys) {
            ins.bindValue(0, ++n);
            ins.bindValue(1, k);
            ASSERT_TRUE(ins.exec()) << ins.lastError().text().toStdString();
        }
    }
};

TEST_P(KeyTableOn, SelectionTextRoundTripsThroughTheKeyTable) {
    // The selection the dialog writes, decoded as the report engine does, selects the same rows.
    const QString text = SelectionText::encode(kHostileKeys);
    const auto keys = SelectionText::decode(text);
    ASSERT_TRUE(keys.has_value());
    QSqlDatabase db = dtmDBGeral::database();
    // The load and the SELECT share one transaction (Firebird empties the table at commit).
    ASSERT_TRUE(db.transaction());
    KeyTable::load(db, "L_CLIENTE", *keys);
    KeyTable::load(db, "L_BAIRRO", {"X"});
    EXPECT_EQ(selectKeys("L_CLIENTE"), kHostileKeys);
    EXPECT_EQ(selectKeys("L_BAIRRO"), QStringList{"X"});
    // Loading a parameter again replaces its keys and leaves the others.
    KeyTable::load(db, "L_CLIENTE", {"%", "|"});
    EXPECT_EQ(selectKeys("L_CLIENTE"), QStringList({"|", "%"}));
    EXPECT_EQ(selectKeys("L_BAIRRO"), QStringList{"X"});
    KeyTable::load(db, "L_CLIENTE", {});
    EXPECT_TRUE(selectKeys("L_CLIENTE").isEmpty());
    KeyTable::clear(db);
    EXPECT_TRUE(selectKeys("L_BAIRRO").isEmpty());
    ASSERT_TRUE(db.commit());
    execShared("SELECT COUNT(*) FROM KEYTEST"); // nothing was dropped
}

TEST_P(KeyTableOn, LoadsOneHundredThousandKeys) {
    QStringList keys;
    keys.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        keys << QStringLiteral("%1").arg(i, 6, 10, QChar('0'));
    QSqlDatabase db = dtmDBGeral::database();
    ASSERT_TRUE(db.transaction());
    QElapsedTimer t;
    t.start();
    KeyTable::load(db, "L_CLIENTE", keys);
    const qint64 ms = t.elapsed();
    EXPECT_EQ(countKeys("L_CLIENTE"), 100000);
    std::printf("[ info ] %s: 100000 keys loaded in %lld ms\n", backendName(GetParam()).toUtf8().constData(),
                ms);
    ASSERT_TRUE(db.commit());
}

TEST_P(KeyTableOn, RefusesKeysThatDoNotFit) {
    QSqlDatabase db = dtmDBGeral::database();
    EXPECT_THROW(KeyTable::load(db, "L_CLIENTE", {QString(61, 'x')}), EHostError);
    EXPECT_THROW(KeyTable::load(db, "", {"1"}), EHostError);
}

INSTANTIATE_TEST_SUITE_P(Databases, KeyTableOn,
                         ::testing::Values(Backend::SQLite, Backend::FirebirdEmbedded,
                                           Backend::FirebirdServer, Backend::PostgreSQLServer),
                         [](const auto& info) { return backendName(info.param).toStdString(); });

struct UrlCase {
    const char* name;
    const char* url;
    DatabaseKind kind;
    const char* host;
    int port;
    const char* path;
};

class DatabaseUrls : public ::testing::TestWithParam<UrlCase> {};

TEST_P(DatabaseUrls, Parse) {
    const UrlCase& c = GetParam();
    const DatabaseUrl u = DatabaseUrl::parse(c.url);
    EXPECT_EQ(u.kind, c.kind);
    EXPECT_EQ(u.host, c.host);
    EXPECT_EQ(u.port, c.port);
    EXPECT_EQ(u.path, c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, DatabaseUrls,
    ::testing::Values(
        UrlCase{"sqlite", "sqlite:/tmp/a.db", DatabaseKind::SQLite, "", -1, "/tmp/a.db"},
        UrlCase{"sqlite_relative", "sqlite:demo.db", DatabaseKind::SQLite, "", -1, "demo.db"},
        UrlCase{"embedded", "firebird:/var/x.fdb", DatabaseKind::InterBase, "", -1, "/var/x.fdb"},
        UrlCase{"server", "firebird://127.0.0.1/var/x.fdb", DatabaseKind::InterBase, "127.0.0.1", -1,
                "/var/x.fdb"},
        UrlCase{"server_port", "firebird://db:3051/var/x.fdb", DatabaseKind::InterBase, "db", 3051,
                "/var/x.fdb"},
        UrlCase{"server_alias", "firebird://db/employee", DatabaseKind::InterBase, "db", -1, "employee"},
        UrlCase{"postgres", "postgres://127.0.0.1:55432/erp", DatabaseKind::PostgreSQL, "127.0.0.1", 55432,
                "erp"},
        UrlCase{"postgresql_default_port", "postgresql://db/erp", DatabaseKind::PostgreSQL, "db", -1, "erp"}),
    [](const auto& info) { return std::string(info.param.name); });

class BadDatabaseUrls : public ::testing::TestWithParam<const char*> {};

TEST_P(BadDatabaseUrls, AreRefusedInPortuguese) {
    try {
        DatabaseUrl::parse(GetParam());
        FAIL() << "accepted " << GetParam();
    } catch (const EHostError& e) {
        EXPECT_TRUE(e.message().startsWith(QString::fromUtf8("Endereço de banco de dados inválido")))
            << e.what();
        EXPECT_FALSE(e.message().contains(QStringLiteral("segredo"))) << "the password shown: " << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, BadDatabaseUrls,
                         ::testing::Values("", "/tmp/a.db", "mysql://h/db", "sqlite:", "firebird://",
                                           "firebird://h:0/x/y", "firebird://h:port/x/y", "firebird:///x/y",
                                           "firebird://sysdba:segredo@h/x/y",
                                           "firebird://sysdba:seg/redo:segredo@h:3050/x/y", "postgres:/tmp/x",
                                           "postgres://h/a/b", "postgres://erp:segredo@h/db"));

TEST(SharedConnection, OpenFailureNamesTheUrlAndTheDriverText) {
    const QString url = "sqlite:/nao/existe/pasta/x.db";
    try {
        dtmDBGeral::instance().open(url);
        FAIL() << "opened";
    } catch (const EHostError& e) {
        EXPECT_TRUE(e.message().startsWith(
            QString::fromUtf8("Não foi possível abrir o banco de dados 'sqlite:/nao/existe/pasta/x.db': ")))
            << e.what();
        EXPECT_GT(e.message().size(), url.size() + 50) << "no driver text: " << e.what();
    }
    EXPECT_FALSE(dtmDBGeral::instance().isOpen());
    EXPECT_EQ(dtmDBGeral::instance().kind(), DatabaseKind::None);
    EXPECT_THROW(dtmDBGeral::instance().ensureOpen(), EHostError);
}

TEST(SharedConnection, ServerFailureNeverShowsThePassword) {
    SKIP_IF_UNAVAILABLE(Backend::FirebirdServer);
    const QByteArray saved = qgetenv("ISC_PASSWORD");
    qputenv("ISC_PASSWORD", "senha-errada-123");
    const QString server = qEnvironmentVariable("ERP_FIREBIRD_URL");
    try {
        dtmDBGeral::instance().open(server);
        ADD_FAILURE() << "opened with a wrong password";
    } catch (const EHostError& e) {
        EXPECT_TRUE(e.message().contains(server)) << e.what();
        EXPECT_FALSE(e.message().contains("senha-errada-123")) << e.what();
    }
    qputenv("ISC_PASSWORD", saved);
    if (saved.isNull())
        qunsetenv("ISC_PASSWORD");
}

TEST(SharedConnection, ResolvesItsChildrenByName) {
    dtmDBGeral& m = dtmDBGeral::instance();
    EXPECT_EQ(m.adcGeral()->objectName(), "adcGeral");
    EXPECT_EQ(m.findChild<QObject*>("dtbGeral"), m.dtbGeral());
    EXPECT_EQ(m.findChild<QObject*>("ibtGeral"), m.ibtGeral());
}

} // namespace
