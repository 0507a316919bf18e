#include "data/PortugueseCollation.h"

#include "core/Errors.h"

#include <QLocale>
#include <QSqlDriver>
#include <QStringDecoder>
#include <QStringView>
#include <QVarLengthArray>
#include <sqlite3.h>

namespace {

// An ASCII digit or letter's place in the first level of the order (digits, then letters, case
// aside); -1 for anything else.
int baseWeight(char32_t u) {
    if (u >= u'0' && u <= u'9')
        return int(u - u'0');
    if (u >= u'a' && u <= u'z')
        return int(10 + (u - u'a'));
    if (u >= u'A' && u <= u'Z')
        return int(10 + (u - u'A'));
    return -1;
}

constexpr int kAskCollator = 2;

// What can be said from the code units alone (UTF-16 or UTF-8: an ASCII unit is a whole character
// in both), or kAskCollator. Portuguese has no contractions, and what follows (accents included)
// only matters when the base letters are equal: the first different base letter decides. A text
// that goes on where the other ends with a printable ASCII sign (a blank, a letter, a dot) sorts
// after it: such a sign has a first-level weight, and the shorter text has run out of them.
template <typename Unit> int quickCompare(const Unit* a, qsizetype na, const Unit* b, qsizetype nb) {
    // Firebird compares text with trailing blanks ignored (PAD SPACE); so must we, or the two
    // databases would part on "Ana" and "Ana ".
    while (na > 0 && a[na - 1] == Unit(' '))
        --na;
    while (nb > 0 && b[nb - 1] == Unit(' '))
        --nb;
    const qsizetype n = std::min(na, nb);
    qsizetype i = 0;
    while (i < n && a[i] == b[i])
        ++i;
    if (i == na && i == nb)
        return 0;
    auto printable = [](Unit u) { return u >= Unit(0x20) && u < Unit(0x7f); };
    if (i == n) {
        const Unit next = i < na ? a[i] : b[i];
        if (printable(next))
            return i < na ? 1 : -1;
        return kAskCollator;
    }
    const int wa = baseWeight(char32_t(a[i])), wb = baseWeight(char32_t(b[i]));
    if (wa >= 0 && wb >= 0 && wa != wb)
        return wa < wb ? -1 : 1;
    return kAskCollator;
}

// UTF-8 is the encoding of the databases the host makes: comparing it as stored spares SQLite a
// conversion to UTF-16, with two allocations, per comparison of a sort.
int compareUtf8(void* collator, int lengthA, const void* a, int lengthB, const void* b) {
    return PortugueseCollation::compare(*static_cast<QCollator*>(collator),
                                        QUtf8StringView(static_cast<const char*>(a), lengthA),
                                        QUtf8StringView(static_cast<const char*>(b), lengthB));
}

int compareUtf16(void* collator, int lengthA, const void* a, int lengthB, const void* b) {
    return PortugueseCollation::compare(
        *static_cast<QCollator*>(collator),
        QStringView(static_cast<const QChar*>(a), lengthA / qsizetype(sizeof(QChar))),
        QStringView(static_cast<const QChar*>(b), lengthB / qsizetype(sizeof(QChar))));
}

void destroy(void* collator) {
    delete static_cast<QCollator*>(collator);
}

// The text in UTF-16 for the collator, on the stack when it is short (a name, mostly).
using Utf16Buffer = QVarLengthArray<QChar, 128>;
QStringView toUtf16(QUtf8StringView text, Utf16Buffer& buffer) {
    buffer.resize(text.size()); // never more UTF-16 units than UTF-8 bytes
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QChar* end = decoder.appendToBuffer(buffer.data(), QByteArrayView(text.data(), text.size()));
    return QStringView(buffer.data(), end - buffer.data());
}

} // namespace

namespace PortugueseCollation HOST_EXPORT {

int compare(const QCollator& collator, QStringView a, QStringView b) {
    const int quick = quickCompare(a.utf16(), a.size(), b.utf16(), b.size());
    if (quick != kAskCollator)
        return quick;
    while (!a.isEmpty() && a.back() == u' ')
        a.chop(1);
    while (!b.isEmpty() && b.back() == u' ')
        b.chop(1);
    return collator.compare(a, b);
}

int compare(const QCollator& collator, QUtf8StringView a, QUtf8StringView b) {
    const auto* ua = reinterpret_cast<const unsigned char*>(a.data());
    const auto* ub = reinterpret_cast<const unsigned char*>(b.data());
    const int quick = quickCompare(ua, a.size(), ub, b.size());
    if (quick != kAskCollator)
        return quick;
    Utf16Buffer ba, bb;
    return compare(collator, toUtf16(a, ba), toUtf16(b, bb));
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
    // One collator per connection and encoding: a QCollator is not safe to share between threads,
    // and a connection stays in its thread. SQLite owns it from here and deletes it with the
    // connection. SQLite calls the function of the database's own encoding, converting for none.
    using Function = int (*)(void*, int, const void*, int, const void*);
    const std::pair<int, Function> functions[] = {{SQLITE_UTF8, compareUtf8}, {SQLITE_UTF16, compareUtf16}};
    for (const auto& [encoding, function] : functions) {
        auto* collator = new QCollator(PortugueseCollation::collator());
        const int rc = sqlite3_create_collation_v2(connection, Name, encoding, collator, function, destroy);
        if (rc != SQLITE_OK) {
            // On failure SQLite does not call destroy.
            delete collator;
            throw EHostError(QStringLiteral("A ordenação em português não pôde ser registrada no SQLite: %1")
                                 .arg(QString::fromUtf8(sqlite3_errstr(rc))));
        }
    }
}

} // namespace PortugueseCollation
