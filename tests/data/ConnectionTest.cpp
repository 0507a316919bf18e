// Opening the shared connection: the login a server asks for, the embedded engine's lock folder, a
// mistyped SQLite path, what each failure says, and that a failure leaves the open connection alone.
#include "DataBackends.h"

#include "core/Errors.h"
#include "data/DatabaseUrl.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Sets or unsets environment variables for one test and puts them back afterwards.
class EnvGuard {
public:
    void set(const char* name, const QByteArray& value) {
        remember(name);
        qputenv(name, value);
    }
    void unset(const char* name) {
        remember(name);
        qunsetenv(name);
    }
    ~EnvGuard() {
        for (const auto& [name, value] : m_saved)
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }

private:
    void remember(const char* name) {
        for (const auto& saved : m_saved)
            if (saved.first == name)
                return;
        m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray());
    }
    std::vector<std::pair<const char*, QByteArray>> m_saved;
};

// Nothing listens on port 1: the login comes before any attempt to reach the server.
const QString Unreachable = QStringLiteral("firebird://127.0.0.1:1/srv/erp/nada.fdb");

enum class Answer { Cancel, WrongPassword, EnvironmentCredentials };
struct LoginCase {
    const char* name;
    Answer answer;
    bool onServer; // ERP_FIREBIRD_URL, else the unreachable server
    bool opens;
    const char* messagePart;
};

class ServerLogin : public ::testing::TestWithParam<LoginCase> {};

TEST_P(ServerLogin, AsksForUserAndPasswordWhenTheEnvironmentGivesNone) {
    const LoginCase& c = GetParam();
    if (c.onServer)
        SKIP_IF_UNAVAILABLE(Backend::FirebirdServer);
    const Credentials automation{qEnvironmentVariable("ISC_USER"), qEnvironmentVariable("ISC_PASSWORD")};
    const QString url = c.onServer
                            ? DataBackends::freshUrl(Backend::FirebirdServer, QStringLiteral("login"), false)
                            : Unreachable;
    EnvGuard env;
    env.unset("ISC_USER");
    env.unset("ISC_PASSWORD");
    TestEnv::reset();
    dtmDBGeral::instance().close(); // a failed open keeps what was open: start with nothing
    ScriptedDialogService& dialogs = TestEnv::dialogs();
    const QString secret = QStringLiteral("senha-digitada-987");
    dialogs.onLogin = [&](const QString&) -> std::optional<Credentials> {
        switch (c.answer) {
        case Answer::Cancel:
            return std::nullopt;
        case Answer::WrongPassword:
            return Credentials{QStringLiteral("SYSDBA"), secret};
        case Answer::EnvironmentCredentials:
            return automation;
        }
        return std::nullopt;
    };
    QString message;
    try {
        dtmDBGeral::instance().open(url);
    } catch (const EHostError& e) {
        message = e.message();
    }
    ASSERT_EQ(dialogs.shown.size(), 1u) << "no login was asked: " << message.toStdString();
    EXPECT_EQ(dialogs.shown.front().kind, "login");
    EXPECT_TRUE(dialogs.shown.front().text.contains(url)) << dialogs.shown.front().text.toStdString();
    EXPECT_EQ(dtmDBGeral::instance().isOpen(), c.opens) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf8(c.messagePart))) << message.toStdString();
    EXPECT_FALSE(message.contains(secret)) << message.toStdString();
    dtmDBGeral::instance().close();
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ServerLogin,
    ::testing::Values(LoginCase{"cancelled_is_not_connected", Answer::Cancel, false, false,
                                "não foi feita: o usuário e a senha do servidor não foram informados"},
                      LoginCase{"failure_never_shows_the_password", Answer::WrongPassword, false, false,
                                "Não foi possível abrir o banco de dados"},
                      LoginCase{"given_credentials_connect", Answer::EnvironmentCredentials, true, true, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A PostgreSQL connection the server ended (a restart, an administrator) is noticed and made again,
// key table included, at the next action.
TEST(SharedConnection, EndedPostgresConnectionIsMadeAgain) {
    SKIP_IF_UNAVAILABLE(Backend::PostgreSQLServer);
    const QString url = DataBackends::freshUrl(Backend::PostgreSQLServer, QStringLiteral("lost"), true);
    DataBackends::openShared(url);
    {
        QSqlQuery pid(dtmDBGeral::database());
        ASSERT_TRUE(pid.exec("SELECT pg_backend_pid()") && pid.next());
        QSqlDatabase other = DatabaseConnection::open(DatabaseUrl::parse(url), QStringLiteral("other"));
        QSqlQuery end(other);
        ASSERT_TRUE(end.exec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid.value(0).toInt())));
    }
    DatabaseConnection::remove(QStringLiteral("other"));
    dtmDBGeral::instance().ensureOpen();
    QSqlQuery q(dtmDBGeral::database());
    EXPECT_TRUE(q.exec("SELECT COUNT(*) FROM CLIENTE")) << q.lastError().text().toStdString();
    EXPECT_TRUE(q.exec("SELECT COUNT(*) FROM SELKEYS")) << q.lastError().text().toStdString();
    dtmDBGeral::instance().close();
}

