// The lookup queries as the form resource declares them, on every database.
#include "DataBackends.h"
#include "LookupQueries.h"

#include "core/Errors.h"
#include "data/TADOIBQuery.h"
#include "data/TADOIBStringField.h"
#include "data/TDataSet.h"
#include "data/TDataSource.h"
#include "forms/FormReader.h"
#include "forms/TForm.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <memory>

namespace {

QJsonObject oneQuery(const QJsonObject& properties, const QJsonArray& fields = {}) {
    QJsonObject q{{"name", "qryTeste"}, {"class", "TADOIBQuery"}, {"properties", properties}};
    if (!fields.isEmpty())
        q["components"] = fields;
    return QJsonObject{{"class", "TForm"}, {"components", QJsonArray{q}}};
}

QJsonObject stringField(const QString& name) {
    return QJsonObject{{"name", "qryTeste" + name},
                       {"class", "TADOIBStringField"},
                       {"properties", QJsonObject{{"FieldName", name}}}};
}

QStringList column(TADOIBQuery* q, const QString& field) {
    QStringList out;
    for (int r = 0; r < q->RecordCount(); ++r)
        out << q->Query()->text(r, field);
    return out;
}

std::string message(const std::function<void()>& f) {
    try {
        f();
    } catch (const EHostError& e) {
        return e.message().toStdString();
    }
    return "(nothing raised)";
}

// ---------------------------------------------------------------------------------------------
// Reading the resource: no database needed.

TEST(LookupResource, KeepsEveryPropertyAndField) {
    LookupForm f;
    TADOIBQuery* q = f.query("qryCliente");
    ASSERT_NE(q, nullptr);
    EXPECT_FALSE(q->Active());
    EXPECT_EQ(q->ADOConnection(), "dtmDBGeral.adcGeral");
    EXPECT_EQ(q->DataBase(), "dtmDBGeral.dtbGeral");
    EXPECT_EQ(q->Transaction(), "dtmDBGeral.ibtGeral");
    EXPECT_EQ(q->ADOCursorLocation(), "clUseClient");
    EXPECT_EQ(q->ADOCursorType(), "ctKeyset");
    EXPECT_EQ(q->ADOLockType(), "ltReadOnly");
    EXPECT_EQ(q->ADOCacheSize(), 1);
    EXPECT_EQ(q->ADOMaxRecords(), 0);
    EXPECT_EQ(q->ADOMarshalOptions(), "moMarshalAll");
    EXPECT_FALSE(q->ADOEnableBCD() || q->ADOFiltered() || q->ADOPrepared() || q->CachedUpdates() ||
                 q->ObjectView());
    EXPECT_TRUE(q->ADOExecuteOptions().isEmpty());
    EXPECT_TRUE(q->Constraints().isEmpty());
    EXPECT_TRUE(q->AutoCalcFields() && q->ParamCheck());
    EXPECT_EQ(q->DataSource(), "dtsCliente_");
    EXPECT_TRUE(q->SQL().startsWith("SELECT\n   C.CDCLIENTE , C.IDTPIJURCLIE, C.NRINSJURCLIE,\n"));
    EXPECT_TRUE(q->SQL().endsWith("ORDER BY\n   NRINSJURCLIE"));
    EXPECT_TRUE(q->SQL_IB().isEmpty());

    const QList<TADOIBStringField*> fields = q->Fields();
    ASSERT_EQ(fields.size(), 9);
    EXPECT_EQ(fields[0]->objectName(), "qryClienteCDCLIENTE");
    EXPECT_EQ(fields[0]->DisplayLabel(), "CDCLIENTE"); // no label: the field name
    EXPECT_EQ(fields[0]->Size(), 21);
    EXPECT_FALSE(fields[0]->Visible());
    EXPECT_TRUE(fields[0]->Required());
    EXPECT_EQ(fields[2]->DisplayLabel(), QString::fromUtf8("Nr. Inscrição"));
    EXPECT_EQ(fields[2]->Size(), TADOIBStringField::DefaultSize);
    EXPECT_TRUE(fields[2]->Visible());
    EXPECT_EQ(fields[6]->FieldName(), "SGESTADO");
    EXPECT_TRUE(fields[6]->Required());
    EXPECT_EQ(q->FieldByName("dsendeclie"), fields[8]);

    // Data sources were declared before their queries: they resolve on use.
    EXPECT_EQ(f.source("dtsCliente_")->DataSet(), q->Query());
    EXPECT_EQ(f.source("dspRamoAtiv_")->DataSet(), f.query("qryRamoAtiv")->Query());
    EXPECT_EQ(q->resolve(q->DataSource()), f.source("dtsCliente_"));
    EXPECT_EQ(q->resolve(q->ADOConnection()), dtmDBGeral::instance().adcGeral());
    EXPECT_EQ(f.query("qryBairro")->SQL_MSSQL().count('\n'), 12);
}

struct BadProperty {
    const char* name;
    const char* json; // the properties object
    const char* expected;
};

class LookupResourceRejects : public ::testing::TestWithParam<BadProperty> {};

TEST_P(LookupResourceRejects, NamingTheItem) {
    const BadProperty& c = GetParam();
    const QJsonObject props = QJsonDocument::fromJson(c.json).object();
    const std::string text = message([&] { LookupForm f(oneQuery(props)); });
    EXPECT_NE(text.find("qryTeste"), std::string::npos) << text;
    EXPECT_NE(text.find(c.expected), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Values, LookupResourceRejects,
    ::testing::Values(BadProperty{"cursor_type", R"({"ADOCursorType":"ctBogus"})", "ctBogus"},
                      BadProperty{"lock_type", R"({"ADOLockType":1})", "a text is expected"},
                      BadProperty{"cache_size", R"({"ADOCacheSize":0})", "cache size"},
                      BadProperty{"max_records", R"({"ADOMaxRecords":-1})", "zero or more"},
                      BadProperty{"execute_options", R"({"ADOExecuteOptions":["eoBogus"]})", "eoBogus"},
                      BadProperty{"sql_not_lines", R"({"SQL":"SELECT 1"})", "list of lines"},
                      BadProperty{"active_true", R"({"Active":true})", "open it from code"},
                      BadProperty{"empty_reference", R"({"DataSource":""})", "empty reference"},
                      BadProperty{"unknown_property", R"({"Sql":["x"]})", "unknown property 'Sql'"}),
    [](const auto& info) { return std::string(info.param.name); });

struct DialectCase {
    const char* name;
    DatabaseKind kind;
    bool ib, oracle, mssql; // which dialect texts are set
    const char* expected;
};

class QueryDialect : public ::testing::TestWithParam<DialectCase> {};

TEST_P(QueryDialect, RunsTheTextOfTheDatabaseKind) {
    const DialectCase& c = GetParam();
    TADOIBQuery q;
    q.SetSQL({"generic"});
    if (c.ib)
        q.SetSQL_IB({"ib"});
    if (c.oracle)
        q.SetSQL_ORACLE({"oracle"});
    if (c.mssql)
        q.SetSQL_MSSQL({"mssql", "  "});
    EXPECT_EQ(q.SqlFor(c.kind).trimmed(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, QueryDialect,
    ::testing::Values(
        DialectCase{"interbase", DatabaseKind::InterBase, true, true, true, "ib"},
        DialectCase{"oracle", DatabaseKind::Oracle, true, true, true, "oracle"},
        DialectCase{"mssql", DatabaseKind::MSSQL, true, true, true, "mssql"},
        DialectCase{"sqlite", DatabaseKind::SQLite, true, true, true, "generic"},
        DialectCase{"postgresql_has_no_text_of_its_own", DatabaseKind::PostgreSQL, true, true, true,
                    "generic"},
        DialectCase{"none", DatabaseKind::None, true, true, true, "generic"},
        DialectCase{"interbase_without_its_text", DatabaseKind::InterBase, false, true, true, "generic"},
        DialectCase{"oracle_without_its_text", DatabaseKind::Oracle, true, false, true, "generic"},
        DialectCase{"mssql_without_its_text", DatabaseKind::MSSQL, true, true, false, "generic"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QueryDialect, BlankDialectTextFallsBackToSql) {
    TADOIBQuery q;
    q.SetSQL({"SELECT 1"});
    q.SetSQL_IB({"", "   "});
    EXPECT_EQ(q.SqlFor(DatabaseKind::InterBase), "SELECT 1");
}

// ---------------------------------------------------------------------------------------------
// On each database.

class OnDatabase : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        SKIP_IF_UNAVAILABLE(GetParam());
        DataBackends::openShared(DataBackends::demoUrl(GetParam()));
    }
};

TEST_P(OnDatabase, ClientLookupListsMainAddressesInRegisteredMunicipalities) {
    LookupForm f;
    TADOIBQuery* q = f.query("qryCliente");
    q->Close();
    q->Open();
    // The demo's 320 clients: 16 without any address, 16 with a billing address only and 6 whose
    // main address lies in Sorocaba, a municipality that is not registered.
    EXPECT_EQ(q->RecordCount(), 282);
    const QStringList codes = column(q, "CDCLIENTE");
    EXPECT_TRUE(codes.contains("000001"));
    EXPECT_FALSE(codes.contains("000007"));
    EXPECT_FALSE(codes.contains("000013"));
    EXPECT_FALSE(codes.contains("000025"));
    const QStringList registration = column(q, "nrinsjurclie");
    for (int i = 1; i < registration.size(); ++i)
        ASSERT_LE(registration[i - 1], registration[i]) << "row " << i;
    const QStringList types = column(q, "IDTPIJURCLIE");
    for (const char* t : {"F", "J", "O"})
        EXPECT_TRUE(types.contains(t)) << t;
    EXPECT_TRUE(column(q, "NMMUNICIPIO").contains(QString::fromUtf8("São Paulo")));
    EXPECT_FALSE(column(q, "NMMUNICIPIO").contains("Sorocaba"));
    EXPECT_EQ(column(q, "NMPAIS").removeDuplicates(), 281); // all "Brasil"
}

TEST_P(OnDatabase, LineOfBusinessLookupInTreeOrder) {
    LookupForm f;
    TADOIBQuery* q = f.query("qryRamoAtiv");
    q->Open();
    EXPECT_FALSE(q->IsEmpty());
    EXPECT_EQ(column(q, "CDARVATIVCLI"),
              QStringList({"1", "1.1", "1.2", "1.3", "2", "2.1", "2.2", "3", "3.1", "3.2", "3.3", "4"}));
    EXPECT_EQ(q->Query()->text(1, "CDATIVCLI"), "0101");
    EXPECT_EQ(q->Query()->text(1, "DSATIVCLI"), QString::fromUtf8("Comércio varejista de alimentos"));
}

TEST_P(OnDatabase, NeighbourhoodLookupJoinsStrictly) {
    LookupForm f;
    TADOIBQuery* q = f.query("qryBairro");
    q->Open();
    // 34 neighbourhoods of registered municipalities; Sorocaba's two are not offered.
    EXPECT_EQ(q->RecordCount(), 34);
    const QStringList keys = column(q, "BAIRROMUNI");
    EXPECT_TRUE(keys.contains("0013550308")); // Centro, São Paulo
    EXPECT_TRUE(keys.contains("0013509502")); // Centro, Campinas: same code, another key
    EXPECT_FALSE(keys.contains("0013552205"));
    EXPECT_EQ(QStringList(keys).removeDuplicates(), 0);
    EXPECT_EQ(q->Query()->text(0, "CDBAIRRO"), "001");
    EXPECT_EQ(q->Query()->text(0, "NMMUNICIPIO"), "Belo Horizonte");
    for (const QString& k : keys)
        EXPECT_LE(k.size(), 14);
}

TEST_P(OnDatabase, RunsTheDialectTextOfItsDatabase) {
    TADOIBQuery q;
    q.SetSQL({"SELECT 'generico' AS QUAL FROM PAIS WHERE CDPAIS = '1058'"});
    q.SetSQL_IB({"SELECT 'interbase' AS QUAL FROM RDB$DATABASE"});
    q.SetSQL_ORACLE({"SELECT 'oracle' AS QUAL FROM DUAL"});
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    // PostgreSQL has no text of its own: the generic one serves it.
    const bool generic = GetParam() == Backend::SQLite || GetParam() == Backend::PostgreSQLServer;
    EXPECT_EQ(q.Query()->text(0, "qual").trimmed(), generic ? "generico" : "interbase");
}

TEST_P(OnDatabase, CloseAndOpenSeeNewRows) {
    LookupForm f;
    TADOIBQuery* q = f.query("qryRamoAtiv");
    q->Open();
    const int before = q->RecordCount();
    execShared("INSERT INTO ATIVCLIENTE (CDATIVCLI, CDARVATIVCLI, DSATIVCLI) VALUES ('99', '9', 'Pesca')");
    q->Open(); // already open: same rows
    EXPECT_EQ(q->RecordCount(), before);
    q->Close();
    EXPECT_TRUE(q->IsEmpty());
    q->Open();
    EXPECT_EQ(q->RecordCount(), before + 1);
    EXPECT_EQ(q->Query()->text(before, "DSATIVCLI"), "Pesca");
    execShared("DELETE FROM ATIVCLIENTE WHERE CDATIVCLI = '99'");
    q->Close();
    q->Open();
    EXPECT_EQ(q->RecordCount(), before);
}

TEST_P(OnDatabase, FailuresCarryTheDatabaseText) {
    TADOIBQuery q;
    q.setObjectName("qryQuebrada");
    q.SetSQL({"SELECT X FROM TABELA_INEXISTENTE"});
    const std::string text = message([&] { q.Open(); });
    EXPECT_NE(text.find("qryQuebrada"), std::string::npos) << text;
    EXPECT_NE(text.find("TABELA_INEXISTENTE"), std::string::npos) << text;
    EXPECT_FALSE(q.Active());
}

TEST_P(OnDatabase, ResultLackingADeclaredFieldNamesIt) {
    LookupForm f(oneQuery(QJsonObject{{"SQL", QJsonArray{"SELECT CDPAIS FROM PAIS"}}},
                          {stringField("CDPAIS"), stringField("NMESTADO")}));
    const std::string text = message([&] { f.query("qryTeste")->Open(); });
    EXPECT_NE(text.find("NMESTADO"), std::string::npos) << text;
    EXPECT_FALSE(f.query("qryTeste")->Active());
}

TEST_P(OnDatabase, UnresolvedReferenceFailsAtOpen) {
    LookupForm f(oneQuery(
        QJsonObject{{"SQL", QJsonArray{"SELECT CDPAIS FROM PAIS"}}, {"DataSource", "dtsNaoExiste"}}));
    const std::string text = message([&] { f.query("qryTeste")->Open(); });
    EXPECT_NE(text.find("dtsNaoExiste"), std::string::npos) << text;
}

TEST_P(OnDatabase, MaxRecordsLimitsTheRows) {
    TADOIBQuery q;
    q.SetSQL({"SELECT CDCLIENTE FROM CLIENTE ORDER BY CDCLIENTE"});
    q.SetADOMaxRecords(5);
    q.Open();
    EXPECT_EQ(q.RecordCount(), 5);
}

INSTANTIATE_TEST_SUITE_P(Databases, OnDatabase,
                         ::testing::Values(Backend::SQLite, Backend::FirebirdEmbedded,
                                           Backend::FirebirdServer, Backend::PostgreSQLServer),
                         [](const auto& info) { return backendName(info.param).toStdString(); });

// The empty-table message of the screen depends on IsEmpty of a query over an empty table.
class OnEmptyDatabase : public ::testing::TestWithParam<Backend> {};

TEST_P(OnEmptyDatabase, EmptyTableIsEmpty) {
    SKIP_IF_UNAVAILABLE(GetParam());
    DataBackends::openShared(DataBackends::freshUrl(GetParam(), "empty", true));
    LookupForm f;
    for (const char* name : {"qryCliente", "qryRamoAtiv"}) {
        TADOIBQuery* q = f.query(name);
        q->Open();
        EXPECT_TRUE(q->Active()) << name;
        EXPECT_TRUE(q->IsEmpty()) << name;
        EXPECT_EQ(q->RecordCount(), 0) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, OnEmptyDatabase,
                         ::testing::Values(Backend::SQLite, Backend::FirebirdEmbedded,
                                           Backend::FirebirdServer, Backend::PostgreSQLServer),
                         [](const auto& info) { return backendName(info.param).toStdString(); });

} // namespace
