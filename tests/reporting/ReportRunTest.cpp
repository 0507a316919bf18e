// The four QMT318 reports against clients whose expected sets are worked out in the test, on
// SQLite and, when their URLs are set, on a Firebird and a PostgreSQL server; plus the run's own rules.
#include "ParamFiller.h"
#include "ReportTestData.h"
#include "core/Errors.h"
#include "core/HostSettings.h"
#include "data/DatabaseUrl.h"
#include "data/dtmDBGeral.h"
#include "reporting/ReportController.h"
#include "reporting/ReportDocument_p.h"
#include "reporting/ReportEngine.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct RunCase {
    const char* name;
    int report;
    std::function<void(TestFilters&)> setup;
    const char* zone = nullptr; // the process's time zone during the run (TZ), when it matters
};

struct Harness {
    TReportDesignerDialog designer;
    ParamFiller filler;
    ReportController controller;
    explicit Harness(const QString& reportsDir = TestEnv::sourceDir() + "/reports") {
        filler.bindTo(designer);
        HostSettings::setReportsDir(reportsDir);
        ReportContext ctx;
        ctx.code = "QMT318";
        ctx.designer = &designer;
        controller.setContext(ctx);
        try {
            controller.reload();
        } catch (const EHostError&) {
            // a broken definition is listed in its place and named; the tests look at the others
        }
    }
    // Runs a report through the preview action and lets look receive the document.
    void look(int report, const TestFilters& f, const std::function<void(ReportDocument&)>& look) {
        filler.fill = [f](TParams* p) { fillParams(p, f); };
        TestEnv::dialogs().onPreview = look;
        controller.preview(report);
    }
    // Runs a report through the preview action; the client codes in the order listed.
    QStringList run(int report, const TestFilters& f, int* groups = nullptr) {
        filler.fill = [f](TParams* p) { fillParams(p, f); };
        QStringList codes;
        TestEnv::dialogs().onPreview = [&](ReportDocument& doc) {
            for (int r = 0; r < doc.rowCount(); ++r)
                codes << ReportDocumentRows::cell(doc, r, "CDCLIENTE");
            if (groups)
                *groups = ReportDocumentRows::groupCount(doc);
        };
        controller.preview(report);
        return codes;
    }
};

QStringList sorted(QStringList codes) {
    codes.sort();
    return codes;
}

TestBackend g_open = TestBackend::SQLite;
bool g_any = false;

void useBackend(TestBackend b) {
    if (!g_any || g_open != b) {
        openTestDatabase(b);
        g_open = b;
        g_any = true;
    }
}

class ClientSets : public BackendTest<std::tuple<TestBackend, RunCase>> {
    void open(TestBackend b) override { useBackend(b); }
};

TEST_P(ClientSets, MatchTheFilters) {
    const RunCase& c = std::get<1>(GetParam());
    TestFilters f;
    f.from = QDate(2026, 3, 1);
    f.to = QDate(2026, 3, 31);
    c.setup(f);
    const ZoneScope zone(c.zone);
    Harness h;
    const QStringList got = h.run(c.report, f);
    EXPECT_EQ(h.filler.calls, 1);
    EXPECT_EQ(sorted(got), sorted(expectedClients(c.report, f)));
    EXPECT_TRUE(TestEnv::dialogs().errors().isEmpty())
        << TestEnv::dialogs().errors().join("\n").toStdString();
}