// The embedded engine's lock folder: only one of this user that nobody else may write.
struct LockCase {
    const char* name;
    // Makes the folder under base; returns what FIREBIRD_LOCK names, or empty for our default.
    QString (*make)(const QString& base);
    bool refused;
};

QString folder(const QString& path, mode_t mode) {
    QDir().mkpath(path);
    chmod(QFile::encodeName(path).constData(), mode);
    return path;
}

class LockFolder : public ::testing::TestWithParam<LockCase> {};

TEST_P(LockFolder, IsUsedOnlyWhenPrivateToTheUser) {
    QTemporaryDir base;
    EnvGuard env;
    env.set("TMPDIR", QFile::encodeName(base.path()));
    const QString lock = GetParam().make(base.path());
    if (lock.isEmpty())
        env.unset("FIREBIRD_LOCK");
    else
        env.set("FIREBIRD_LOCK", QFile::encodeName(lock));
    const QString expected =
        lock.isEmpty() ? base.filePath(QStringLiteral("erp-firebird-lock-%1").arg(getuid())) : lock;
    try {
        DatabaseConnection::prepareFirebirdEnvironment();
        EXPECT_FALSE(GetParam().refused) << "used " << expected.toStdString();
        EXPECT_EQ(qEnvironmentVariable("FIREBIRD_LOCK"), expected);
    } catch (const EHostError& e) {
        EXPECT_TRUE(GetParam().refused) << e.what();
        EXPECT_TRUE(e.message().contains(QStringLiteral("A pasta de travas do Firebird '%1'").arg(expected)))
            << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, LockFolder,
    ::testing::Values(
        LockCase{"private", [](const QString& b) { return folder(b + "/travas", 0700); }, false},
        LockCase{"default_made_private", [](const QString&) { return QString(); }, false},
        LockCase{"world_writable", [](const QString& b) { return folder(b + "/travas", 0777); }, true},
        LockCase{"group_writable", [](const QString& b) { return folder(b + "/travas", 0770); }, true},
        LockCase{"symlink_to_a_private_folder",
                 [](const QString& b) {
                     QFile::link(folder(b + "/alvo", 0700), b + "/travas");
                     return b + "/travas";
                 },
                 true},
        LockCase{"default_made_by_someone_else",
                 [](const QString& b) {
                     folder(b + QStringLiteral("/erp-firebird-lock-%1").arg(getuid()), 0777);
                     return QString();
                 },
                 true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SqliteFile, MistypedPathIsRefusedByNameAndNothingIsCreated) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("digitado-errado.db"));
    try {
        dtmDBGeral::instance().open(QStringLiteral("sqlite:") + path);
        ADD_FAILURE() << "opened";
    } catch (const EHostError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("o arquivo '%1' não existe").arg(path))) << e.what();
    }
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(dtmDBGeral::instance().isOpen());
}

// Each cause in the user's words, the driver's own as the detail. Live where this machine can make
// the failure; the driver's texts for the rest (an ICU upgrade, a file of another Firebird version)
// as Firebird 3 words them.
struct FailureCase {
    const char* name;
    std::function<QString(const QString& dir)> url; // empty: driverText is classified alone
    const char* driverText;
    const char* says;
    const char* urlOfText = "firebird://srv:3050/dados/erp.fdb"; // the URL driverText is about
};

