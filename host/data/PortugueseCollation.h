#pragma once
// The order in which names are sorted in the database: Portuguese, as ICU has it for pt_BR at
// tertiary strength (base letters, then accents, then case). Firebird gets it from a collation in
// the schema (CREATE COLLATION ... FROM UNICODE 'LOCALE=pt_BR'); SQLite has no such thing, so every
// SQLite connection the host opens gets the same ICU collator registered under the same name.
#include "host_export.h"

#include <QCollator>
#include <QSqlDatabase>

namespace PortugueseCollation HOST_EXPORT {
// The collation's name on both databases, as the schema and the reports write it.
inline constexpr char Name[] = "PTBR";
// The collator behind it, for orders made outside the database (a lookup list sorted by a header).
QCollator collator();
// Compares as collator() does (trailing blanks aside), quickly where two texts first differ in an
// ASCII letter or digit of different base letters (ICU's order there is plain alphabetical, digits
// first, whatever comes after) or where one goes on with a printable ASCII sign after the other
// ends. Anything else is the collator's to say. The UTF-8 form is the one SQLite calls on the
// host's databases.
int compare(const QCollator& collator, QStringView a, QStringView b);
int compare(const QCollator& collator, QUtf8StringView a, QUtf8StringView b);
// Registers the collation on an open SQLite connection. Throws EHostError when SQLite refuses.
void registerOn(QSqlDatabase& db);
} // namespace PortugueseCollation
