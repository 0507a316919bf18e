#include "library/DateText.h"

#include <QRegularExpression>

namespace DateText HOST_EXPORT {

namespace {

struct Field {
    int start;
    int length;
};

// Day, month, year for style 0; month, year for style 1. Separators sit between the fields.
QList<Field> fieldsOf(int style) {
    if (style == MonthStyle)
        return {{0, 2}, {3, 4}};
    return {{0, 2}, {3, 2}, {6, 4}};
}

int shapeLength(int style) {
    return style == MonthStyle ? 7 : 10;
}

bool isBlankChar(QChar c) {
    return c == QChar(Blank) || c == u' ';
}
bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

QString pad2(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// The text with blanks as '_', or nothing when it is not in the style's shape.
std::optional<QString> inShape(const QString& text, int style) {
    if (text.size() != shapeLength(style))
        return std::nullopt;
    QString t = text;
    const QList<Field> fields = fieldsOf(style);
    for (int i = 0; i < t.size(); ++i)
        if (isBlankChar(t[i]))
            t[i] = QChar(Blank);
    for (int f = 0; f + 1 < fields.size(); ++f)
        if (t[fields[f].start + fields[f].length] != u'/')
            return std::nullopt;
    for (const Field& f : fields)
        for (int i = f.start; i < f.start + f.length; ++i)
            if (!isAsciiDigit(t[i]) && t[i] != QChar(Blank))
                return std::nullopt;
    return t;
}

QString fill(const QString& digits, int style) {
    QString out = blankText(style);
    int d = 0;
    for (int i = 0; i < out.size() && d < digits.size(); ++i)
        if (out[i] == QChar(Blank))
            out[i] = digits[d++];
    return out;
}

} // namespace

bool isValidStyle(int style) {
    return style == DayStyle || style == MonthStyle;
}

QString inputMask(int style) {
    return style == MonthStyle ? QStringLiteral("99/9999;_") : QStringLiteral("99/99/9999;_");
}

QString blankText(int style) {
    return style == MonthStyle ? QStringLiteral("__/____") : QStringLiteral("__/__/____");
}

bool hasDigit(const QString& text) {
    for (QChar c : text)
        if (isAsciiDigit(c))
            return true;
    return false;
}

QString visibleText(const QString& displayed) {
    return hasDigit(displayed) ? displayed : QString();
}

QDate firstDate() {
    return QDate(100, 1, 1);
}
QDate lastDate() {
    return QDate(9999, 12, 31);
}
bool inRange(const QDate& date) {
    return date.isValid() && date >= firstDate() && date <= lastDate();
}

Parsed parse(const QString& text, int style) {
    Parsed p;
    if (!hasDigit(text))
        return p; // Empty
    const std::optional<QString> shaped = inShape(text, style);
    if (!shaped) {
        p.problem = Problem::Malformed;
        return p;
    }
    const QList<Field> fields = fieldsOf(style);
    int values[3] = {0, 0, 0};
    bool incomplete = false;
    for (int f = 0; f < fields.size(); ++f) {
        const QString part = shaped->mid(fields[f].start, fields[f].length);
        if (part.contains(QChar(Blank))) {
            incomplete = true;
            values[f] = -1;
        } else {
            values[f] = part.toInt();
        }
    }
    if (style == MonthStyle) {
        p.day = 1;
        p.month = values[0];
        p.year = values[1];
    } else {
        p.day = values[0];
        p.month = values[1];
        p.year = values[2];
    }
    if (incomplete) {
        p.problem = Problem::Incomplete;
        return p;
    }
    if (p.month < 1 || p.month > 12)
        p.problem = Problem::BadMonth;
    else if (p.year < firstDate().year())
        p.problem = Problem::BadYear;
    else if (p.day < 1 || p.day > QDate(p.year, p.month, 1).daysInMonth())
        p.problem = Problem::BadDay;
    else {
        p.problem = Problem::None;
        p.date = QDate(p.year, p.month, p.day);
    }
    return p;
}

std::optional<QDate> toDate(const QString& text, int style) {
    const Parsed p = parse(text, style);
    if (p.problem != Problem::None)
        return std::nullopt;
    return p.date;
}

QString format(const QDate& date, int style) {
    if (!inRange(date))
        return QString();
    const QString year = QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
    if (style == MonthStyle)
        return pad2(date.month()) + u'/' + year;
    return pad2(date.day()) + u'/' + pad2(date.month()) + u'/' + year;
}

QString problemMessage(const QString& text, int style) {
    const Parsed p = parse(text, style);
    if (p.problem == Problem::None || p.problem == Problem::Empty)
        return QString();
    const bool month = style == MonthStyle;
    const QString head = month ? QStringLiteral("'%1' não é um mês válido.").arg(text)
                               : QStringLiteral("'%1' não é uma data válida.").arg(text);
    QString detail;
    switch (p.problem) {
    case Problem::Incomplete:
        detail = month ? QStringLiteral("Informe o mês completo, no formato mm/aaaa.")
                       : QStringLiteral("Informe a data completa, no formato dd/mm/aaaa.");
        break;
    case Problem::Malformed:
        detail =
            month ? QStringLiteral("Use o formato mm/aaaa.") : QStringLiteral("Use o formato dd/mm/aaaa.");
        break;
    case Problem::BadMonth:
        detail = QStringLiteral("O mês deve estar entre 01 e 12.");
        break;
    case Problem::BadYear:
        detail = QStringLiteral("O ano deve estar entre 0100 e 9999.");
        break;
    case Problem::BadDay:
        detail = QStringLiteral("O dia deve estar entre 01 e %1 em %2/%3.")
                     .arg(QDate(p.year, p.month, 1).daysInMonth())
                     .arg(pad2(p.month))
                     .arg(p.year, 4, 10, QLatin1Char('0'));
        break;
    case Problem::None:
    case Problem::Empty:
        break;
    }
    return head + u' ' + detail;
}

QString normalise(const QString& text, int style) {
    if (!hasDigit(text))
        return QString();
    if (const std::optional<QString> shaped = inShape(text, style))
        return *shaped;
    // Groups of digits split by anything else: one per field, each no longer than its field.
    static const QRegularExpression nonDigits(QStringLiteral("[^0-9]+"));
    const QStringList groups = text.split(nonDigits, Qt::SkipEmptyParts);
    const QList<Field> fields = fieldsOf(style);
    bool fits = groups.size() == fields.size();
    for (int f = 0; fits && f < fields.size(); ++f)
        fits = groups[f].size() <= fields[f].length;
    if (fits) {
        QString out = blankText(style);
        for (int f = 0; f < fields.size(); ++f) {
            QString part = groups[f];
            if (fields[f].length == 2 && part.size() == 1)
                part.prepend(u'0');
            // A short year stays unfinished rather than being guessed.
            out.replace(fields[f].start, part.size(), part);
        }
        return out;
    }
    // Otherwise the digits go into the places in order, as if typed.
    return fill(groups.join(QString()), style);
}

QString convert(const QString& text, int fromStyle, int toStyle) {
    if (!isValidStyle(fromStyle) || !isValidStyle(toStyle))
        return text;
    const QString t = normalise(text, fromStyle);
    if (fromStyle == toStyle || t.isEmpty())
        return t;
    if (fromStyle == DayStyle)
        return visibleText(t.mid(3)); // the month and year fields
    return QStringLiteral("01/") + t; // a month is its first day
}

std::optional<Edit> separatorTyped(const QString& text, int cursor, int style) {
    const std::optional<QString> shaped = inShape(text, style);
    if (!shaped)
        return std::nullopt;
    const QList<Field> fields = fieldsOf(style);
    for (int f = 0; f + 1 < fields.size(); ++f) {
        const int s = fields[f].start;
        const int e = s + fields[f].length; // the separator's place
        if (cursor < s || cursor > e)
            continue;
        Edit edit{*shaped, cursor};
        const QString part = shaped->mid(s, 2);
        const int digits = int(isAsciiDigit(part[0])) + int(isAsciiDigit(part[1]));
        if (digits == 1) {
            const QChar d = isAsciiDigit(part[0]) ? part[0] : part[1];
            edit.text[s] = u'0';
            edit.text[s + 1] = d;
        }
        if (digits > 0)
            edit.cursor = e + 1;
        return edit; // an empty field swallows the separator
    }
    return std::nullopt;
}

QStringList defaultDayNames() {
    return {QStringLiteral("Domingo"), QStringLiteral("Segunda"), QStringLiteral("Terça"),
            QStringLiteral("Quarta"),  QStringLiteral("Quinta"),  QStringLiteral("Sexta"),
            QStringLiteral("Sábado")};
}

QString dayName(const QDate& date, const QStringList& names) {
    if (!date.isValid() || names.size() != 7)
        return QString();
    return names.at(date.dayOfWeek() % 7); // Qt counts Monday as 1 and Sunday as 7
}

} // namespace DateText
