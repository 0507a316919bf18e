#include "demo/DemoRows.h"

#include "core/Errors.h"
#include "data/BatchInserter.h"
#include "demo/Random.h"
#include "demo/SampleTables.h"
#include "demo/TaxIds.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <vector>

using namespace SampleTables;

namespace {

void execOrThrow(QSqlQuery& q, const QString& what) {
    if (!q.exec())
        throw EHostError(QStringLiteral("Erro ao gravar %1 no banco de demonstração: %2")
                             .arg(what, q.lastError().text().trimmed()));
}

QSqlQuery prepared(QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    if (!q.prepare(sql))
        throw EHostError(QStringLiteral("Erro ao preparar a gravação do banco de demonstração: %1")
                             .arg(q.lastError().text().trimmed()));
    return q;
}

void insertRow(QSqlQuery& q, const QVariantList& values, const QString& what) {
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    execOrThrow(q, what);
}

// The demo's own wording for a batch that cannot be written.
BatchInserter::Failure failure(const QString& table) {
    return [table](BatchInserter::Stage stage, const QSqlError& error) {
        if (stage == BatchInserter::Stage::Prepare)
            throw EHostError(
                QStringLiteral("Erro ao preparar a gravação de %1: %2").arg(table, error.text().trimmed()));
        throw EHostError(QStringLiteral("Erro ao gravar %1 no banco de demonstração: %2")
                             .arg(table, error.text().trimmed()));
    };
}

} // namespace

