// Report definitions: what a file must hold, what is refused (naming the file), and the shipped
// QMT318 definitions with exactly the parameters their variants feed.
#include "reporting/ReportDefinition.h"
#include "core/Errors.h"
#include "core/HostSettings.h"
#include "reporting/ReportCatalogue.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const char* kValid = R"j({
  "title": "Teste", "order": 5,
  "sql": ["SELECT CDCLIENTE FROM CLIENTE", "WHERE (:L_CLIENTE = 'T' OR 1 = 1)"],
  "list_parameters": ["L_CLIENTE"],
  "columns": [{"field": "cdcliente", "header": "Código", "width": 20, "align": "right", "overflow": "wrap"}],
  "group": {"field": "CDCLIENTE", "header": "Cliente {CDCLIENTE}"},
  "page": {"orientation": "landscape", "paper": "Letter", "margins_mm": [5, 6, 7, 8], "font_size": 9}
})j";

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

TEST(ReportDefinition, ParsesEveryPartAndRoundTrips) {
    QTemporaryDir dir;
    const ReportDefinition d = ReportDefinition::load(writeFile(dir, "a.json", kValid));
    EXPECT_EQ(d.title, "Teste");
    EXPECT_EQ(d.order, 5);
    EXPECT_EQ(d.sql, "SELECT CDCLIENTE FROM CLIENTE\nWHERE (:L_CLIENTE = 'T' OR 1 = 1)");
    ASSERT_EQ(d.columns.size(), 1);
    EXPECT_EQ(d.columns[0].field, "CDCLIENTE");
    EXPECT_EQ(d.columns[0].alignment, Qt::AlignRight);
    EXPECT_EQ(d.columns[0].overflow, ReportColumn::Overflow::Wrap);
    EXPECT_EQ(d.group.header, "Cliente {CDCLIENTE}");
    EXPECT_EQ(d.page.orientation, QPageLayout::Landscape);
    EXPECT_EQ(d.page.layout().pageSize().id(), QPageSize::Letter);
    EXPECT_EQ(d.parameterNames(DatabaseKind::InterBase),
              QStringList{"L_CLIENTE"}); // no sql_ib: the plain text

    const QString copy = dir.filePath("b.json");
    d.save(copy);
    const ReportDefinition again = ReportDefinition::load(copy);
    EXPECT_EQ(again.toJson(), d.toJson());
}

struct BadCase {
    const char* name;
    const char* json;
    const char* mentions; // part of the message telling what is wrong
};

class RefusedDefinition : public ::testing::TestWithParam<BadCase> {};

