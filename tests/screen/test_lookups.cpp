// The three selection lists on a real database: the request the lookup dialog gets, the empty-result
// messages, fresh rows on every lookup, F9 on the "Lista" radios and the "Todos"/"Lista" rules.
// Every test runs inside a transaction that is rolled back, so the demo data stays as made.
#include "ScreenFixture.h"

#include "data/TDataSet.h"
#include "data/TDataSource.h"
#include "data/dtmDBGeral.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <functional>

using namespace ScreenTest;

namespace {

struct ListCase {
    const char* name;
    TRadioButton* TfrmDadosCliente::*todos;
    TRadioButton* TfrmDadosCliente::*lista;
    TButtonFlat* TfrmDadosCliente::*button;
    TDataSource* TfrmDadosCliente::*source;
    QString* selection;
    const char* keyField;
    const char* title;
    const char* emptyMessage;
    QStringList emptySql; // leaves the list's query without rows
};

const ListCase kLists[] = {
    {"Cliente",
     &TfrmDadosCliente::rbtTCliente,
     &TfrmDadosCliente::rbtLCliente,
     &TfrmDadosCliente::sbtCliente,
     &TfrmDadosCliente::dtsCliente_,
     &Cli_qmt31800::ListaCliente,
     "CDCLIENTE",
     "Cliente",
     "Cliente deve ser informado.",
     {QStringLiteral("UPDATE ENDECLIE SET IDTPENDECLIE = 'C' WHERE IDTPENDECLIE = 'P'")}},
    {"RamoAtiv",
     &TfrmDadosCliente::rbtTRamoAtiv,
     &TfrmDadosCliente::rbtLRamoAtiv,
     &TfrmDadosCliente::sbtRamoAtiv,
     &TfrmDadosCliente::dspRamoAtiv_,
     &Cli_qmt31800::ListaRamoAtiv,
     "CDATIVCLI",
     "Ramo de Atividade",
     "Não há ramo de atividade cadastrado.",
     {QStringLiteral("UPDATE CLIENTE SET CDATIVCLI = NULL"), QStringLiteral("DELETE FROM ATIVCLIENTE")}},
    {"Bairro",
     &TfrmDadosCliente::rbtTBairro,
     &TfrmDadosCliente::rbtLBairro,
     &TfrmDadosCliente::sbtBairro,
     &TfrmDadosCliente::dtsBairro_,
     &Cli_qmt31800::ListaBairro,
     "BAIRROMUNI",
     "Bairro",
     "Bairro deve ser informado.",
     {QStringLiteral("UPDATE ENDECLIE SET CDBAIRRO = NULL"), QStringLiteral("DELETE FROM BAIRRO")}},
};

void exec(const QString& sql) {
    QSqlQuery q(dtmDBGeral::database());
    ASSERT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
}

QStringList firstMunicipality() {
    QSqlQuery q(dtmDBGeral::database());
    EXPECT_TRUE(
        q.exec(QStringLiteral("SELECT CDPAIS, SGESTADO, CDMUNICIPIO FROM MUNICIPIO ORDER BY 1, 2, 3")));
    EXPECT_TRUE(q.next());
    return {q.value(0).toString(), q.value(1).toString(), q.value(2).toString()};
}

// Inserts one row that the list's query must offer; returns its key.
QString addRow(const std::string& list) {
    const QStringList m = firstMunicipality();
    if (list == "Cliente") {
        exec(QStringLiteral(
            "INSERT INTO CLIENTE (CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMRAZSOCCLIE, CDFILIAL, "
            "IDTPORCAEVEN) VALUES ('ZZNOVO', 'F', '000', 'Cliente novo', '01', 'O')"));
        exec(QStringLiteral(
                 "INSERT INTO ENDECLIE (CDCLIENTE, NRSEQENDECLIE, IDTPENDECLIE, DSENDECLIE, CDPAIS, "
                 "SGESTADO, CDMUNICIPIO) VALUES ('ZZNOVO', 1, 'P', 'Rua Nova, 1', '%1', '%2', '%3')")
                 .arg(m[0], m[1], m[2]));
        return QStringLiteral("ZZNOVO");
    }
    if (list == "RamoAtiv") {
        exec(QStringLiteral(
            "INSERT INTO ATIVCLIENTE (CDATIVCLI, CDARVATIVCLI, DSATIVCLI) VALUES ('ZZ9', 'ZZ', 'Novo')"));
        return QStringLiteral("ZZ9");
    }
    exec(QStringLiteral("INSERT INTO BAIRRO (CDPAIS, SGESTADO, CDMUNICIPIO, CDBAIRRO, NMBAIRRO) "
                        "VALUES ('%1', '%2', '%3', 'ZZ9', 'Bairro novo')")
             .arg(m[0], m[1], m[2]));
    return QStringLiteral("ZZ9") + m[2];
}

QStringList keysOf(const LookupRequest& r) {
    QStringList keys;
    const TDataSet* rows = r.dataSource->DataSet();
    for (int i = 0; i < rows->RecordCount(); ++i)
        keys << rows->text(i, r.keyField);
    return keys;
}

class LookupTest : public ScreenTestBase {
protected:
    void openBackend(const std::string& backend) {
        const QString url = demoUrlFor(backend);
        if (url.isEmpty())
            GTEST_SKIP() << "the " << backend
                         << " server's URL (ERP_FIREBIRD_URL, ERP_POSTGRES_URL) is not set";
        openDatabase(url);
        ASSERT_TRUE(dtmDBGeral::database().transaction());
        inTransaction = true;
        createScreen(5);
        pickVariant(2); // the three lists are enabled
    }
    void TearDown() override {
        closeScreen();
        if (inTransaction)
            dtmDBGeral::database().rollback();
        ScreenTestBase::TearDown();
    }
    TRadioButton* lista(const ListCase& c) { return form->*c.lista; }
    TRadioButton* todos(const ListCase& c) { return form->*c.todos; }
    TButtonFlat* button(const ListCase& c) { return form->*c.button; }
    void clickSearch(const ListCase& c) { button(c)->userNotify(QStringLiteral("OnClick")); }

