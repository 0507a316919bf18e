// The report editor: the fields it offers are the query's, its live page draws what prints, and an
// edit made with its widgets undoes, redoes and survives a save and a load.
#include "ReportTestData.h"
#include "reporting/ReportEngine.h"
#include "reporting/ReportLayout.h"
#include "reporting/TParams.h"
#include "reporting/editor/LivePageView.h"
#include "reporting/editor/ReportDesignerWindow.h"
#include "support/TestEnv.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

ReportDefinition report(int index) {
    static const char* const files[] = {"0_aniversariantes_do_mes", "1_clientes_por_ramo_de_atividade"};
    return ReportDefinition::load(TestEnv::sourceDir() + "/reports/QMT318/" + files[index] + ".json");
}

class EditorOnDatabase : public BackendTest<TestBackend> {
    void open(TestBackend b) override { openTestDatabase(b); }
};

TEST_P(EditorOnDatabase, OffersTheFieldsTheQueryReturns) {
    const ReportSample sample =
        ReportSample::read(report(1), dtmDBGeral::database(), dtmDBGeral::instance().kind(), {});
    EXPECT_EQ(sample.fields(),
              QStringList({"CDATIVCLI", "DSATIVCLI", "CDCLIENTE", "NMRAZSOCCLIE", "NMFANTCLIE",
                           "NRINSJURCLIE", "DSENDECLIE", "NMMUNICIPIO", "SGESTADO", "SEMRAMO"}));
    EXPECT_TRUE(sample.realRows()) << sample.note().toStdString();
    // A field no column shows is named by the group caption's words.
    EXPECT_EQ(sample.choiceText("DSATIVCLI"), "Ramo de Atividade (DSATIVCLI)");
    EXPECT_EQ(sample.choiceText("NMFANTCLIE"), "Nome Fantasia (NMFANTCLIE)");
}

INSTANTIATE_TEST_SUITE_P(Databases, EditorOnDatabase,
                         ::testing::Values(TestBackend::SQLite, TestBackend::Firebird),
                         [](const auto& info) { return backendName(info.param).toStdString(); });

struct LiveCase {
    const char* name;
    int report;
    std::function<void(ReportDefinition&)> edit;
};

class LivePage : public BackendTest<std::tuple<TestBackend, LiveCase>> {
    void open(TestBackend b) override { openTestDatabase(b); }
};

QStringList texts(const ReportDocument& doc) {
    QStringList out;
    for (const ReportDocument::TextRun& run : doc.pageText(0))
        out << QStringLiteral("%1 @%2,%3").arg(run.text).arg(qRound(run.x)).arg(qRound(run.baseline));
    return out;
}

TEST_P(LivePage, DrawsThePrintedFirstPage) {
    const LiveCase& c = std::get<1>(GetParam());
    ReportEditRequest request;
    request.definition = report(c.report);
    c.edit(request.definition);
    request.branch = "01";
    TestFilters filters;
    filters.allDates = true;
    auto params =
        std::shared_ptr<TParams>(ReportEngine::makeParams(request.definition, dtmDBGeral::instance().kind()));
    fillParams(params.get(), filters);
    request.params = [params] { return params; };
    ReportDesignerWindow window(request);
    ASSERT_TRUE(window.sample().realRows()) << window.sample().note().toStdString();
    ASSERT_NE(window.livePage().document(), nullptr);

    ReportRun run;
    run.db = dtmDBGeral::database();
    run.kind = dtmDBGeral::instance().kind();
    run.params = params.get();
    run.branch = "01";
    const auto printed = ReportEngine::run(window.definition(), run);
    ASSERT_GT(texts(*printed).size(), 10);
    EXPECT_EQ(texts(*window.livePage().document()).join('\n').toStdString(),
              texts(*printed).join('\n').toStdString());
    EXPECT_EQ(window.livePage().document()->criteria(), printed->criteria());
}

const LiveCase kLiveCases[] = {{"AsShipped", 0, [](ReportDefinition&) {}},
                               {"DateFormatsAndAColumnLess", 0,
                                [](ReportDefinition& d) {
                                    d.columns[0].format = "date";
                                    d.columns.removeAt(2);
                                    d.columns[1].overflow = ReportColumn::Overflow::Wrap;
                                }},
                               {"RegroupedAndReordered", 1, [](ReportDefinition& d) {
                                    d.group.field = "NMMUNICIPIO";
                                    d.group.header = "Município: {NMMUNICIPIO} / {SGESTADO}";
                                    d.columns.move(0, 3);
                                    d.columns[0].width = 90;
                                }}};

INSTANTIATE_TEST_SUITE_P(SQLite, LivePage,
                         ::testing::Combine(::testing::Values(TestBackend::SQLite),
                                            ::testing::ValuesIn(kLiveCases)),
                         [](const auto& info) { return std::string(std::get<1>(info.param).name); });