class ConnectionFailure : public ::testing::TestWithParam<FailureCase> {};

QString garbage(const QString& path) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(QByteArray(8192, 'x'));
    return path;
}

TEST_P(ConnectionFailure, SaysTheCauseAndKeepsTheOpenConnection) {
    const FailureCase& c = GetParam();
    QTemporaryDir dir;
    if (!c.url) {
        const DatabaseUrl url = DatabaseUrl::parse(QString::fromUtf8(c.urlOfText));
        const QString message = DatabaseConnection::openFailure(url, QString::fromUtf8(c.driverText));
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.says))) << message.toStdString();
        return;
    }
    const QString working = DataBackends::freshUrl(Backend::SQLite, QStringLiteral("em-uso"), true);
    dtmDBGeral::instance().open(working);
    QString message;
    try {
        dtmDBGeral::instance().open(c.url(dir.path()));
        ADD_FAILURE() << "opened";
    } catch (const EHostError& e) {
        message = e.message();
    }
    EXPECT_TRUE(message.contains(QString::fromUtf8(c.says))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("(Detalhe: "))) << message.toStdString();
    EXPECT_TRUE(dtmDBGeral::instance().isOpen());
    EXPECT_EQ(dtmDBGeral::instance().url(), working);
    dtmDBGeral::instance().close();
}

INSTANTIATE_TEST_SUITE_P(
    Causes, ConnectionFailure,
    ::testing::Values(
        FailureCase{"sqlite_missing", [](const QString& d) { return "sqlite:" + d + "/nada.db"; }, "",
                    "não existe. Confira o caminho"},
        FailureCase{"sqlite_not_a_database",
                    [](const QString& d) { return "sqlite:" + garbage(d + "/lixo.db"); }, "",
                    "não é um banco de dados SQLite"},
        FailureCase{"firebird_missing", [](const QString& d) { return "firebird:" + d + "/nada.fdb"; }, "",
                    "não existe. Confira o caminho"},
        FailureCase{"firebird_not_a_database",
                    [](const QString& d) { return "firebird:" + garbage(d + "/lixo.fdb"); }, "",
                    "não é um banco de dados Firebird"},
        FailureCase{"server_not_answering", [](const QString&) { return Unreachable; }, "",
                    "o servidor 127.0.0.1 não respondeu na porta 1"},
        FailureCase{
            "login_refused", nullptr,
            "Your user name and password are not defined. Ask your database administrator to set up a "
            "Firebird login.",
            "recusou o usuário e a senha"},
        FailureCase{"other_version", nullptr,
                    "unsupported on-disk structure for file /dados/erp.fdb; found 11.2, support 12.0",
                    "é de outra versão do Firebird"},
        FailureCase{"collation_after_icu_upgrade", nullptr,
                    "COLLATION PT_BR_CI_AI for CHARACTER SET UTF8 is not installed", "gfix -icu"},
        FailureCase{"in_use", nullptr, "lock time-out on wait transaction", "em uso exclusivo"},
        // libpq's words, as Qt's driver hands them on.
        FailureCase{
            "postgres_server_down", nullptr,
            "connection to server at \"127.0.0.1\", port 1 failed: Connection refused\n\tIs the server "
            "running on that host and accepting TCP/IP connections?\nQPSQL: Unable to connect",
            "o servidor 127.0.0.1 não respondeu na porta 1. Confira se o servidor PostgreSQL está ligado",
            "postgres://127.0.0.1:1/erp"},
        FailureCase{"postgres_wrong_password", nullptr,
                    "connection to server at \"srv\" (10.0.0.1), port 5432 failed: FATAL:  password "
                    "authentication failed for user \"erp\"\nQPSQL: Unable to connect",
                    "recusou o usuário e a senha", "postgres://srv/erp"},
        FailureCase{"postgres_no_such_database", nullptr,
                    "connection to server at \"srv\" (10.0.0.1), port 5432 failed: FATAL:  database \"erp\" "
                    "does not exist\nQPSQL: Unable to connect",
                    "o servidor srv não tem o banco 'erp'", "postgres://srv/erp"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
