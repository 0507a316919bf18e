#include "data/DatabaseUrl.h"

#include "core/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUrl>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {
[[noreturn]] void badUrl(const QString& url, const QString& why) {
    throw EHostError(QStringLiteral("Endereço de banco de dados inválido '%1': %2").arg(url, why));
}
} // namespace

QString DatabaseUrl::firebirdName() const {
    if (!isServer())
        return path;
    return port > 0 ? QStringLiteral("%1/%2:%3").arg(host).arg(port).arg(path)
                    : QStringLiteral("%1:%2").arg(host, path);
}

const Dialect& DatabaseUrl::dialect() const {
    const Dialect* d = Dialect::forKind(kind);
    if (!d)
        throw EHostError(QStringLiteral("O endereço de banco de dados '%1' não foi lido.").arg(text));
    return *d;
}

DatabaseUrl DatabaseUrl::parse(const QString& url) {
    DatabaseUrl u;
    u.text = url;
    const int colon = url.indexOf(':');
    const QString shapes =
        QStringLiteral("use sqlite:CAMINHO, firebird:CAMINHO, firebird://SERVIDOR[:PORTA]/CAMINHO "
                       "ou postgres://SERVIDOR[:PORTA]/BANCO");
    if (colon <= 0)
        badUrl(url, shapes);
    const QString scheme = url.left(colon).toLower();
    const QString rest = url.mid(colon + 1);
    const Dialect* dialect = Dialect::forScheme(scheme);
    if (!dialect)
        badUrl(
            url,
            QStringLiteral("tipo de banco '%1' desconhecido (use sqlite, firebird ou postgres)").arg(scheme));
    u.kind = dialect->kind();
    u.driver = dialect->driver();
    const bool server = rest.startsWith(QLatin1String("//"));
    if (dialect->defaultPort() < 0) {
        u.path = rest;
    } else if (!server && !dialect->opensFiles()) {
        badUrl(url, QStringLiteral("use postgres://SERVIDOR[:PORTA]/BANCO"));
    } else {
        if (server) {
            // "user:password@server": echoing the URL in a message would show the password.
            if (const int at = rest.lastIndexOf('@'); at >= 0)
                throw EHostError(
                    QStringLiteral("Endereço de banco de dados inválido '%1://…@%2': o usuário e a "
                                   "senha não vão no endereço; eles são pedidos ao conectar.")
                        .arg(scheme, rest.mid(at + 1)));
            const QString authorityAndPath = rest.mid(2);
            const int slash = authorityAndPath.indexOf('/');
            if (slash <= 0)
                badUrl(url, QStringLiteral("falta o servidor ou o caminho do banco"));
            const QString authority = authorityAndPath.left(slash);
            const QString remainder = authorityAndPath.mid(slash + 1);
            const int portColon = authority.lastIndexOf(':');
            if (portColon >= 0) {
                bool ok = false;
                u.port = authority.mid(portColon + 1).toInt(&ok);
                if (!ok || u.port <= 0 || u.port > 65535)
                    badUrl(url, QStringLiteral("porta inválida"));
                u.host = authority.left(portColon);
            } else {
                u.host = authority;
            }
            if (u.host.isEmpty())
                badUrl(url, QStringLiteral("falta o servidor"));
            // "/var/lib/x.fdb" keeps its slash; an alias ("employee") or a drive path ("C:/x.fdb")
            // is taken as written.
            static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
            if (!dialect->opensFiles() && remainder.contains('/'))
                badUrl(url, QStringLiteral("o nome do banco não leva '/'"));
            if (remainder.contains('/') && !drive.match(remainder).hasMatch())
                u.path = '/' + remainder;
            else
                u.path = remainder;
        } else {
            u.path = rest;
        }
    }
    if (u.path.isEmpty())
        badUrl(url, QStringLiteral("falta o caminho do banco"));
    return u;
}