INSTANTIATE_TEST_SUITE_P(Firebird, LivePage,
                         ::testing::Combine(::testing::Values(TestBackend::Firebird),
                                            ::testing::ValuesIn(kLiveCases)),
                         [](const auto& info) { return std::string(std::get<1>(info.param).name); });

QPushButton* button(QWidget& window, const QString& text) {
    for (QPushButton* b : window.findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

TEST(ReportDesignerWindow, EditsUndoRedoAndSurviveSaveAndLoad) {
    TestEnv::reset();
    ReportEditRequest request;
    request.definition = report(1);
    const ReportDefinition original = request.definition;
    ReportDesignerWindow window(request, ReportSample::madeUp(original, "sem banco"));
    auto* save = button(window, "&Salvar");
    EXPECT_FALSE(save->isEnabled());

    QTest::keyClicks(window.findChild<QLineEdit*>("titulo"), " (filial)");
    auto* columns = window.findChild<QTableWidget*>("colunas");
    columns->selectRow(6);
    button(window, "Re&mover coluna")->click();
    columns->selectRow(0);
    button(window, "Para &baixo")->click();
    auto* group = window.findChild<QComboBox*>("campoGrupo");
    group->setCurrentIndex(group->findData("NMMUNICIPIO"));
    button(window, "&Adicionar critério")->click();

    const ReportDefinition edited = window.definition();
    EXPECT_EQ(edited.title, original.title + " (filial)");
    EXPECT_EQ(edited.columns.size(), 6);
    EXPECT_EQ(edited.columns[1].field, "CDCLIENTE");
    EXPECT_EQ(edited.group.field, "NMMUNICIPIO");
    EXPECT_EQ(edited.criteria.size(), original.criteria.size() + 1);
    ASSERT_EQ(window.undoStack().count(), 5); // the typing is one step
    EXPECT_TRUE(save->isEnabled());

    for (int i = 0; i < 5; ++i)
        window.undoStack().undo();
    EXPECT_EQ(window.definition().toBytes(), original.toBytes());
    EXPECT_EQ(columns->rowCount(), original.columns.size());
    EXPECT_FALSE(save->isEnabled());
    for (int i = 0; i < 5; ++i)
        window.undoStack().redo();
    EXPECT_EQ(window.definition().toBytes(), edited.toBytes());

    // Leaving with changes asks; a no keeps the window.
    QSignalSpy rejected(&window, &QDialog::rejected);
    window.reject();
    ASSERT_EQ(TestEnv::dialogs().shown.size(), 1u);
    EXPECT_TRUE(TestEnv::dialogs().shown[0].text.contains("Descartar"))
        << TestEnv::dialogs().shown[0].text.toStdString();
    EXPECT_EQ(rejected.count(), 0);

    save->click();
    QTemporaryDir dir;
    request.definition.save(dir.filePath("editado.json"));
    EXPECT_EQ(ReportDefinition::load(dir.filePath("editado.json")).toBytes(), edited.toBytes());
}

struct EdgeDrop {
    const char* name;
    int column;   // the edge after it
    double delta; // layout units
};

class EdgeDrops : public ::testing::TestWithParam<EdgeDrop> {};

// A column at the width its field size needs ("Código") moves on the same scale as the others.
TEST_P(EdgeDrops, LandWhereDropped) {
    ReportEditRequest request;
    request.definition = report(0);
    ReportDesignerWindow window(request, ReportSample::madeUp(request.definition, "sem banco"));
    window.resize(1240, 720);
    window.show();
    LivePageView& page = window.livePage();
    page.setZoom(1);
    auto edge = [&] {
        const ReportDocument& doc = *page.document();
        const auto g = ReportLayout::geometry(doc.definition(), doc.pageLayout(), TextMeasurer::shared(),
                                              doc.criteria());
        return g.columnX[size_t(GetParam().column) + 1];
    };
    const double from = edge();
    const QPoint start = page.toView({from, 500}).toPoint();
    const QPoint end = page.toView({from + GetParam().delta, 500}).toPoint();
    QTest::mousePress(&page, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, end, page.mapToGlobal(end), Qt::NoButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&page, &move);
    QTest::mouseRelease(&page, Qt::LeftButton, {}, end);
    window.redrawNow();
    EXPECT_NEAR(edge(), from + GetParam().delta, 10); // designed widths keep half millimetres
    EXPECT_EQ(window.undoStack().count(), 1);
}

INSTANTIATE_TEST_SUITE_P(LivePage, EdgeDrops,
                         ::testing::Values(EdgeDrop{"WidenACodeAtItsLeast", 1, 300},
                                           EdgeDrop{"NarrowAName", 2, -250}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