    bool inTransaction = false;
};

class ListLookup : public LookupTest, public ::testing::WithParamInterface<std::tuple<std::string, int>> {
protected:
    void SetUp() override {
        LookupTest::SetUp();
        openBackend(std::get<0>(GetParam()));
    }
    const ListCase& list() const { return kLists[std::get<1>(GetParam())]; }
};

TEST_P(ListLookup, DialogGetsTheListAndLeavesThePick) {
    const ListCase& c = list();
    lista(c)->click();
    ASSERT_TRUE(button(c)->Enabled());
    QStringList offered;
    TestEnv::dialogs().onLookup = [&](const LookupRequest& r) -> std::optional<QStringList> {
        offered = keysOf(r);
        return offered.mid(0, 2);
    };
    clickSearch(c);
    ASSERT_EQ(TestEnv::dialogs().lookups.size(), 1u);
    const LookupRequest& r = TestEnv::dialogs().lookups[0];
    EXPECT_EQ(r.dataSource, form->*c.source);
    EXPECT_EQ(r.keyField, QString::fromLatin1(c.keyField));
    EXPECT_EQ(r.title, QString::fromUtf8(c.title));
    EXPECT_FALSE(r.flag);
    ASSERT_GE(offered.size(), 2);
    EXPECT_EQ(*c.selection, selection(offered.mid(0, 2)));
    EXPECT_TRUE(TestEnv::dialogs().errors().isEmpty());
    // Nothing follows the dialog: radios and button as they were.
    EXPECT_TRUE(lista(c)->Checked());
    EXPECT_TRUE(button(c)->Enabled());

    // Cancelling the dialog leaves the pick.
    TestEnv::dialogs().onLookup = [](const LookupRequest&) { return std::nullopt; };
    clickSearch(c);
    EXPECT_EQ(*c.selection, selection(offered.mid(0, 2)));
}

TEST_P(ListLookup, EmptyResultShowsItsMessageAndFocusesLista) {
    const ListCase& c = list();
    lista(c)->click();
    *c.selection = selection({QStringLiteral("earlier")});
    for (const QString& sql : c.emptySql)
        exec(sql);
    ASSERT_EQ(form->ActiveControl(), form->cbbReportNames);
    clickSearch(c);
    EXPECT_EQ(TestEnv::dialogs().errors(), QStringList{QString::fromUtf8(c.emptyMessage)});
    EXPECT_TRUE(TestEnv::dialogs().lookups.empty());
    EXPECT_EQ(form->ActiveControl(), lista(c));
    EXPECT_EQ(*c.selection, selection({QStringLiteral("earlier")}));
}

TEST_P(ListLookup, RowsAddedBetweenLookupsAppear) {
    const ListCase& c = list();
    lista(c)->click();
    std::vector<QStringList> seen;
    TestEnv::dialogs().onLookup = [&](const LookupRequest& r) -> std::optional<QStringList> {
        seen.push_back(keysOf(r));
        return std::nullopt;
    };
    clickSearch(c);
    const QString added = addRow(c.name);
    clickSearch(c);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[0].contains(added));
    EXPECT_TRUE(seen[1].contains(added)) << added.toStdString();
    EXPECT_EQ(seen[1].size(), seen[0].size() + 1);
}