namespace DemoRows {

void write(QSqlDatabase& db, int clients, const std::function<void(int)>& progress) {
    if (!db.transaction())
        throw EHostError(
            QStringLiteral("Não foi possível iniciar a transação: %1").arg(db.lastError().text()));
    try {
        QSqlQuery pais = prepared(db, "INSERT INTO PAIS (CDPAIS, NMPAIS) VALUES (?, ?)");
        insertRow(pais, {kBrasil, QStringLiteral("Brasil")}, "PAIS");
        insertRow(pais, {QStringLiteral("0639"), QStringLiteral("Argentina")}, "PAIS");
        QSqlQuery estado = prepared(db, "INSERT INTO ESTADO (CDPAIS, SGESTADO, NMESTADO) VALUES (?, ?, ?)");
        for (const auto& [code, name] : kStates)
            insertRow(estado, {kBrasil, code, name}, "ESTADO");
        QSqlQuery muni = prepared(
            db, "INSERT INTO MUNICIPIO (CDPAIS, SGESTADO, CDMUNICIPIO, NMMUNICIPIO) VALUES (?, ?, ?, ?)");
        QSqlQuery bairro = prepared(
            db,
            "INSERT INTO BAIRRO (CDPAIS, SGESTADO, CDMUNICIPIO, CDBAIRRO, NMBAIRRO) VALUES (?, ?, ?, ?, ?)");
        for (const Municipality& m : municipalities()) {
            if (m.registered)
                insertRow(muni, {m.country, m.state, m.code, m.name}, "MUNICIPIO");
            for (const auto& [code, name] : m.neighbourhoods)
                insertRow(bairro, {m.country, m.state, m.code, code, name}, "BAIRRO");
        }
        QSqlQuery ativ =
            prepared(db, "INSERT INTO ATIVCLIENTE (CDATIVCLI, CDARVATIVCLI, DSATIVCLI) VALUES (?, ?, ?)");
        for (const Activity& a : kActivities)
            insertRow(ativ, {a.code, a.tree, a.description}, "ATIVCLIENTE");
        QSqlQuery filial = prepared(db, "INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES (?, ?)");
        for (const auto& [code, name] : kBranches)
            insertRow(filial, {code, name}, "FILIAL");

        BatchInserter cliente(db, QStringLiteral("CLIENTE"),
                              {{"CDCLIENTE", "VARCHAR(21)"},
                               {"IDTPIJURCLIE", "VARCHAR(1)"},
                               {"NRINSJURCLIE", "VARCHAR(20)"},
                               {"NMFANTCLIE", "VARCHAR(50)"},
                               {"NMRAZSOCCLIE", "VARCHAR(50)"},
                               {"DTNASCCLIE", "DATE"},
                               {"CDATIVCLI", "VARCHAR(10)"},
                               {"CDFILIAL", "VARCHAR(10)"},
                               {"IDTPORCAEVEN", "VARCHAR(1)"}},
                              failure(QStringLiteral("CLIENTE")));
        BatchInserter ende(db, QStringLiteral("ENDECLIE"),
                           {{"CDCLIENTE", "VARCHAR(21)"},
                            {"NRSEQENDECLIE", "INTEGER"},
                            {"IDTPENDECLIE", "VARCHAR(1)"},
                            {"DSENDECLIE", "VARCHAR(50)"},
                            {"CDPAIS", "VARCHAR(4)"},
                            {"SGESTADO", "VARCHAR(2)"},
                            {"CDMUNICIPIO", "VARCHAR(7)"},
                            {"CDBAIRRO", "VARCHAR(7)"}},
                           failure(QStringLiteral("ENDECLIE")));

        std::vector<const Municipality*> registered;
        const Municipality* unregistered = nullptr;
        for (const Municipality& m : municipalities()) {
            if (m.registered)
                registered.push_back(&m);
            else
                unregistered = &m;
        }

        Random r(318);
        const int width = std::max(6, int(QString::number(clients).size()));
        for (int i = 1; i <= clients; ++i) {
            const QString code = QStringLiteral("%1").arg(i, width, 10, QChar('0'));
            const int kind = i % 10;
            const QString type = kind <= 5   ? QStringLiteral("F")
                                 : kind <= 8 ? QStringLiteral("J")
                                             : QStringLiteral("O");
            QString fantasy, legal, registration;
            if (type == "F") {
                const QString first = r.pick(kFirstNames), s1 = r.pick(kSurnames), s2 = r.pick(kSurnames);
                legal = first + ' ' + s1 + ' ' + s2;
                fantasy = first + ' ' + s2;
                registration = TaxIds::cpf(r);
            } else if (type == "J") {
                fantasy = r.pick(kCompanyCores);
                legal = r.pick(kCompanyKinds) + ' ' + fantasy + ' ' + r.pick(kCompanySuffixes);
                registration = TaxIds::cnpj(r);
            } else {
                const QString m = r.pick(registered)->name;
                legal = r.pick(kOthers) + ' ' + r.pick(kCompanyCores) + QStringLiteral(" de ") + m;
                fantasy = legal.left(50);
                registration = TaxIds::cnpj(r);
            }
            // Months cycle so that every month has birthdays.
            const int month = 1 + (i - 1) % 12;
            const int year = type == "F" ? 1940 + r.below(66) : 1950 + r.below(71);
            const int day = 1 + r.below(QDate(year, month, 1).daysInMonth());
            cliente.add({code, type, registration, fantasy.left(50), legal.left(50), QDate(year, month, day),
                         r.pick(kLeafActivities), r.pick(kBranches).first,
                         r.below(2) ? QStringLiteral("E") : QStringLiteral("O")});

            auto address = [&](int seq, const QString& addressType, const Municipality& m) {
                const auto& [bairroCode, bairroName] = r.pick(m.neighbourhoods);
                const QString street = QStringLiteral("%1, %2").arg(r.pick(kStreets)).arg(1 + r.below(3000));
                ende.add({code, seq, addressType, street, m.country, m.state, m.code, bairroCode});
            };
            const int slot = i % 20;
            if (slot == 7)
                ; // no address at all
            else if (slot == 13)
                address(1, QStringLiteral("C"), *r.pick(registered)); // billing only, no main address
            else {
                address(1, QStringLiteral("P"), i % 50 == 25 ? *unregistered : *r.pick(registered));
                if (i % 5 == 0)
                    address(2, QStringLiteral("C"), *r.pick(registered));
                if (i % 11 == 0)
                    address(3, QStringLiteral("E"), *r.pick(registered));
            }
            if (progress && (i % 1000 == 0 || i == clients))
                progress(i);
        }
        cliente.flush();
        ende.flush();
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        throw EHostError(
            QStringLiteral("Não foi possível gravar o banco de demonstração: %1").arg(db.lastError().text()));
}

} // namespace DemoRows
