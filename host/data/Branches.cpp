#include "data/Branches.h"

#include "core/Errors.h"

#include <QSqlError>
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

QString Branches::first(QSqlDatabase db, const QString& databaseName) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT MIN(CDFILIAL) FROM FILIAL")))
        throw EHostError(QStringLiteral("Não foi possível ler as filiais do banco de dados '%1': %2")
                             .arg(databaseName, q.lastError().text()));
    const QString code = q.next() ? q.value(0).toString() : QString();
    if (code.isEmpty())
        throw EHostError(
            QStringLiteral("O banco de dados '%1' não tem nenhuma filial cadastrada.").arg(databaseName));
    return code;
}

QString Branches::problem(QSqlDatabase db, const QString& code, const QString& databaseName) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM FILIAL WHERE CDFILIAL = :CDFILIAL"));
    q.bindValue(QStringLiteral(":CDFILIAL"), code);
    if (q.exec() && q.next() && q.value(0).toInt() == 0)
        return QStringLiteral("A filial '%1' não está cadastrada no banco de dados '%2'.")
            .arg(code, databaseName);
    return {};
}
