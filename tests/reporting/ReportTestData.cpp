#include "ReportTestData.h"

#include "core/DateTime.h"
#include "core/Errors.h"
#include "data/DatabaseUrl.h"
#include "demo/DemoDatabase.h"
#include "demo/FirebirdAdmin.h"
#include "demo/PostgresAdmin.h"
#include "library/SelectionText.h"
#include "reporting/TParams.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kSaoPaulo = "3550308";
const QString kCampinas = "3509502";

struct State {
    std::unique_ptr<QTemporaryDir> dir;
    QStringList firebird, postgres;
    int counter = 0;
};
State& state() {
    static State s;
    return s;
}

class Cleanup : public ::testing::Environment {
public:
    void TearDown() override {
        dtmDBGeral::instance().close();
        for (const QString& url : state().firebird) {
            try {
                FirebirdAdmin::dropDatabase(DatabaseUrl::parse(url));
            } catch (const EHostError& e) {
                std::fprintf(stderr, "cleanup: %s\n", e.what());
            }
        }
        for (const QString& url : state().postgres) {
            try {
                PostgresAdmin::dropDatabase(DatabaseUrl::parse(url));
            } catch (const EHostError& e) {
                std::fprintf(stderr, "cleanup: %s\n", e.what());
            }
        }
        state().dir.reset();
    }
};
[[maybe_unused]] ::testing::Environment* const g_cleanup = ::testing::AddGlobalTestEnvironment(new Cleanup);

QVariant text(const QString& s) {
    return s.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(s);
}

bool inSelection(const QString& list, const QString& key) {
    if (list == "T")
        return true;
    const auto keys = SelectionText::decode(list);
    return keys && keys->contains(key);
}

int monthDay(const QDate& d) {
    return d.month() * 100 + d.day();
}

bool inPeriod(const QDate& birth, const TestFilters& f) {
    if (f.allDates)
        return true;
    if (f.from.daysTo(f.to) >= 365)
        return true;
    const int md = monthDay(birth), a = monthDay(f.from), b = monthDay(f.to);
    return a <= b ? (md >= a && md <= b) : (md >= a || md <= b);
}

} // namespace

void exec(QSqlDatabase& db, const QString& sql, const QVariantList& values) {
    QSqlQuery q(db);
    if (!q.prepare(sql))
        throw EHostError(sql + ": " + q.lastError().text());
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    if (!q.exec())
        throw EHostError(sql + ": " + q.lastError().text());
}

const std::vector<TestClient>& testClients() {
    static const std::vector<TestClient> clients = {
        {"C01", "F", "Ana Souza", "Ana", QDate(1980, 3, 5), "A1", "01", "O", kSaoPaulo, "001"},
        {"C02", "J", "Beta Comércio Ltda", "Beta", QDate(1995, 3, 20), "A1", "01", "E", kSaoPaulo, "002"},
        {"C03", "O", "Clube Gama", "Gama", QDate(1970, 12, 25), "A2", "01", "O", kCampinas, "001"},
        {"C04", "F", "Daniel Lima", "Dani", QDate(1985, 1, 5), "A2", "01", "E", kCampinas, "001"},
        {"C05", "F", "Eva Martins", "Eva", QDate(), "A1", "01", "O", kSaoPaulo, "001"},
        {"C06", "J", "Fábrica Ômega S.A.", "Ômega", QDate(2000, 7, 15), "", "01", "E", "", ""},
        {"C07", "F", "Gustavo Reis", "Gus", QDate(1990, 3, 31), "A2", "02", "O", kSaoPaulo, "002"},
        {"C08", "O", "Helena Prado", "Helena", QDate(1975, 12, 31), "A1", "01", "E", kSaoPaulo, "001"},
        {"C09", "F", "Igor Nunes", "Igor", QDate(1988, 2, 29), "A1", "01", "O", kCampinas, "001"},
        {"C10", "J", "Jota Serviços e Representações Comerciais Ltda", "Jota", QDate(1999, 1, 1), "A2", "01",
         "O", kSaoPaulo, "001"},
    };
    return clients;
}

QString backendName(TestBackend b) {
    return b == TestBackend::SQLite ? "SQLite" : b == TestBackend::Firebird ? "Firebird" : "PostgreSQL";
}