const RunCase kCases[] = {
    {"r0_month_of_march", 0, [](TestFilters&) {}},
    {"r0_month_from_mid_month_date", 0, [](TestFilters& f) { f.from = QDate(2025, 12, 17); }},
    {"r0_no_date_every_birthday", 0, [](TestFilters& f) { f.allDates = true; }},
    {"r0_client_list", 0,
     [](TestFilters& f) {
         f.allDates = true;
         f.clients = selection({"C01", "C03", "C08"});
     }},
    {"r0_neighbourhood_same_code_other_town_excluded", 0,
     [](TestFilters& f) {
         f.allDates = true;
         f.neighbourhoods = selection({"0013550308"});
     }},
    {"r0_empty_selection_no_rows", 0,
     [](TestFilters& f) {
         f.allDates = true;
         f.clients = "";
     }},
    {"r0_other_branch", 0, [](TestFilters& f) { f.branch = "02"; }},
    {"r1_no_restriction", 1, [](TestFilters&) {}},
    {"r1_line_list", 1, [](TestFilters& f) { f.lines = selection({"A1"}); }},
    {"r1_both_lines_drop_clients_without", 1,
     [](TestFilters& f) {
         f.lines = selection({"A1", "A2"});
     }},
    {"r1_client_list", 1,
     [](TestFilters& f) {
         f.clients = selection({"C02", "C06", "C07"});
     }},
    {"r1_empty_line_selection", 1, [](TestFilters& f) { f.lines = ""; }},
    {"r2_march", 2, [](TestFilters&) {}},
    {"r2_across_new_year", 2,
     [](TestFilters& f) {
         f.from = QDate(2026, 12, 20);
         f.to = QDate(2027, 1, 5);
     }},
    {"r2_a_year_or_more", 2,
     [](TestFilters& f) {
         f.from = QDate(2026, 1, 10);
         f.to = QDate(2027, 1, 10);
     }},
    // São Paulo's clocks skipped midnight on 04/11/2018: the period still starts that day.
    {"r2_period_from_a_skipped_midnight", 2,
     [](TestFilters& f) {
         f.from = QDate(2018, 11, 4);
         f.to = QDate(2019, 1, 5);
     },
     "America/Sao_Paulo"},
    {"r0_month_in_a_zone_far_east", 0, [](TestFilters& f) { f.from = QDate(2018, 12, 1); },
     "Pacific/Kiritimati"},
    {"r2_feb_29_in_common_year", 2,
     [](TestFilters& f) {
         f.from = QDate(2027, 2, 28);
         f.to = QDate(2027, 3, 1);
     }},
    {"r2_origin_orcamento", 2,
     [](TestFilters& f) {
         f.allDates = true;
         f.origins = "_O_";
     }},
    {"r2_origin_encomenda", 2,
     [](TestFilters& f) {
         f.allDates = true;
         f.origins = "_E_";
     }},
    {"r2_no_origin", 2,
     [](TestFilters& f) {
         f.allDates = true;
         f.origins = "_";
     }},
    {"r2_neighbourhood_other_town", 2,
     [](TestFilters& f) {
         f.allDates = true;
         f.neighbourhoods = selection({"0013509502"});
     }},
    {"r2_line_list", 2,
     [](TestFilters& f) {
         f.allDates = true;
         f.lines = selection({"A2"});
     }},
    {"r3_all_types", 3, [](TestFilters&) {}},
    {"r3_F", 3, [](TestFilters& f) { f.types = "F"; }},
    {"r3_J", 3, [](TestFilters& f) { f.types = "J"; }},
    {"r3_O", 3, [](TestFilters& f) { f.types = "O"; }},
    {"r3_FJ", 3, [](TestFilters& f) { f.types = "FJ"; }},
    {"r3_FO", 3, [](TestFilters& f) { f.types = "FO"; }},
    {"r3_JO", 3, [](TestFilters& f) { f.types = "JO"; }},
    {"r3_none", 3, [](TestFilters& f) { f.types = ""; }},
    {"r3_origin_encomenda_only", 3, [](TestFilters& f) { f.origins = "_E_"; }},
    {"r3_line_and_client_lists", 3,
     [](TestFilters& f) {
         f.lines = selection({"A1"});
         f.clients = selection({"C01", "C02", "C03"});
     }},
};

// One instantiation per backend, so that each database is written once.
INSTANTIATE_TEST_SUITE_P(SQLite, ClientSets,
                         ::testing::Combine(::testing::Values(TestBackend::SQLite),
                                            ::testing::ValuesIn(kCases)),
                         [](const auto& info) { return std::string(std::get<1>(info.param).name); });
INSTANTIATE_TEST_SUITE_P(Servers, ClientSets,
                         ::testing::Combine(::testing::Values(TestBackend::Firebird, TestBackend::PostgreSQL),
                                            ::testing::ValuesIn(kCases)),
                         [](const auto& info) {
                             return backendName(std::get<0>(info.param)).toStdString() + "_" +
                                    std::get<1>(info.param).name;
                         });

