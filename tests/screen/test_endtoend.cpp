// From the user's keys to the report: pick a variant, "Lista" under "Cliente", F9, two clients
// picked in the lookup dialog, preview. The parameter list that the engine gets after the screen
// filled it carries the selection text unchanged and "T" for the other lists, and the report shows
// exactly the two clients.
#include "ScreenFixture.h"

#include "data/TDataSet.h"
#include "data/TDataSource.h"
#include "reporting/ReportController.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportDocument_p.h"
#include "reporting/TParams.h"

#include <QTest>
#include <map>

using namespace ScreenTest;

// Sits between the designer dialog and the screen's handler: calls the handler, then keeps what
// it left in the list, which is what the engine binds.
class ParamsSpy : public QObject {
    Q_OBJECT
public:
    explicit ParamsSpy(TfrmDadosCliente* form) : m_form(form) {}
    std::map<QString, QVariant> seen;
    int runs = 0;

public slots:
    void capture(TParams* params, bool& flag) {
        m_form->rpddPadraoBeforeGetQueryParams(params, flag);
        ++runs;
        for (int i = 0; i < params->Count(); ++i)
            seen[params->Item(i).Name().toUpper()] = params->Item(i).Value();
    }

private:
    TfrmDadosCliente* m_form;
};

namespace {

ReportDefinition clientsByList() {
    ReportDefinition d;
    d.title = QStringLiteral("Clientes por lista");
    d.order = 3;
    d.sql = QStringLiteral("SELECT C.CDCLIENTE, C.NMRAZSOCCLIE FROM CLIENTE C\n"
                           "WHERE (:L_CLIENTE = 'T' OR C.CDCLIENTE IN (SELECT KEYVALUE FROM SELKEYS WHERE "
                           "PARAM = 'L_CLIENTE'))\n"
                           "  AND (:L_RAMOATIV = 'T' OR C.CDATIVCLI IN (SELECT KEYVALUE FROM SELKEYS WHERE "
                           "PARAM = 'L_RAMOATIV'))\n"
                           "  AND (:L_BAIRRO = 'T' OR C.CDCLIENTE IS NULL)\n"
                           "ORDER BY C.CDCLIENTE");
    d.listParameters = {QStringLiteral("L_CLIENTE"), QStringLiteral("L_RAMOATIV"),
                        QStringLiteral("L_BAIRRO")};
    ReportColumn code;
    code.field = QStringLiteral("CDCLIENTE");
    code.header = QStringLiteral("Código");
    d.columns << code;
    return d;
}

class EndToEnd : public ScreenTestBase, public ::testing::WithParamInterface<std::string> {};

TEST_P(EndToEnd, PickedClientsReachTheReport) {
    const QString url = demoUrlFor(GetParam());
    if (url.isEmpty())
        GTEST_SKIP() << "the " << GetParam()
                     << " server's URL (ERP_FIREBIRD_URL, ERP_POSTGRES_URL) is not set";
    openDatabase(url);
    createScreen(4, /*activate=*/false);
    const QStringList files = reports->files();
    ASSERT_EQ(files.size(), 4);
    clientsByList().save(files.last()); // variant 3, listed again when the screen reloads below
    form->reports().reload();
    form->Show();

    ParamsSpy spy(form);
    const int slot = spy.metaObject()->indexOfMethod("capture(TParams*,bool&)");
    ASSERT_GE(slot, 0);
    const QString event = QStringLiteral("BeforeGetQueryParams");
    ASSERT_EQ(form->rpddPadrao->handlerName(event), QStringLiteral("rpddPadraoBeforeGetQueryParams"));
    form->rpddPadrao->bindEvent(event, BoundHandler{&spy, slot, QStringLiteral("capture")});

    pickVariant(3);
    form->rbtLCliente->click();
    form->rbtLCliente->setFocus();
    QStringList picked;
    TestEnv::dialogs().onLookup = [&](const LookupRequest& r) -> std::optional<QStringList> {
        const TDataSet* rows = r.dataSource->DataSet();
        picked = {rows->text(0, r.keyField), rows->text(1, r.keyField)};
        return picked;
    };
    QTest::keyClick(form->rbtLCliente, Qt::Key_F9);
    ASSERT_EQ(TestEnv::dialogs().lookups.size(), 1u);
    ASSERT_EQ(Cli_qmt31800::ListaCliente, selection(picked));

    std::vector<QString> shownRows;
    TestEnv::dialogs().onPreview = [&](ReportDocument& doc) {
        for (int i = 0; i < doc.rowCount(); ++i)
            shownRows.push_back(ReportDocumentRows::cell(doc, i, QStringLiteral("CDCLIENTE")));
    };
    form->sbtPreview->userNotify(QStringLiteral("OnClick"));
    EXPECT_TRUE(TestEnv::dialogs().errors().isEmpty())
        << TestEnv::dialogs().errors().join('\n').toStdString();
    EXPECT_EQ(spy.runs, 1);
    EXPECT_EQ(spy.seen["L_CLIENTE"].toString(), Cli_qmt31800::ListaCliente);
    EXPECT_EQ(spy.seen["L_RAMOATIV"].toString(), QStringLiteral("T"));
    EXPECT_EQ(spy.seen["L_BAIRRO"].toString(), QStringLiteral("T"));
    EXPECT_EQ(spy.seen.size(), 3u); // the query declares the three lists only
    QStringList sortedPick = picked;
    sortedPick.sort();
    EXPECT_EQ(QStringList(shownRows.begin(), shownRows.end()), sortedPick);
}

INSTANTIATE_TEST_SUITE_P(Databases, EndToEnd,
                         ::testing::Values(std::string("sqlite"), std::string("firebird"),
                                           std::string("postgres")),
                         [](const auto& info) { return info.param; });

} // namespace

#include "test_endtoend.moc"
