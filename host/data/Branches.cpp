#include "data/Branches.h"

#include <QSqlQuery>
#include <QVariant>

QString Branches::caption(QSqlDatabase db, const QString& code) {
    if (code.isEmpty())
        return code;
    QSqlQuery q(db);
    q.setForwardOnly(true); // Firebird's driver would otherwise cache what it reads
    // A database without the table only loses the name, so a failed prepare is not an error.
    if (!q.prepare(QStringLiteral("SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL = :CDFILIAL")))
        return code;
    q.bindValue(QStringLiteral(":CDFILIAL"), code);
    if (q.exec() && q.next())
        return code + QStringLiteral(" - ") + q.value(0).toString().trimmed();
    return code;
}