// With one of the four definitions broken, the other three print exactly their clients, at their
// own positions: nothing after the broken one moves up.
class BrokenNeighbour : public BackendTest<std::tuple<TestBackend, int>> {
    void open(TestBackend b) override { useBackend(b); }
};

TEST_P(BrokenNeighbour, OthersPrintTheirClientsAtTheirPositions) {
    const int broken = std::get<1>(GetParam());
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("QMT318"));
    const QDir shipped(TestEnv::sourceDir() + "/reports/QMT318");
    for (const QString& file : shipped.entryList({"*.json"}, QDir::Files, QDir::Name)) {
        const QString target = dir.filePath("QMT318/" + file);
        if (file.startsWith(QString::number(broken) + "_")) {
            QFile f(target);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("{ \"title\": ");
        } else {
            ASSERT_TRUE(QFile::copy(shipped.filePath(file), target));
        }
    }
    Harness h(dir.path());
    for (int report = 0; report < 4; ++report) {
        if (report == broken)
            continue;
        TestFilters f;
        f.from = QDate(2026, 3, 1);
        f.to = QDate(2026, 3, 31);
        EXPECT_EQ(sorted(h.run(report, f)), sorted(expectedClients(report, f))) << "report " << report;
    }
    EXPECT_THROW(h.controller.preview(broken), EHostError);
}

INSTANTIATE_TEST_SUITE_P(Databases, BrokenNeighbour,
                         ::testing::Combine(::testing::Values(TestBackend::SQLite, TestBackend::Firebird,
                                                              TestBackend::PostgreSQL),
                                            ::testing::Values(0, 1, 2, 3)),
                         [](const auto& info) {
                             return backendName(std::get<0>(info.param)).toLower().toStdString() + "_broken" +
                                    std::to_string(std::get<1>(info.param));
                         });

class ReportOrder : public BackendTest<TestBackend> {
    void open(TestBackend b) override { useBackend(b); }
};

TEST_P(ReportOrder, PeriodAcrossNewYearListsDecemberFirst) {
    TestFilters f;
    f.from = QDate(2026, 12, 20);
    f.to = QDate(2027, 1, 5);
    Harness h;
    EXPECT_EQ(h.run(2, f), (QStringList{"C03", "C08", "C10", "C04"}));
}

TEST_P(ReportOrder, MonthListsByDayThenName) {
    TestFilters f;
    f.from = QDate(2026, 3, 1);
    Harness h;
    EXPECT_EQ(h.run(0, f), (QStringList{"C01", "C02"}));
}

TEST_P(ReportOrder, GroupsFollowLinesAndTypes) {
    Harness h;
    int groups = 0;
    TestFilters f;
    h.run(1, f, &groups);
    EXPECT_EQ(groups, 3); // Comércio, Indústria, sem ramo
    h.run(3, f, &groups);
    EXPECT_EQ(groups, 3);
    f.types = "FO";
    const QStringList codes = h.run(3, f, &groups);
    EXPECT_EQ(groups, 2);
    // Pessoa Física first, then Outros; by name inside each.
    EXPECT_EQ(codes, (QStringList{"C01", "C04", "C05", "C09", "C03", "C08"}));
}

// The keys a run left for others to see. SQLite's key table belongs to the connection that made it
// (reports read on a connection of their own); Firebird's is one table for every connection.
int keysLeft(QSqlDatabase db) {
    QSqlQuery q(db);
    if (!q.exec("SELECT COUNT(*) FROM SELKEYS"))
        return Dialect::of(db).kind() == DatabaseKind::InterBase ? -1 : 0;
    return q.next() ? q.value(0).toInt() : -1;
}

TEST_P(ReportOrder, CancelStopsCleanlyAndLeavesNoTransaction) {
    Harness h;
    h.controller.setCancelCheck([](qint64 rows) { return rows >= 2; });
    TestFilters f;
    h.filler.fill = [f](TParams* p) { fillParams(p, f); };
    EXPECT_THROW(h.controller.preview(1), EAbort);
    h.controller.setCancelCheck({});
    QSqlDatabase db = dtmDBGeral::database();
    ASSERT_TRUE(db.transaction()) << "the report left its transaction open";
    EXPECT_EQ(keysLeft(db), 0);
    db.rollback();
    for (const auto& s : TestEnv::dialogs().shown)
        EXPECT_NE(s.kind, "preview");
}