namespace DatabaseConnection HOST_EXPORT {

Credentials firebirdCredentials(const DatabaseUrl& url) {
    const QString user = qEnvironmentVariable("ISC_USER");
    if (!user.isEmpty() && qEnvironmentVariableIsSet("ISC_PASSWORD"))
        return {user, qEnvironmentVariable("ISC_PASSWORD")};
    if (!url.isServer())
        return {user.isEmpty() ? QStringLiteral("SYSDBA") : user, qEnvironmentVariable("ISC_PASSWORD")};
    const std::optional<Credentials> given = MessageSink::instance().promptLogin(
        QStringLiteral("Conectar ao banco de dados"),
        QStringLiteral("Usuário e senha do servidor Firebird para o banco de dados '%1':").arg(url.text),
        user);
    if (!given || given->user.trimmed().isEmpty())
        throw EHostError(QStringLiteral("A conexão com o banco de dados '%1' não foi feita: o usuário e a "
                                        "senha do servidor não foram informados.")
                             .arg(url.text));
    return {given->user.trimmed(), given->password};
}

namespace {
// Empty when path is a folder of this user that nobody else may write, else why not.
QString unsafeLockFolder(const QByteArray& path) {
    struct stat st = {};
    if (lstat(path.constData(), &st) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("não é uma pasta");
    if (st.st_uid != getuid())
        return QStringLiteral("pertence a outro usuário");
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        return QStringLiteral("outros usuários podem gravar nela");
    return {};
}
} // namespace

void prepareFirebirdEnvironment() {
    const bool given = !qEnvironmentVariableIsEmpty("FIREBIRD_LOCK");
    // The packaged default (/tmp/firebird) belongs to the server's user; an embedded engine run by
    // anyone else could not take its locks there.
    const QByteArray dir =
        given ? qgetenv("FIREBIRD_LOCK")
              : QFile::encodeName(QDir::tempPath() + QStringLiteral("/erp-firebird-lock-%1").arg(getuid()));
    // mkdir, not mkpath: a folder that someone else made first under this name is checked, not trusted.
    mkdir(dir.constData(), 0700);
    if (const QString why = unsafeLockFolder(dir); !why.isEmpty())
        throw EHostError(QStringLiteral("A pasta de travas do Firebird '%1' não pode ser usada: %2. Ela "
                                        "precisa ser uma pasta do usuário atual que só ele possa gravar; "
                                        "corrija-a ou indique outra em FIREBIRD_LOCK.")
                             .arg(QFile::decodeName(dir), why));
    if (!given)
        qputenv("FIREBIRD_LOCK", dir);
}

QSqlDatabase open(const DatabaseUrl& url, const QString& connectionName, IfMissing ifMissing,
                  const std::optional<Credentials>& credentials) {
    if (!QSqlDatabase::isDriverAvailable(url.driver))
        throw EHostError(
            QStringLiteral(
                "Não foi possível abrir o banco de dados '%1': o driver %2 do Qt não está instalado")
                .arg(url.text, url.driver));
    const Dialect& dialect = url.dialect();
    const Credentials login = credentials ? *credentials : dialect.credentials(url).value_or(Credentials{});
    remove(connectionName);
    QSqlDatabase db = QSqlDatabase::addDatabase(url.driver, connectionName);
    try {
        dialect.configure(db, url, login, ifMissing == IfMissing::Create);
    } catch (...) {
        db = QSqlDatabase();
        remove(connectionName);
        throw;
    }
    bool opened = db.open();
    QString text = opened ? QString() : db.lastError().text().trimmed();
    if (opened)
        text = dialect.firstRead(db);
    opened = opened && text.isEmpty();
    if (!opened) {
        if (!login.password.isEmpty())
            text.replace(login.password, QStringLiteral("****"));
        db = QSqlDatabase();
        remove(connectionName);
        throw EHostError(openFailure(url, text));
    }
    try {
        dialect.prepare(db);
    } catch (...) {
        db = QSqlDatabase();
        remove(connectionName);
        throw;
    }
    return db;
}

QString openFailure(const DatabaseUrl& url, const QString& driverText) {
    // Qt adds its own "Error opening database" (translated or not) to the driver's words.
    QString detail = driverText;
    for (const char* qtWords : {"Error opening database", "Erro ao abrir o banco de dados",
                                "QPSQL: Unable to connect", "Unable to connect"})
        detail.remove(QLatin1String(qtWords));
    detail = detail.trimmed();
    const auto has = [&](const char* words) {
        return detail.contains(QLatin1String(words), Qt::CaseInsensitive);
    };
    const QString file = url.isServer() ? url.path : QFileInfo(url.path).absoluteFilePath();
    const Dialect& dialect = url.dialect();
    const bool files = dialect.opensFiles();
    QString cause;
    if (has("network request") || has("Failed to establish a connection") || has("Connection refused") ||
        has("could not connect to server") || has("timeout expired") || has("could not translate host name"))
        cause = QStringLiteral("o servidor %1 não respondeu na porta %2. Confira se o servidor %3 está "
                               "ligado, se o endereço e a porta estão certos e se a rede permite a conexão")
                    .arg(url.host)
                    .arg(url.port > 0 ? url.port : dialect.defaultPort())
                    .arg(dialect.name());
    else if (has("user name and password are not defined") || has("login") ||
             has("password authentication failed") || has("no password supplied") ||
             (has("role \"") && has("does not exist")))
        cause = QStringLiteral("o servidor recusou o usuário e a senha. Confira-os e conecte de novo");
    else if (!files && has("database \"") && has("does not exist"))
        cause = QStringLiteral("o servidor %1 não tem o banco '%2'. Confira o nome; nenhum banco foi criado")
                    .arg(url.host, url.path);
    else if (has("is not installed") && has("collation"))
        cause = QStringLiteral(
            "o banco usa uma ordenação (collation) do ICU que este sistema não tem mais, o que "
            "acontece depois de uma atualização do sistema operacional. O administrador deve "
            "rodar 'gfix -icu' no banco de dados (com o banco fora de uso) e conectar de novo");
    else if (has("unsupported on-disk structure"))
        cause =
            QStringLiteral("o arquivo '%1' é de outra versão do Firebird e precisa ser convertido (backup e "
                           "restore com gbak na versão instalada)")
                .arg(file);
    else if (has("not a valid database") || has("file is not a database") || has("file is encrypted"))
        cause = QStringLiteral("o arquivo '%1' não é um banco de dados %2").arg(file, dialect.name());
    else if (has("database is locked") || has("lock time-out") || has("Device or resource busy") ||
             has("shutdown") || has("is in use"))
        cause =
            QStringLiteral("o banco está em uso exclusivo por outro programa ou em manutenção. Tente de novo "
                           "quando ele for liberado");
    else if (has("Permission denied") ||
             (&dialect == &Dialect::sqlite() && !url.isServer() && QFileInfo::exists(url.path) &&
              !QFileInfo(QFileInfo(url.path).absolutePath()).isReadable()))
        cause = QStringLiteral("sem permissão para ler o arquivo '%1' ou a sua pasta").arg(file);
    else if (files && (has("No such file or directory") || has("unable to open database file") ||
                       (!url.isServer() && !QFileInfo::exists(url.path))))
        cause = QStringLiteral("o arquivo '%1' não existe. Confira o caminho; nenhum arquivo foi criado")
                    .arg(file);
    if (detail.isEmpty())
        detail = QStringLiteral("erro desconhecido do driver");
    if (cause.isEmpty())
        return QStringLiteral("Não foi possível abrir o banco de dados '%1': %2").arg(url.text, detail);
    return QStringLiteral("Não foi possível abrir o banco de dados '%1': %2. (Detalhe: %3)")
        .arg(url.text, cause, detail);
}

void remove(const QString& connectionName) {
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

} // namespace DatabaseConnection
