#include "demo/FirebirdAdmin.h"

#include "core/Errors.h"

#include <ibase.h>

#include <QByteArray>
#include <cerrno>
#include <dlfcn.h>

namespace {

using ExecuteImmediate = ISC_STATUS (*)(ISC_STATUS*, isc_db_handle*, isc_tr_handle*, unsigned short,
                                        const ISC_SCHAR*, unsigned short, const XSQLDA*);
using Attach = ISC_STATUS (*)(ISC_STATUS*, short, const ISC_SCHAR*, isc_db_handle*, short, const ISC_SCHAR*);
using Detach = ISC_STATUS (*)(ISC_STATUS*, isc_db_handle*);
using Drop = ISC_STATUS (*)(ISC_STATUS*, isc_db_handle*);
using Interpret = ISC_LONG (*)(ISC_SCHAR*, unsigned int, const ISC_STATUS**);

struct Client {
    void* handle = nullptr;
    ExecuteImmediate executeImmediate = nullptr;
    Attach attach = nullptr;
    Detach detach = nullptr;
    Drop drop = nullptr;
    Interpret interpret = nullptr;
};

const Client& client() {
    static const Client c = [] {
        Client c;
        for (const char* name : {"libfbclient.so.2", "libfbclient.so"}) {
            c.handle = dlopen(name, RTLD_NOW | RTLD_GLOBAL);
            if (c.handle)
                break;
        }
        if (!c.handle)
            return c;
        c.executeImmediate =
            reinterpret_cast<ExecuteImmediate>(dlsym(c.handle, "isc_dsql_execute_immediate"));
        c.attach = reinterpret_cast<Attach>(dlsym(c.handle, "isc_attach_database"));
        c.detach = reinterpret_cast<Detach>(dlsym(c.handle, "isc_detach_database"));
        c.drop = reinterpret_cast<Drop>(dlsym(c.handle, "isc_drop_database"));
        c.interpret = reinterpret_cast<Interpret>(dlsym(c.handle, "fb_interpret"));
        return c;
    }();
    return c;
}

const Client& requireClient() {
    const Client& c = client();
    if (!c.executeImmediate || !c.attach || !c.detach || !c.drop || !c.interpret)
        throw EHostError(
            QStringLiteral("A biblioteca cliente do Firebird (libfbclient) não está instalada."));
    return c;
}

// Firebird's text for a failure, never holding the password it was given.
QString statusText(const Client& c, const ISC_STATUS* status, const Credentials& login) {
    QStringList parts;
    char buffer[1024];
    const ISC_STATUS* p = status;
    while (c.interpret(buffer, sizeof buffer, &p))
        parts << QString::fromUtf8(buffer);
    QString text = parts.join(QStringLiteral(" - "));
    if (!login.password.isEmpty())
        text.replace(login.password, QStringLiteral("****"));
    return text;
}

// True when the status vector holds the argument kind (isc_arg_gds, isc_arg_unix, ...) with value.
bool holds(const ISC_STATUS* status, ISC_STATUS kind, ISC_STATUS value) {
    for (const ISC_STATUS* p = status; *p != isc_arg_end;) {
        const ISC_STATUS k = *p++;
        if (k == kind && *p == value)
            return true;
        p += k == isc_arg_cstring ? 2 : 1; // a counted string takes its length and its pointer
    }
    return false;
}

// A Firebird SQL string literal; the path is the caller's configuration, not user input.
QByteArray quoted(const QString& s) {
    QString q = s;
    q.replace('\'', QStringLiteral("''"));
    return ('\'' + q + '\'').toUtf8();
}

QByteArray dpb(const QString& user, const QString& password) {
    QByteArray d;
    d.append(char(isc_dpb_version1));
    const QByteArray u = user.toUtf8(), p = password.toUtf8();
    d.append(char(isc_dpb_user_name)).append(char(u.size())).append(u);
    d.append(char(isc_dpb_password)).append(char(p.size())).append(p);
    return d;
}

// The creation failed because the file is there already. The embedded engine says so with the
// system's EEXIST; a server sends its system's error as text only, so there a database that can be
// attached is what tells.
bool alreadyExists(const Client& c, const ISC_STATUS* status, const DatabaseUrl& url,
                   const Credentials& login) {
    if (!holds(status, isc_arg_gds, isc_io_create_err))
        return false;
    if (holds(status, isc_arg_unix, EEXIST))
        return true;
    const QByteArray name = url.firebirdName().toUtf8();
    const QByteArray params = dpb(login.user, login.password);
    ISC_STATUS attachStatus[20] = {};
    isc_db_handle db = 0;
    if (c.attach(attachStatus, short(name.size()), name.constData(), &db, short(params.size()),
                 params.constData()))
        return false;
    c.detach(attachStatus, &db);
    return true;
}

} // namespace

namespace FirebirdAdmin {

bool available() {
    return client().executeImmediate != nullptr;
}

void createDatabase(const DatabaseUrl& url, const std::optional<Credentials>& credentials) {
    DatabaseConnection::prepareFirebirdEnvironment();
    const Client& c = requireClient();
    const Credentials login = credentials ? *credentials : DatabaseConnection::firebirdCredentials(url);
    QByteArray sql = "CREATE DATABASE " + quoted(url.firebirdName()) + " USER " + quoted(login.user);
    // The embedded engine checks no password and may be given none.
    if (!login.password.isEmpty())
        sql += " PASSWORD " + quoted(login.password);
    sql += " PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8";
    ISC_STATUS status[20] = {};
    isc_db_handle db = 0;
    isc_tr_handle tr = 0;
    if (c.executeImmediate(status, &db, &tr, 0, sql.constData(), SQL_DIALECT_V6, nullptr)) {
        const QString message = QStringLiteral("Não foi possível criar o banco de dados '%1': %2")
                                    .arg(url.text, statusText(c, status, login));
        if (alreadyExists(c, status, url, login))
            throw EAlreadyExists(message);
        throw EHostError(message);
    }
    c.detach(status, &db);
}

void dropDatabase(const DatabaseUrl& url, const std::optional<Credentials>& credentials) {
    DatabaseConnection::prepareFirebirdEnvironment();
    const Client& c = requireClient();
    const Credentials login = credentials ? *credentials : DatabaseConnection::firebirdCredentials(url);
    const QByteArray name = url.firebirdName().toUtf8();
    const QByteArray params = dpb(login.user, login.password);
    ISC_STATUS status[20] = {};
    isc_db_handle db = 0;
    if (c.attach(status, short(name.size()), name.constData(), &db, short(params.size()),
                 params.constData())) {
        // An I/O error, or the system's ENOENT under another code: nothing to drop.
        if (status[1] == isc_io_error || holds(status, isc_arg_unix, ENOENT))
            return;
        const QString text = statusText(c, status, login);
        throw EHostError(QStringLiteral("Não foi possível abrir o banco de dados '%1' para removê-lo: %2")
                             .arg(url.text, text));
    }
    if (c.drop(status, &db)) {
        const QString text = statusText(c, status, login);
        c.detach(status, &db);
        throw EHostError(
            QStringLiteral("Não foi possível remover o banco de dados '%1': %2").arg(url.text, text));
    }
}

} // namespace FirebirdAdmin