TEST_P(ReportOrder, KeysDoNotOutliveTheRun) {
    Harness h;
    TestFilters f;
    f.clients = selection({"C01"});
    EXPECT_EQ(h.run(1, f), QStringList{"C01"});
    EXPECT_EQ(keysLeft(dtmDBGeral::database()), 0);
}

TEST_P(ReportOrder, ABadSelectionTextIsRefusedWithAMessage) {
    Harness h;
    TestFilters f;
    f.clients = "not a selection";
    try {
        h.run(1, f);
        FAIL();
    } catch (const EHostError& e) {
        EXPECT_TRUE(e.message().contains("L_CLIENTE")) << e.message().toStdString();
    }
}

// A definition may read from a selectable procedure (a set-returning function on PostgreSQL); what
// that writes does not outlive the run (SQLite has no procedures, and its runs are query-only).
TEST_P(ReportOrder, WhatARunWritesThroughAProcedureDoesNotPersist) {
    const bool postgres = GetParam() == TestBackend::PostgreSQL;
    if (GetParam() == TestBackend::SQLite)
        GTEST_SKIP() << "no procedures on SQLite";
    QSqlDatabase db = dtmDBGeral::database();
    QSqlQuery ddl(db);
    ddl.exec(postgres ? "DROP FUNCTION ERP_MARCA" : "DROP PROCEDURE ERP_MARCA");
    ddl.exec("DROP TABLE ERP_MARCAS");
    ASSERT_TRUE(ddl.exec("CREATE TABLE ERP_MARCAS (N INTEGER)")) << ddl.lastError().text().toStdString();
    ASSERT_TRUE(ddl.exec(postgres
                             ? "CREATE FUNCTION ERP_MARCA() RETURNS TABLE (CDCLIENTE VARCHAR(10)) AS "
                               "'INSERT INTO ERP_MARCAS VALUES (1) RETURNING CAST(''X'' AS VARCHAR(10))' "
                               "LANGUAGE SQL"
                             : "CREATE PROCEDURE ERP_MARCA RETURNS (CDCLIENTE VARCHAR(10)) AS BEGIN "
                               "INSERT INTO ERP_MARCAS VALUES (1); CDCLIENTE = 'X'; SUSPEND; END"))
        << ddl.lastError().text().toStdString();
    ReportDefinition d;
    d.title = "Marca";
    d.sql = postgres ? "SELECT CDCLIENTE FROM ERP_MARCA()" : "SELECT CDCLIENTE FROM ERP_MARCA";
    ReportColumn column;
    column.field = "CDCLIENTE";
    d.columns << column;
    ReportRun run;
    run.db = db;
    run.kind = dtmDBGeral::instance().kind();
    // PostgreSQL's read-only transaction refuses the write; Firebird's run is rolled back.
    if (postgres)
        EXPECT_THROW(ReportEngine::run(d, run), EHostError);
    else
        EXPECT_EQ(ReportEngine::run(d, run)->rowCount(), 1);
    QSqlQuery count(db);
    ASSERT_TRUE(count.exec("SELECT COUNT(*) FROM ERP_MARCAS") && count.next());
    EXPECT_EQ(count.value(0).toInt(), 0);
    ddl.exec(postgres ? "DROP FUNCTION ERP_MARCA" : "DROP PROCEDURE ERP_MARCA");
    ddl.exec("DROP TABLE ERP_MARCAS");
}

INSTANTIATE_TEST_SUITE_P(SQLite, ReportOrder, ::testing::Values(TestBackend::SQLite));
INSTANTIATE_TEST_SUITE_P(Servers, ReportOrder,
                         ::testing::Values(TestBackend::Firebird, TestBackend::PostgreSQL));

TEST(ReportEngine, RefusesWritingSqlBeforeTheDatabase) {
    ReportDefinition d;
    d.title = "Perigoso";
    d.sql = "DELETE FROM CLIENTE";
    ReportColumn column;
    column.field = "CDCLIENTE";
    d.columns << column;
    ReportRun run; // no database at all: the text never gets that far
    try {
        ReportEngine::run(d, run);
        FAIL();
    } catch (const EHostError& e) {
        EXPECT_TRUE(e.message().contains("DELETE")) << e.message().toStdString();
    }
}