TEST_P(ListLookup, TodosEmptiesThePickAndListaKeepsTheButtonEnabled) {
    const ListCase& c = list();
    TestEnv::dialogs().onLookup = [&](const LookupRequest& r) -> std::optional<QStringList> {
        return keysOf(r).mid(0, 1);
    };
    lista(c)->click();
    clickSearch(c);
    ASSERT_FALSE(c.selection->isEmpty());
    const QString picked = *c.selection;
    lista(c)->click(); // already selected: nothing changes
    EXPECT_EQ(*c.selection, picked);
    EXPECT_TRUE(button(c)->Enabled());
    todos(c)->click();
    EXPECT_FALSE(button(c)->Enabled());
    EXPECT_TRUE(c.selection->isEmpty());
    lista(c)->click();
    EXPECT_TRUE(button(c)->Enabled());
    EXPECT_TRUE(c.selection->isEmpty());
}

TEST_P(ListLookup, OpenFailurePassesOnWithoutMovingTheFocus) {
    const ListCase& c = list();
    lista(c)->click();
    *c.selection = selection({QStringLiteral("earlier")});
    dtmDBGeral::database().rollback();
    inTransaction = false;
    dtmDBGeral::instance().close();
    clickSearch(c);
    ASSERT_EQ(TestEnv::dialogs().errors().size(), 1); // the failure, as the guard shows it
    EXPECT_TRUE(TestEnv::dialogs().lookups.empty());
    EXPECT_EQ(form->ActiveControl(), form->cbbReportNames);
    EXPECT_EQ(*c.selection, selection({QStringLiteral("earlier")}));
}

const auto kBackends =
    ::testing::Values(std::string("sqlite"), std::string("firebird"), std::string("postgres"));

auto listCaseName = [](const auto& info) {
    return std::get<0>(info.param) + "_" + kLists[std::get<1>(info.param)].name;
};

INSTANTIATE_TEST_SUITE_P(Lists, ListLookup, ::testing::Combine(kBackends, ::testing::Values(0, 1, 2)),
                         listCaseName);

// Keys pressed on a "Lista" radio: only F9 (120) runs the lookup, whatever the modifiers and the
// state of the radios and of the "Pesquisar" button.
struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool listaSelected;
    bool opens;
};
const KeyCase kKeys[] = {
    {"F9", Qt::Key_F9, Qt::NoModifier, true, true},
    {"ShiftF9", Qt::Key_F9, Qt::ShiftModifier, true, true},
    {"CtrlF9", Qt::Key_F9, Qt::ControlModifier, true, true},
    {"F9ButtonDisabled", Qt::Key_F9, Qt::NoModifier, false, true},
    {"F8", Qt::Key_F8, Qt::NoModifier, true, false},
    {"Enter", Qt::Key_Return, Qt::NoModifier, true, false},
};

class ListKey : public LookupTest, public ::testing::WithParamInterface<std::tuple<std::string, int, int>> {
protected:
    void SetUp() override {
        LookupTest::SetUp();
        openBackend(std::get<0>(GetParam()));
    }
};

TEST_P(ListKey, OnlyF9OpensTheLookup) {
    const ListCase& c = kLists[std::get<1>(GetParam())];
    const KeyCase& k = kKeys[std::get<2>(GetParam())];
    if (k.listaSelected)
        lista(c)->click();
    ASSERT_EQ(button(c)->Enabled(), k.listaSelected);
    lista(c)->setFocus();
    QTest::keyClick(lista(c), k.key, k.modifiers);
    ASSERT_EQ(TestEnv::dialogs().lookups.size(), k.opens ? 1u : 0u);
    if (k.opens) {
        EXPECT_EQ(TestEnv::dialogs().lookups[0].dataSource, form->*c.source);
    }
    EXPECT_TRUE(TestEnv::dialogs().errors().isEmpty());
    EXPECT_EQ(lista(c)->Checked(), k.listaSelected); // the key changes no radio
}

TEST_P(ListKey, HandlerLeavesTheKeyCode) {
    const ListCase& c = kLists[std::get<1>(GetParam())];
    const KeyCase& k = kKeys[std::get<2>(GetParam())];
    int key = HostKey::fromQtKey(k.key);
    const int sent = key;
    lista(c)->raiseKeyDown(QStringLiteral("OnKeyDown"), key, shiftStateFromQt(k.modifiers));
    EXPECT_EQ(key, sent);
    EXPECT_EQ(TestEnv::dialogs().lookups.size(), k.opens ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Keys, ListKey,
                         ::testing::Combine(kBackends, ::testing::Values(0, 1, 2), ::testing::Range(0, 6)),
                         [](const auto& info) {
                             return std::get<0>(info.param) + "_" + kLists[std::get<1>(info.param)].name +
                                    "_" + kKeys[std::get<2>(info.param)].name;
                         });

} // namespace
