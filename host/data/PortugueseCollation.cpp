#include "data/PortugueseCollation.h"

#include "core/Errors.h"

#include <QLocale>
#include <QSqlDriver>
#include <QStringView>
#include <sqlite3.h>

namespace {

// Firebird compares text with trailing blanks ignored (PAD SPACE); so must we, or the two databases
// would part on "Ana" and "Ana ".
QStringView withoutTrailingBlanks(const void* data, int bytes) {
    QStringView s(static_cast<const QChar*>(data), bytes / qsizetype(sizeof(QChar)));
    while (!s.isEmpty() && s.back() == u' ')
        s.chop(1);
    return s;
}

int compare(void* collator, int lengthA, const void* a, int lengthB, const void* b) {
    return static_cast<QCollator*>(collator)->compare(withoutTrailingBlanks(a, lengthA),
                                                      withoutTrailingBlanks(b, lengthB));
}

void destroy(void* collator) {
    delete static_cast<QCollator*>(collator);
}

} // namespace

namespace PortugueseCollation {

QCollator collator() {
    QCollator c{QLocale(QLocale::Portuguese, QLocale::Brazil)};
    c.setCaseSensitivity(Qt::CaseSensitive);
    return c;
}

void registerOn(QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    sqlite3* connection = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
                              ? *static_cast<sqlite3* const*>(handle.data())
                              : nullptr;
    if (!connection)
        throw EHostError(QStringLiteral("A conexão SQLite não expõe o seu identificador; a ordenação em "
                                        "português não pôde ser registrada."));
    // One collator per connection: a QCollator is not safe to share between threads, and a
    // connection stays in its thread. SQLite owns it from here and deletes it with the connection.
    auto* collator = new QCollator(PortugueseCollation::collator());
    // UTF-16 in the machine's order is QString's own: no conversion per comparison.
    const int rc = sqlite3_create_collation_v2(connection, Name, SQLITE_UTF16, collator, compare, destroy);
    if (rc != SQLITE_OK) {
        // On failure SQLite does not call destroy.
        delete collator;
        throw EHostError(QStringLiteral("A ordenação em português não pôde ser registrada no SQLite: %1")
                             .arg(QString::fromUtf8(sqlite3_errstr(rc))));
    }
}

} // namespace PortugueseCollation