TEST(ReportEngine, ParameterListHoldsExactlyThePlaceholders) {
    ReportDefinition d;
    d.sql = "SELECT 1 FROM T WHERE A = :P_CDFILIAL AND (:L_CLIENTE = 'T' OR B = :p_cdfilial)";
    d.sqlIb = "SELECT 1 FROM T WHERE A = CAST(:P_CDFILIAL AS VARCHAR(10))";
    EXPECT_EQ(ReportEngine::makeParams(d, DatabaseKind::SQLite)->Names(),
              (QStringList{"P_CDFILIAL", "L_CLIENTE"}));
    EXPECT_EQ(ReportEngine::makeParams(d, DatabaseKind::InterBase)->Names(), QStringList{"P_CDFILIAL"});
}

// Values as long as their fields hold print whole in all four reports: a key of 21 characters on
// one line, never elided, and a name of 50 on as many lines as it takes.
struct LongClient {
    QString code, name;
};
const LongClient kLongClients[] = {
    {QString::fromUtf8("JOSÉ-ÇÃO D'ÁVILA|50%_"),
     QString::fromUtf8("Companhia Paulista de Distribuição e Comércio S.A.")},
    {QString(21, u'W'), QString(50, u'W')},
};

QString withoutSpaces(QString s) {
    return s.remove(u' ');
}

class LongValues : public BackendTest<std::tuple<TestBackend, int>> {
    void open(TestBackend b) override { useBackend(b); }

protected:
    // Clients of a branch no other test uses, removed again whatever the test's outcome.
    void SetUp() override {
        BackendTest::SetUp();
        if (IsSkipped())
            return;
        QSqlDatabase db = dtmDBGeral::database();
        for (const LongClient& c : kLongClients) {
            QSqlQuery q(db);
            q.prepare("INSERT INTO CLIENTE (CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMFANTCLIE, NMRAZSOCCLIE, "
                      "DTNASCCLIE, CDATIVCLI, CDFILIAL, IDTPORCAEVEN) VALUES (?, 'J', ?, ?, ?, ?, 'A1', "
                      "'09', 'O')");
            q.addBindValue(c.code);
            q.addBindValue(QStringLiteral("12.345.678/0001-90"));
            q.addBindValue(c.name);
            q.addBindValue(c.name);
            q.addBindValue(QDate(1990, 6, 15));
            ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
        }
    }
    void TearDown() override {
        if (dtmDBGeral::database().isOpen())
            QSqlQuery(dtmDBGeral::database()).exec("DELETE FROM CLIENTE WHERE CDFILIAL = '09'");
    }
};

TEST_P(LongValues, PrintWhole) {
    const int report = std::get<1>(GetParam());
    TestFilters f;
    f.allDates = true;
    f.branch = "09";
    Harness h;
    int rows = -1;
    h.look(report, f, [&](ReportDocument& doc) {
        rows = doc.rowCount();
        for (int r = 0; r < doc.rowCount(); ++r) {
            const QString code = ReportDocumentRows::cell(doc, r, "CDCLIENTE");
            const QStringList codeLines = ReportDocumentRows::printed(doc, r, "CDCLIENTE");
            EXPECT_EQ(withoutSpaces(codeLines.join("")), withoutSpaces(code))
                << codeLines.join("|").toStdString();
            const QString name = ReportDocumentRows::cell(doc, r, "NMRAZSOCCLIE");
            EXPECT_EQ(name.size(), 50);
            const QStringList lines = ReportDocumentRows::printed(doc, r, "NMRAZSOCCLIE");
            EXPECT_EQ(withoutSpaces(lines.join("")), withoutSpaces(name)) << lines.join("|").toStdString();
        }
    });
    EXPECT_EQ(rows, 2);
    EXPECT_TRUE(TestEnv::dialogs().errors().isEmpty())
        << TestEnv::dialogs().errors().join("\n").toStdString();
}

INSTANTIATE_TEST_SUITE_P(Databases, LongValues,
                         ::testing::Combine(::testing::Values(TestBackend::SQLite, TestBackend::Firebird,
                                                              TestBackend::PostgreSQL),
                                            ::testing::Values(0, 1, 2, 3)),
                         [](const auto& info) {
                             return backendName(std::get<0>(info.param)).toLower().toStdString() + "_report" +
                                    std::to_string(std::get<1>(info.param));
                         });

