#include "data/PortugueseCollation.h"

#include "core/Errors.h"

#include <QLocale>
#include <QSqlDriver>
#include <QStringView>
#include <sqlite3.h>

namespace {

QStringView utf16(const void* data, int bytes) {
    return QStringView(static_cast<const QChar*>(data), bytes / qsizetype(sizeof(QChar)));
}

// An ASCII digit or letter's place in the first level of the order (digits, then letters, case
// aside); -1 for anything else.
int baseWeight(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'z')
        return 10 + (u - u'a');
    if (u >= u'A' && u <= u'Z')
        return 10 + (u - u'A');
    return -1;
}

int compareStored(void* collator, int lengthA, const void* a, int lengthB, const void* b) {
    return PortugueseCollation::compare(*static_cast<QCollator*>(collator), utf16(a, lengthA),
                                        utf16(b, lengthB));
}

void destroy(void* collator) {
    delete static_cast<QCollator*>(collator);
}

} // namespace

namespace PortugueseCollation HOST_EXPORT {

int compare(const QCollator& collator, QStringView a, QStringView b) {
    // Firebird compares text with trailing blanks ignored (PAD SPACE); so must we, or the two
    // databases would part on "Ana" and "Ana ".
    while (!a.isEmpty() && a.back() == u' ')
        a.chop(1);
    while (!b.isEmpty() && b.back() == u' ')
        b.chop(1);
    const qsizetype n = std::min(a.size(), b.size());
    qsizetype i = 0;
    while (i < n && a[i] == b[i])
        ++i;
    if (i == a.size() && i == b.size())
        return 0;
    // Portuguese has no contractions, and what follows (accents included) only matters when the
    // base letters are equal: the first different base letter decides.
    if (i < n) {
        const int wa = baseWeight(a[i]), wb = baseWeight(b[i]);
        if (wa >= 0 && wb >= 0 && wa != wb)
            return wa < wb ? -1 : 1;
    }
    return collator.compare(a, b);
}

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
    const int rc =
        sqlite3_create_collation_v2(connection, Name, SQLITE_UTF16, collator, compareStored, destroy);
    if (rc != SQLITE_OK) {
        // On failure SQLite does not call destroy.
        delete collator;
        throw EHostError(QStringLiteral("A ordenação em português não pôde ser registrada no SQLite: %1")
                             .arg(QString::fromUtf8(sqlite3_errstr(rc))));
    }
}

} // namespace PortugueseCollation