std::optional<QString> backendUnavailable(TestBackend b) {
    if (b == TestBackend::SQLite)
        return std::nullopt;
    if (b == TestBackend::PostgreSQL)
        return qEnvironmentVariable("ERP_POSTGRES_URL").isEmpty()
                   ? std::optional<QString>(QStringLiteral("ERP_POSTGRES_URL is not set"))
               : !QSqlDatabase::isDriverAvailable("QPSQL")
                   ? std::optional<QString>(QStringLiteral("no PostgreSQL driver (libqt6sql6-psql)"))
                   : std::nullopt;
    if (qEnvironmentVariable("ERP_FIREBIRD_URL").isEmpty())
        return QStringLiteral("ERP_FIREBIRD_URL is not set");
    if (!QSqlDatabase::isDriverAvailable("QIBASE") || !FirebirdAdmin::available())
        return QStringLiteral("no Firebird driver or client library");
    return std::nullopt;
}

void openTestDatabase(TestBackend b) {
    State& s = state();
    QString stem = QStringLiteral("reports-%1-%2").arg(QCoreApplication::applicationPid()).arg(++s.counter);
    QString url;
    if (b == TestBackend::SQLite) {
        if (!s.dir)
            s.dir = std::make_unique<QTemporaryDir>();
        url = QStringLiteral("sqlite:%1/%2.db").arg(s.dir->path(), stem);
        QFile(url.mid(7)).open(QIODevice::WriteOnly); // an empty file is an empty SQLite database
    } else if (b == TestBackend::PostgreSQL) {
        url = TestEnv::postgresDatabaseUrl(stem.replace('-', '_'));
        PostgresAdmin::dropDatabase(DatabaseUrl::parse(url)); // a leftover of a crashed run
        PostgresAdmin::createDatabase(DatabaseUrl::parse(url));
        s.postgres << url;
    } else {
        url = TestEnv::serverDatabaseUrl(stem);
        FirebirdAdmin::createDatabase(DatabaseUrl::parse(url));
        s.firebird << url;
    }
    dtmDBGeral::instance().open(url);
    QSqlDatabase db = dtmDBGeral::database();
    DemoDatabase::createSchema(db);
    db.transaction();
    exec(db, "INSERT INTO PAIS (CDPAIS, NMPAIS) VALUES (?, ?)", {"1058", "Brasil"});
    exec(db, "INSERT INTO ESTADO (CDPAIS, SGESTADO, NMESTADO) VALUES (?, ?, ?)", {"1058", "SP", "São Paulo"});
    exec(db, "INSERT INTO MUNICIPIO (CDPAIS, SGESTADO, CDMUNICIPIO, NMMUNICIPIO) VALUES (?, ?, ?, ?)",
         {"1058", "SP", kSaoPaulo, "São Paulo"});
    exec(db, "INSERT INTO MUNICIPIO (CDPAIS, SGESTADO, CDMUNICIPIO, NMMUNICIPIO) VALUES (?, ?, ?, ?)",
         {"1058", "SP", kCampinas, "Campinas"});
    for (const auto& [mun, code, name] : std::vector<std::tuple<QString, QString, QString>>{
             {kSaoPaulo, "001", "Centro"}, {kSaoPaulo, "002", "Moema"}, {kCampinas, "001", "Cambuí"}})
        exec(db,
             "INSERT INTO BAIRRO (CDPAIS, SGESTADO, CDMUNICIPIO, CDBAIRRO, NMBAIRRO) VALUES (?, ?, ?, ?, ?)",
             {"1058", "SP", mun, code, name});
    exec(db, "INSERT INTO ATIVCLIENTE (CDATIVCLI, CDARVATIVCLI, DSATIVCLI) VALUES (?, ?, ?)",
         {"A1", "1", "Comércio"});
    exec(db, "INSERT INTO ATIVCLIENTE (CDATIVCLI, CDARVATIVCLI, DSATIVCLI) VALUES (?, ?, ?)",
         {"A2", "2", "Indústria"});
    exec(db, "INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES (?, ?)", {"01", "Matriz"});
    exec(db, "INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES (?, ?)", {"02", "Filial Sul"});
    int seq = 0;
    for (const TestClient& c : testClients()) {
        exec(db,
             "INSERT INTO CLIENTE (CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMFANTCLIE, NMRAZSOCCLIE, "
             "DTNASCCLIE, CDATIVCLI, "
             "CDFILIAL, IDTPORCAEVEN) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
             {c.code, c.type, "000.000.000-" + c.code.right(2), c.fantasy, c.name,
              c.birth.isValid() ? QVariant(c.birth) : QVariant(QMetaType::fromType<QDate>()), text(c.ativ),
              c.filial, c.origin});
        // A delivery address in another neighbourhood: only the main one counts.
        exec(db,
             "INSERT INTO ENDECLIE (CDCLIENTE, NRSEQENDECLIE, IDTPENDECLIE, DSENDECLIE, CDPAIS, SGESTADO, "
             "CDMUNICIPIO, CDBAIRRO) "
             "VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
             {c.code, 1, "E", "Rua da Entrega, 1", "1058", "SP", kSaoPaulo, "002"});
        ++seq;
        if (!c.bairro.isEmpty())
            exec(db,
                 "INSERT INTO ENDECLIE (CDCLIENTE, NRSEQENDECLIE, IDTPENDECLIE, DSENDECLIE, CDPAIS, "
                 "SGESTADO, CDMUNICIPIO, CDBAIRRO) "
                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                 {c.code, 2, "P",
                  QStringLiteral("Avenida Principal %1, conjunto %2 - %3")
                      .arg(seq)
                      .arg(seq * 10)
                      .arg(c.fantasy)
                      .left(50),
                  "1058", "SP", c.mun, c.bairro});
    }
    if (!db.commit())
        throw EHostError(db.lastError().text());
}

