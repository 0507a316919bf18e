#pragma once
// The text side of the date edit, kept free of widgets so it can be tested and fuzzed on its own.
//
// Two edit styles: 0 takes a whole date "dd/mm/yyyy", 1 takes a month "mm/yyyy" whose date is the
// first day of that month. The displayed text always has the style's shape, with '_' in the places
// not typed yet ("12/0_/____"). A text without any digit is an empty edit. Accepted dates run from
// 01/01/0100 to 31/12/9999.
#include "host_export.h"
#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace DateText HOST_EXPORT {

enum Style { DayStyle = 0, MonthStyle = 1 };

// The character shown in places not typed yet.
inline constexpr char16_t Blank = u'_';

bool isValidStyle(int style);
// QLineEdit input mask of the style ("99/99/9999;_").
QString inputMask(int style);
// What an edit of the style shows when nothing is typed ("__/__/____").
QString blankText(int style);

bool hasDigit(const QString& text);
// The text as the host reads it: empty while no digit is typed, otherwise the displayed text.
QString visibleText(const QString& displayed);

enum class Problem {
    None,       // a real date
    Empty,      // no digit typed: an empty edit, which is valid
    Incomplete, // some places not typed yet
    Malformed,  // not in the style's shape
    BadDay,     // day 00, or past the end of its month
    BadMonth,   // month 00 or above 12
    BadYear,    // before 0100
};

struct HOST_EXPORT Parsed {
    QDate date; // valid only when problem is None
    Problem problem = Problem::Empty;
    int day = 0, month = 0, year = 0; // the fields as typed, where they are complete
};

// Strict reading of a displayed text ('_' or blanks where nothing is typed).
Parsed parse(const QString& text, int style);
// The date of a displayed text, or nothing for an empty, partial or invalid one.
std::optional<QDate> toDate(const QString& text, int style);
// The displayed text of a date (a month in style 1); empty for a date out of range.
QString format(const QDate& date, int style);
bool inRange(const QDate& date);
QDate firstDate();
QDate lastDate();

// The user's message for a text that is not a date of the style, in Portuguese, for example
// "'31/02/2026' não é uma data válida. O dia deve estar entre 01 e 28 em 02/2026."
// Empty when the text is a date or empty.
QString problemMessage(const QString& text, int style);

// A text given by code ("1/3/2026", "01032026", "3/2026", a displayed text) in the style's
// displayed shape, fields padded but not checked ("31/2/2026" gives "31/02/2026", a short year
// stays unfinished). Digits that fit no field go into the places in order, as if typed. Empty for
// a text without digits.
QString normalise(const QString& text, int style);

// The displayed text after a change of style: a date shows as its month in style 1, a month
// becomes its first day in style 0; an unfinished entry keeps the fields both styles share.
QString convert(const QString& text, int fromStyle, int toStyle);

// Typing a separator ('/', '.' or '-') at cursor: a single digit in a day or month field gets its
// leading zero and the cursor moves to the next field. Nothing when the key should not be handled
// this way (no field to close, or the cursor in the year).
struct HOST_EXPORT Edit {
    QString text;
    int cursor = 0;
};
std::optional<Edit> separatorTyped(const QString& text, int cursor, int style);

// Weekday names, Sunday first.
QStringList defaultDayNames();
// The name of the date's weekday from names (7, Sunday first); empty for an invalid date.
QString dayName(const QDate& date, const QStringList& names);

} // namespace DateText