// The block under the title says what the report was filtered by, names looked up in the run.
struct CriteriaCase {
    const char* name;
    int report;
    std::function<void(TestFilters&)> setup;
    QStringList expected;
};

class Criteria : public BackendTest<std::tuple<TestBackend, CriteriaCase>> {
    void open(TestBackend b) override { useBackend(b); }
};

TEST_P(Criteria, SayWhatTheReportWasFilteredBy) {
    const CriteriaCase& c = std::get<1>(GetParam());
    TestFilters f;
    f.from = QDate(2026, 12, 1);
    f.to = QDate(2026, 12, 31);
    c.setup(f);
    Harness h;
    QStringList got;
    h.look(c.report, f, [&](ReportDocument& doc) { got = doc.criteria(); });
    EXPECT_EQ(got, c.expected);
    EXPECT_TRUE(TestEnv::dialogs().errors().isEmpty())
        << TestEnv::dialogs().errors().join("\n").toStdString();
}

const CriteriaCase kCriteriaCases[] = {
    {"month_and_nothing_restricted",
     0,
     [](TestFilters&) {},
     {"Mês: dezembro de 2026", "Clientes: Todos", "Bairros: Todos"}},
    {"every_month_two_clients_a_neighbourhood",
     0,
     [](TestFilters& f) {
         f.allDates = true;
         f.clients = selection({"C02", "C01"});
         f.neighbourhoods = selection({"0013509502"});
     },
     {"Mês: Todos", "Clientes: Ana Souza e Beta Comércio Ltda", "Bairros: Cambuí (Campinas)"}},
    // Gustavo Reis (C07) is of branch 02: not named, counted apart.
    {"clients_of_another_branch_counted_apart",
     0,
     [](TestFilters& f) {
         f.clients = selection({"C07", "C05", "C04", "C03", "C02", "C01"});
     },
     {"Mês: dezembro de 2026",
      "Clientes: Ana Souza, Beta Comércio Ltda, Clube Gama, mais 2 e 1 de outra filial", "Bairros: Todos"}},
    {"only_clients_of_another_branch",
     1,
     [](TestFilters& f) { f.clients = selection({"C07"}); },
     {"Clientes: 1 de outra filial", "Ramos de atividade: Todos"}},
    {"period_five_clients_both_lines_one_origin_all_branches",
     2,
     [](TestFilters& f) {
         f.from = QDate(2026, 12, 20);
         f.to = QDate(2027, 1, 10);
         f.clients = selection({"C05", "C04", "C03", "C02", "C01"});
         f.lines = selection({"A2", "A1"});
         f.origins = "_E_";
         f.branch = "";
     },
     {"Período: 20/12 a 10/01", "Clientes: Ana Souza, Beta Comércio Ltda, Clube Gama e mais 2",
      "Ramos de atividade: Comércio e Indústria", "Bairros: Todos", "Origens: Encomenda", "Filial: Todas"}},
    {"types_origins_and_an_empty_selection",
     3,
     [](TestFilters& f) {
         f.types = "FO";
         f.clients = "";
         f.origins = "_";
     },
     {"Tipos: Pessoa Física e Outros", "Origens: Nenhuma", "Clientes: Nenhum", "Ramos de atividade: Todos"}},
    {"lines_by_name",
     1,
     [](TestFilters& f) { f.lines = selection({"A2"}); },
     {"Clientes: Todos", "Ramos de atividade: Indústria"}},
};

INSTANTIATE_TEST_SUITE_P(SQLite, Criteria,
                         ::testing::Combine(::testing::Values(TestBackend::SQLite),
                                            ::testing::ValuesIn(kCriteriaCases)),
                         [](const auto& info) { return std::string(std::get<1>(info.param).name); });
INSTANTIATE_TEST_SUITE_P(Servers, Criteria,
                         ::testing::Combine(::testing::Values(TestBackend::Firebird, TestBackend::PostgreSQL),
                                            ::testing::ValuesIn(kCriteriaCases)),
                         [](const auto& info) {
                             return backendName(std::get<0>(info.param)).toStdString() + "_" +
                                    std::get<1>(info.param).name;
                         });

} // namespace