void fillParams(TParams* params, const TestFilters& f) {
    auto set = [&](const char* name, auto apply) {
        if (ExistParam(params, name))
            apply(params->ParamByName(name));
    };
    set("P_TDTNASCCLIE", [&](TParam& p) { p.SetAsVariant(f.allDates ? QString("T") : QString("")); });
    set("P_DTINICIAL", [&](TParam& p) { p.SetAsDateTime(f.allDates ? 0.0 : HostDate::fromDate(f.from)); });
    set("P_DTFINAL", [&](TParam& p) { p.SetAsDateTime(f.allDates ? 0.0 : HostDate::fromDate(f.to)); });
    set("L_CLIENTE", [&](TParam& p) { p.SetAsString(f.clients); });
    set("L_RAMOATIV", [&](TParam& p) { p.SetAsString(f.lines); });
    set("L_BAIRRO", [&](TParam& p) { p.SetAsString(f.neighbourhoods); });
    set("P_IDTPORCAEVEN", [&](TParam& p) { p.SetAsVariant(f.origins); });
    set("P_IDTPIJURCLIE", [&](TParam& p) { p.SetAsVariant(f.types); });
    set("P_CDFILIAL", [&](TParam& p) { p.SetAsVariant(f.branch); });
}

QString selection(const QStringList& keys) {
    return SelectionText::encode(keys);
}

QStringList expectedClients(int report, const TestFilters& f) {
    QStringList out;
    for (const TestClient& c : testClients()) {
        bool ok = (f.branch.isEmpty() || c.filial == f.branch) && inSelection(f.clients, c.code);
        switch (report) {
        case 0:
            ok = ok && c.birth.isValid() && (f.allDates || c.birth.month() == f.from.month()) &&
                 (f.neighbourhoods == "T" ||
                  (!c.bairro.isEmpty() && inSelection(f.neighbourhoods, c.bairro + c.mun)));
            break;
        case 1:
            ok = ok && (f.lines == "T" || (!c.ativ.isEmpty() && inSelection(f.lines, c.ativ)));
            break;
        case 2:
            ok = ok && c.birth.isValid() && inPeriod(c.birth, f) &&
                 f.origins.contains("_" + c.origin + "_") &&
                 (f.lines == "T" || (!c.ativ.isEmpty() && inSelection(f.lines, c.ativ))) &&
                 (f.neighbourhoods == "T" ||
                  (!c.bairro.isEmpty() && inSelection(f.neighbourhoods, c.bairro + c.mun)));
            break;
        case 3:
            ok = ok && f.origins.contains("_" + c.origin + "_") && f.types.contains(c.type) &&
                 (f.lines == "T" || (!c.ativ.isEmpty() && inSelection(f.lines, c.ativ)));
            break;
        }
        if (ok)
            out << c.code;
    }
    return out;
}
