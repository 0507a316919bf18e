#include "reporting/ReportSql.h"

#include <QSet>

namespace {

bool isNameStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

// The text with quoted strings, quoted identifiers and comments replaced by blanks, so that the
// scanners below only ever look at SQL proper. Lengths are kept.
QString blankOutQuotesAndComments(const QString& sql) {
    QString out = sql;
    const int n = int(sql.size());
    int i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"') {
            const QChar q = c;
            int j = i + 1;
            while (j < n) {
                if (sql[j] == q) {
                    if (j + 1 < n && sql[j + 1] == q) { // doubled quote inside the literal
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            for (int k = i; k <= qMin(j, n - 1); ++k)
                out[k] = (k == i || k == j) ? q : u' ';
            i = j + 1;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            int j = i;
            while (j < n && sql[j] != u'\n')
                out[j++] = u' ';
            i = j;
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            int j = i + 2;
            while (j + 1 < n && !(sql[j] == u'*' && sql[j + 1] == u'/'))
                ++j;
            const int end = qMin(j + 2, n);
            for (int k = i; k < end; ++k)
                out[k] = u' ';
            i = end;
        } else {
            ++i;
        }
    }
    return out;
}

struct Placeholder {
    QString text; // without the colon
};

QList<Placeholder> placeholders(const QString& sql) {
    const QString s = blankOutQuotesAndComments(sql);
    QList<Placeholder> out;
    const int n = int(s.size());
    for (int i = 0; i < n; ++i) {
        if (s[i] != u':')
            continue;
        if (i + 1 < n && s[i + 1] == u':') { // a "::" cast, not a placeholder
            ++i;
            continue;
        }
        if (i > 0 && (s[i - 1] == u':' || isNameChar(s[i - 1])))
            continue;
        if (i + 1 >= n || !isNameStart(s[i + 1]))
            continue;
        int j = i + 1;
        while (j < n && isNameChar(s[j]))
            ++j;
        out.push_back({s.mid(i + 1, j - i - 1)});
        i = j - 1;
    }
    return out;
}

} // namespace

QStringList ReportSql::parameterNames(const QString& sql) {
    QStringList names;
    QSet<QString> seen;
    for (const Placeholder& p : placeholders(sql)) {
        const QString key = p.text.toUpper();
        if (!seen.contains(key)) {
            seen.insert(key);
            names << p.text;
        }
    }
    return names;
}

QStringList ReportSql::placeholderSpellings(const QString& sql, const QString& name) {
    QStringList out;
    for (const Placeholder& p : placeholders(sql))
        if (p.text.compare(name, Qt::CaseInsensitive) == 0 && !out.contains(p.text))
            out << p.text;
    return out;
}

QString ReportSql::readOnlyProblem(const QString& sql) {
    QString s = blankOutQuotesAndComments(sql).trimmed();
    if (s.isEmpty())
        return QStringLiteral("A consulta do relatório está vazia.");
    if (s.endsWith(u';'))
        s = s.left(s.size() - 1).trimmed();
    if (s.contains(u';'))
        return QStringLiteral("A consulta do relatório deve ter um único comando; há mais de um.");

    // Words, upper-cased, outside quotes and comments.
    QStringList words;
    const int n = int(s.size());
    for (int i = 0; i < n;) {
        if (isNameStart(s[i]) && (i == 0 || (!isNameChar(s[i - 1]) && s[i - 1] != u':'))) {
            int j = i;
            while (j < n && isNameChar(s[j]))
                ++j;
            words << s.mid(i, j - i).toUpper();
            i = j;
        } else {
            ++i;
        }
    }
    if (words.isEmpty() || (words.first() != u"SELECT" && words.first() != u"WITH"))
        return QStringLiteral(
                   "A consulta do relatório deve ser um SELECT (ou WITH ... SELECT); '%1' não é permitido.")
            .arg(words.isEmpty() ? s.left(20) : words.first());
    static const QSet<QString> writing = {
        "INSERT", "UPDATE",   "DELETE",  "MERGE",  "UPSERT",   "INTO",      "CREATE",  "DROP",
        "ALTER",  "TRUNCATE", "GRANT",   "REVOKE", "EXECUTE",  "EXEC",      "ATTACH",  "DETACH",
        "PRAGMA", "VACUUM",   "REINDEX", "COMMIT", "ROLLBACK", "SAVEPOINT", "RELEASE", "RECREATE"};
    for (const QString& w : words)
        if (writing.contains(w))
            return QStringLiteral(
                       "A consulta do relatório só pode ler dados; o comando '%1' não é permitido.")
                .arg(w);
    if (!words.contains(QStringLiteral("SELECT")))
        return QStringLiteral("A consulta do relatório deve ser um SELECT (ou WITH ... SELECT).");
    return {};
}