TEST_P(RefusedDefinition, NamesTheFileAndTheFault) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, "ruim.json", GetParam().json);
    try {
        ReportDefinition::load(path);
        FAIL() << "accepted";
    } catch (const EHostError& e) {
        EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QString::fromUtf8(GetParam().mentions)))
            << e.message().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedDefinition,
    ::testing::Values(
        BadCase{"not_json", "{ \"title\": ", "corrompida"}, BadCase{"not_object", "[1, 2]", "objeto JSON"},
        BadCase{"no_title", R"j({"sql": "SELECT 1", "columns": [{"field": "A"}]})j", "title"},
        BadCase{"no_sql", R"j({"title": "x", "columns": [{"field": "A"}]})j", "sql"},
        BadCase{"sql_not_text", R"j({"title": "x", "sql": 12, "columns": [{"field": "A"}]})j", "sql"},
        BadCase{"no_columns", R"j({"title": "x", "sql": "SELECT 1"})j", "columns"},
        BadCase{"empty_columns", R"j({"title": "x", "sql": "SELECT 1", "columns": []})j", "coluna"},
        BadCase{"column_without_field",
                R"j({"title": "x", "sql": "SELECT 1", "columns": [{"header": "A"}]})j", "coluna 1"},
        BadCase{"bad_alignment",
                R"j({"title": "x", "sql": "SELECT 1", "columns": [{"field": "A", "align": "middle"}]})j",
                "middle"},
        BadCase{"bad_overflow",
                R"j({"title": "x", "sql": "SELECT 1", "columns": [{"field": "A", "overflow": "cut"}]})j",
                "cut"},
        BadCase{"zero_width",
                R"j({"title": "x", "sql": "SELECT 1", "columns": [{"field": "A", "width": 0}]})j", "width"},
        BadCase{"order_not_integer",
                R"j({"title": "x", "order": 1.5, "sql": "SELECT 1", "columns": [{"field": "A"}]})j", "order"},
        BadCase{
            "list_param_not_in_sql",
            R"j({"title": "x", "sql": "SELECT 1", "list_parameters": ["L_X"], "columns": [{"field": "A"}]})j",
            "L_X"},
        BadCase{
            "list_param_missing_in_dialect",
            R"j({"title": "x", "sql": "SELECT :L_X", "sql_ib": "SELECT 1", "list_parameters": ["L_X"], "columns": [{"field": "A"}]})j",
            "sql_ib"},
        BadCase{
            "bad_orientation",
            R"j({"title": "x", "sql": "SELECT 1", "columns": [{"field": "A"}], "page": {"orientation": "up"}})j",
            "up"},
        BadCase{
            "bad_margins",
            R"j({"title": "x", "sql": "SELECT 1", "columns": [{"field": "A"}], "page": {"margins_mm": [1, 2]}})j",
            "margins_mm"},
        BadCase{"group_without_field",
                R"j({"title": "x", "sql": "SELECT 1", "columns": [{"field": "A"}], "group": {}})j", "grupo"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ShippedCase {
    int order;
    const char* title;
    QStringList params;
    QStringList lists;
};

class ShippedReports : public ::testing::TestWithParam<ShippedCase> {};

TEST_P(ShippedReports, DeclareExactlyWhatTheirVariantFeeds) {
    HostSettings::setReportsDir(TestEnv::sourceDir() + "/reports");
    ReportCatalogue catalogue;
    catalogue.setCode("QMT318");
    ASSERT_TRUE(catalogue.reload().isEmpty());
    const auto& entries = catalogue.entries();
    ASSERT_EQ(entries.size(), 4u);
    const ShippedCase& c = GetParam();
    const ReportEntry& e = entries[size_t(c.order)];
    EXPECT_EQ(e.title, QString::fromUtf8(c.title));
    const ReportDefinition d = ReportDefinition::load(e.path);
    for (DatabaseKind kind : {DatabaseKind::SQLite, DatabaseKind::InterBase, DatabaseKind::PostgreSQL}) {
        QStringList names = d.parameterNames(kind);
        QStringList expected = c.params;
        names.sort();
        expected.sort();
        EXPECT_EQ(names, expected) << int(kind);
    }
    EXPECT_EQ(d.listParameters, c.lists);
}

INSTANTIATE_TEST_SUITE_P(
    QMT318, ShippedReports,
    ::testing::Values(ShippedCase{0,
                                  "Aniversariantes do Mês",
                                  {"P_TDTNASCCLIE", "P_DTINICIAL", "L_CLIENTE", "L_BAIRRO", "P_CDFILIAL"},
                                  {"L_CLIENTE", "L_BAIRRO"}},
                      ShippedCase{1,
                                  "Clientes por Ramo de Atividade",
                                  {"L_CLIENTE", "L_RAMOATIV", "P_CDFILIAL"},
                                  {"L_CLIENTE", "L_RAMOATIV"}},
                      ShippedCase{2,
                                  "Aniversariantes do Período",
                                  {"P_TDTNASCCLIE", "P_DTINICIAL", "P_DTFINAL", "L_CLIENTE", "L_RAMOATIV",
                                   "L_BAIRRO", "P_IDTPORCAEVEN", "P_CDFILIAL"},
                                  {"L_CLIENTE", "L_RAMOATIV", "L_BAIRRO"}},
                      ShippedCase{
                          3,
                          "Clientes por Tipo",
                          {"L_CLIENTE", "L_RAMOATIV", "P_IDTPORCAEVEN", "P_IDTPIJURCLIE", "P_CDFILIAL"},
                          {"L_CLIENTE", "L_RAMOATIV"}}),
    [](const auto& info) { return "variant" + std::to_string(info.param.order); });

} // namespace
