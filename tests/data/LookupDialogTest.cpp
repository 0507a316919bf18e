// The lookup dialog driven as a user would (offscreen), and PesquisaLista through the scripted
// dialog service.
#include "DataBackends.h"
#include "LookupQueries.h"

#include "core/Errors.h"
#include "data/TADOIBQuery.h"
#include "data/TDataSet.h"
#include "data/TDataSource.h"
#include "dialogs/LookupDialog.h"
#include "library/PesquisaLista.h"
#include "library/SelectionText.h"
#include "support/TestEnv.h"

#include <QAbstractProxyModel>
#include <QAccessible>
#include <QApplication>
#include <QCollator>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The dialog as a user reaches it: widgets by their names, rows through the list's model (the
// filter proxy over the dataset's rows).
template <class W> W* widget(const QWidget* d, const char* name) {
    return d->findChild<W*>(QString::fromLatin1(name));
}
QTableView* grid(const QWidget* d) {
    return widget<QTableView>(d, "grdLista");
}
QLineEdit* filterEdit(const QWidget* d) {
    return widget<QLineEdit>(d, "edtFiltro");
}
QAbstractItemModel* shown(const QWidget* d) {
    return grid(d)->model();
}
QAbstractItemModel* dataset(const QWidget* d) {
    return static_cast<QAbstractProxyModel*>(shown(d))->sourceModel();
}
QString cell(const QWidget* d, int visibleRow, int column) {
    return shown(d)->index(visibleRow, column).data().toString();
}
bool isChecked(const QWidget* d, int row) {
    return dataset(d)->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
}
void check(const QWidget* d, int row) {
    dataset(d)->setData(dataset(d)->index(row, 0), Qt::Checked, Qt::CheckStateRole);
}
// Lower case without accents.
QString folded(const QString& text) {
    QString out;
    for (QChar c : text.normalized(QString::NormalizationForm_D))
        if (c.category() != QChar::Mark_NonSpacing)
            out += c.toLower();
    return out;
}

class LookupDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        DataBackends::openShared(DataBackends::demoUrl(Backend::SQLite));
        for (const char* q : {"qryCliente", "qryRamoAtiv", "qryBairro"})
            f.query(q)->Open();
        TestEnv::reset();
    }
    LookupRequest request(const char* source, const char* key, QStringList preselected = {}) {
        LookupRequest r;
        r.dataSource = f.source(source);
        r.keyField = key;
        r.title = "Teste";
        r.preselected = std::move(preselected);
        return r;
    }
    LookupForm f;
};

TEST_F(LookupDialogTest, ShowsVisibleFieldsUnderTheirLabels) {
    LookupDialog d(request("dtsCliente_", "CDCLIENTE"));
    EXPECT_EQ(d.windowTitle(), "Teste");
    QAbstractItemModel* m = shown(&d);
    ASSERT_EQ(m->columnCount(), 7); // CDCLIENTE and IDTPIJURCLIE are hidden
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("Nr. Inscrição"));
    EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), "Nome");
    EXPECT_EQ(m->headerData(6, Qt::Horizontal).toString(), QString::fromUtf8("Endereço"));
    EXPECT_EQ(dataset(&d)->rowCount(), f.query("qryCliente")->RecordCount());
    EXPECT_EQ(cell(&d, 0, 0), f.query("qryCliente")->Query()->text(0, "NRINSJURCLIE"));
    EXPECT_TRUE(d.checkedKeys().isEmpty());
}

struct FilterCase {
    const char* name;
    const char* typed;
    const char* column; // every row shown must hold the text in this column, folded
    const char* contains;
};

class LookupDialogFilter : public LookupDialogTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(LookupDialogFilter, IgnoresAccentsAndCase) {
    const FilterCase& c = GetParam();
    LookupDialog d(request("dtsBairro_", "BAIRROMUNI"));
    QAbstractItemModel* m = shown(&d);
    const int all = m->rowCount();
    d.show();
    QTest::keyClicks(filterEdit(&d), QString::fromUtf8(c.typed));
    EXPECT_GT(m->rowCount(), 0);
    EXPECT_LT(m->rowCount(), all);
    const int col = QString(c.column).toInt();
    for (int r = 0; r < m->rowCount(); ++r)
        EXPECT_TRUE(folded(cell(&d, r, col)).contains(QString::fromUtf8(c.contains)))
            << cell(&d, r, col).toStdString();
    filterEdit(&d)->clear();
    EXPECT_EQ(m->rowCount(), all);
}

INSTANTIATE_TEST_SUITE_P(Texts, LookupDialogFilter,
                         ::testing::Values(FilterCase{"no_accent_typed", "sao paulo", "2", "sao paulo"},
                                           FilterCase{"accent_typed", "NITERÓI", "2", "niteroi"},
                                           FilterCase{"name_column", "agua", "1", "agua verde"},
                                           FilterCase{"code_column", "004", "0", "004"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A clerk finds a client by its code as the report prints it or without the zeros, and by its CPF
// or CNPJ typed without punctuation or punctuated otherwise.
TEST_F(LookupDialogTest, FindsAClientByCodeOrBareNumber) {
    const auto* rows = f.query("qryCliente")->Query();
    LookupDialog d(request("dtsCliente_", "CDCLIENTE"));
    auto* proxy = static_cast<QAbstractProxyModel*>(shown(&d));
    for (const QString type : {"F", "J"}) {
        int wanted = -1; // the client of that type with the highest code
        for (int r = 0; r < rows->RecordCount(); ++r)
            if (rows->text(r, "IDTPIJURCLIE") == type &&
                (wanted < 0 || rows->text(r, "CDCLIENTE") > rows->text(wanted, "CDCLIENTE")))
                wanted = r;
        ASSERT_GE(wanted, 0);
        const QString code = rows->text(wanted, "CDCLIENTE");
        const QString digits = rows->text(wanted, "NRINSJURCLIE").remove(QRegularExpression("\\D"));
        ASSERT_TRUE(code.startsWith('0')) << code.toStdString();
        for (const QString& typed :
             {code, QString::number(code.toInt()), digits, QString(digits).insert(9, '-')}) {
            filterEdit(&d)->setText(typed);
            QStringList found;
            for (int r = 0; r < proxy->rowCount(); ++r)
                found << rows->text(proxy->mapToSource(proxy->index(r, 0)).row(), "CDCLIENTE");
            EXPECT_TRUE(found.contains(code)) << typed.toStdString();
            EXPECT_LT(found.size(), rows->RecordCount()) << typed.toStdString();
        }
    }
}

// The counter is what a screen reader reads for the label, and it follows the filter.
TEST_F(LookupDialogTest, ScreenReaderReadsTheCounter) {
    LookupDialog d(request("dspRamoAtiv_", "CDATIVCLI", {"04"}));
    auto* label = widget<QLabel>(&d, "lblSituacao");
    QAccessibleInterface* readable = QAccessible::queryAccessibleInterface(label);
    ASSERT_NE(readable, nullptr);
    const int all = dataset(&d)->rowCount();
    EXPECT_EQ(readable->text(QAccessible::Name).toStdString(),
              QStringLiteral("%1 de %1 registros, 1 marcados").arg(all).toStdString());
    filterEdit(&d)->setText("zzz-nada");
    EXPECT_EQ(readable->text(QAccessible::Name).toStdString(),
              QStringLiteral("0 de %1 registros, 1 marcados").arg(all).toStdString());
    EXPECT_EQ(readable->text(QAccessible::Description).toStdString(), "Situação da lista");
}

TEST_F(LookupDialogTest, FilterMatchingNothingShowsNoRow) {
    LookupDialog d(request("dtsBairro_", "BAIRROMUNI"));
    filterEdit(&d)->setText("zzz-nada");
    EXPECT_EQ(shown(&d)->rowCount(), 0);
    widget<QPushButton>(&d, "btnMarcarTodos")->click();
    EXPECT_TRUE(d.checkedKeys().isEmpty());
}

TEST_F(LookupDialogTest, MarkAllActsOnTheFilteredRowsAndOkReturnsThemInRowOrder) {
    std::optional<QStringList> result;
    TADOIBQuery* q = f.query("qryBairro");
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<LookupDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        QTest::keyClicks(filterEdit(d), "centro");
        QTest::mouseClick(widget<QPushButton>(d, "btnMarcarTodos"), Qt::LeftButton);
        filterEdit(d)->clear();
        QTest::mouseClick(widget<QPushButton>(d, "btnOK"), Qt::LeftButton);
    });
    result = LookupDialog::run(request("dtsBairro_", "BAIRROMUNI"), nullptr);
    ASSERT_TRUE(result.has_value());
    QStringList expected;
    for (int r = 0; r < q->RecordCount(); ++r)
        if (q->Query()->text(r, "NMBAIRRO").startsWith("Centro"))
            expected << q->Query()->text(r, "BAIRROMUNI");
    EXPECT_EQ(*result, expected);
    EXPECT_EQ(expected.size(), 9);
}

TEST_F(LookupDialogTest, UnmarkAllThenOkGivesNoKeys) {
    LookupDialog d(request("dspRamoAtiv_", "CDATIVCLI", {"0101", "04"}));
    d.show();
    QTest::mouseClick(widget<QPushButton>(&d, "btnDesmarcarTodos"), Qt::LeftButton);
    EXPECT_TRUE(d.checkedKeys().isEmpty());
}

TEST_F(LookupDialogTest, PreselectedRowsComeChecked) {
    LookupDialog d(request("dspRamoAtiv_", "CDATIVCLI", {"04", "0101", "nao-existe"}));
    EXPECT_EQ(d.checkedKeys(), QStringList({"0101", "04"})); // row order, unknown keys dropped
    EXPECT_TRUE(isChecked(&d, 1));
    EXPECT_FALSE(isChecked(&d, 0));
}

TEST_F(LookupDialogTest, EscapeCancels) {
    QTimer::singleShot(0, [&] {
        QWidget* d = QApplication::activeModalWidget();
        ASSERT_NE(d, nullptr);
        check(d, 0);
        QTest::keyClick(d, Qt::Key_Escape);
    });
    EXPECT_FALSE(LookupDialog::run(request("dspRamoAtiv_", "CDATIVCLI"), nullptr).has_value());
}

TEST_F(LookupDialogTest, EnterConfirmsFromTheFilterAndSpaceTogglesTheCurrentRow) {
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<LookupDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        grid(d)->setFocus();
        grid(d)->setCurrentIndex(shown(d)->index(2, 1));
        QTest::keyClick(grid(d), Qt::Key_Space);
        filterEdit(d)->setFocus();
        QTest::keyClick(filterEdit(d), Qt::Key_Return);
    });
    const auto result = LookupDialog::run(request("dspRamoAtiv_", "CDATIVCLI"), nullptr);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, QStringList{"0102"});
}

TEST_F(LookupDialogTest, SingleChoiceKeepsOneRow) {
    LookupRequest r = request("dspRamoAtiv_", "CDATIVCLI", {"04", "0101"});
    r.flag = true;
    LookupDialog d(r);
    EXPECT_EQ(d.checkedKeys(), QStringList{"0101"});
    check(&d, 3);
    EXPECT_EQ(d.checkedKeys(), QStringList{"0103"});
    EXPECT_FALSE(widget<QPushButton>(&d, "btnMarcarTodos")->isVisibleTo(&d));
}

TEST_F(LookupDialogTest, RefusesAClosedDatasetOrAMissingKeyField) {
    EXPECT_THROW(LookupDialog(request("dtsCliente_", "NAOEXISTE")), EHostError);
    f.query("qryCliente")->Close();
    EXPECT_THROW(LookupDialog(request("dtsCliente_", "CDCLIENTE")), EHostError);
}

TEST_F(LookupDialogTest, OpensOneHundredThousandRowsAndFilters) {
    TADOIBQuery q;
    q.setObjectName("qryGrande");
    q.SetSQL({"WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 100000) "
              "SELECT printf('%06d', I) AS CODIGO, 'Cliente ' || I AS NOME FROM N"});
    q.Open();
    TDataSource ds;
    ds.SetDataSet(q.Query());
    LookupRequest r;
    r.dataSource = &ds;
    r.keyField = "CODIGO";
    r.preselected = {"099999"};
    LookupDialog d(r);
    d.show();
    EXPECT_EQ(dataset(&d)->rowCount(), 100000);
    filterEdit(&d)->setText("cliente 9999");
    EXPECT_EQ(shown(&d)->rowCount(), 11); // 9999 and 99990..99999
    widget<QPushButton>(&d, "btnMarcarTodos")->click();
    EXPECT_EQ(d.checkedKeys().size(), 11);
}

TEST_F(LookupDialogTest, HeaderSortsNamesInPortugueseOrderLikeTheDatabase) {
    const QStringList names = {"Zé",     "Angela", "angela", "Álvaro", "alvaro",         "Ângela",
                               "Úrsula", "Ótica",  "Ômega",  "Xavier", "carla de souza", "Carla de Souza",
                               "Beatriz"};
    QStringList rows;
    for (int i = 0; i < names.size(); ++i)
        rows << QStringLiteral("('%1', '%2')").arg(i).arg(names[i]);
    TADOIBQuery q;
    q.setObjectName("qryNomes");
    q.SetSQL({"SELECT column1 AS CODIGO, column2 AS NOME FROM (VALUES " + rows.join(", ") + ")"});
    q.Open();
    TDataSource ds;
    ds.SetDataSet(q.Query());
    LookupRequest r;
    r.dataSource = &ds;
    r.keyField = "CODIGO";
    LookupDialog d(r);
    d.show();
    grid(&d)->sortByColumn(1, Qt::AscendingOrder);
    QStringList shownNames;
    for (int row = 0; row < shown(&d)->rowCount(); ++row)
        shownNames << cell(&d, row, 1);
    QStringList expected = names;
    QCollator portuguese{QLocale(QLocale::Portuguese, QLocale::Brazil)};
    portuguese.setCaseSensitivity(Qt::CaseSensitive);
    std::sort(expected.begin(), expected.end(), portuguese);
    EXPECT_EQ(shownNames.join(" | ").toStdString(), expected.join(" | ").toStdString());
}

struct LookupCase {
    const char* name;
    const char* source;
    const char* key;
};
const LookupCase lookups[] = {{"clients", "dtsCliente_", "CDCLIENTE"},
                              {"lines_of_business", "dspRamoAtiv_", "CDATIVCLI"},
                              {"neighbourhoods", "dtsBairro_", "BAIRROMUNI"}};
void PrintTo(const LookupCase& c, std::ostream* os) {
    *os << c.name;
}

class LookupDialogColumns : public LookupDialogTest, public ::testing::WithParamInterface<LookupCase> {};

// Every header and the first rows' texts are whole, and the dialog is as wide as its columns unless
// the screen is narrower; a text cut by a narrowed column has the whole text as its tooltip.
TEST_P(LookupDialogColumns, OpenFittedToHeadersAndTexts) {
    LookupRequest r = request(GetParam().source, GetParam().key);
    r.title = QStringLiteral("Largura ") + GetParam().name; // no layout remembered from other tests
    LookupDialog d(r);
    d.show();
    QApplication::processEvents();
    QTableView* g = grid(&d);
    QAbstractItemModel* m = shown(&d);
    for (int c = 0; c < m->columnCount(); ++c) {
        const QString header = m->headerData(c, Qt::Horizontal).toString();
        EXPECT_GE(g->columnWidth(c), g->horizontalHeader()->sectionSizeHint(c)) << header.toStdString();
        EXPECT_GT(g->columnWidth(c), g->horizontalHeader()->fontMetrics().horizontalAdvance(header))
            << header.toStdString();
        for (int row = 0; row < std::min(m->rowCount(), 10); ++row) {
            const QString text = cell(&d, row, c);
            EXPECT_LT(g->fontMetrics().horizontalAdvance(text), g->columnWidth(c)) << text.toStdString();
            EXPECT_FALSE(m->index(row, c).data(Qt::ToolTipRole).isValid()) << text.toStdString();
        }
    }
    const bool screenTooNarrow = d.width() >= d.screen()->availableGeometry().width();
    EXPECT_TRUE(g->horizontalScrollBar()->maximum() == 0 || screenTooNarrow)
        << "dialog " << d.width() << " px wide, columns scroll by " << g->horizontalScrollBar()->maximum();

    const int last = m->columnCount() - 1;
    g->horizontalHeader()->setStretchLastSection(false);
    g->setColumnWidth(last, 12);
    EXPECT_EQ(m->index(0, last).data(Qt::ToolTipRole).toString(), cell(&d, 0, last));
}

INSTANTIATE_TEST_SUITE_P(Lookups, LookupDialogColumns, ::testing::ValuesIn(lookups),
                         [](const auto& info) { return std::string(info.param.name); });

struct MarkShownCase {
    const char* name;
    const char* typed;
    bool byKeyboard; // Ctrl+A in the list instead of the button
};
void PrintTo(const MarkShownCase& c, std::ostream* os) {
    *os << c.name;
}

class LookupDialogMarkShown : public LookupDialogTest, public ::testing::WithParamInterface<MarkShownCase> {};

TEST_P(LookupDialogMarkShown, MarksOnlyTheRowsTheFilterShowsAndCountsThem) {
    const MarkShownCase& c = GetParam();
    LookupDialog d(request("dtsBairro_", "BAIRROMUNI", {"nao-existe"}));
    d.show();
    const int all = dataset(&d)->rowCount();
    QTest::keyClicks(filterEdit(&d), c.typed);
    const int visible = shown(&d)->rowCount();
    ASSERT_GT(visible, 0);
    ASSERT_LT(visible, all);
    if (c.byKeyboard) {
        grid(&d)->setFocus();
        QTest::keyClick(grid(&d), Qt::Key_A, Qt::ControlModifier);
    } else {
        QTest::mouseClick(widget<QPushButton>(&d, "btnMarcarTodos"), Qt::LeftButton);
    }
    EXPECT_EQ(widget<QLabel>(&d, "lblSituacao")->text(),
              QStringLiteral("%1 de %2 registros, %1 marcados").arg(visible).arg(all));
    filterEdit(&d)->clear();
    int marked = 0;
    for (int row = 0; row < all; ++row)
        if (isChecked(&d, row)) {
            ++marked;
            QString texts;
            for (int col = 0; col < dataset(&d)->columnCount(); ++col)
                texts += dataset(&d)->index(row, col).data().toString() + '|';
            EXPECT_TRUE(folded(texts).contains(c.typed)) << texts.toStdString();
        }
    EXPECT_EQ(marked, visible);
    EXPECT_EQ(widget<QLabel>(&d, "lblSituacao")->text(),
              QStringLiteral("%1 de %1 registros, %2 marcados").arg(all).arg(visible));
}

INSTANTIATE_TEST_SUITE_P(Ways, LookupDialogMarkShown,
                         ::testing::Values(MarkShownCase{"button", "centro", false},
                                           MarkShownCase{"ctrl_a_in_the_list", "centro", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LookupDialogTest, RemembersSizeAndColumnWidthsOfTheSameLookup) {
    LookupRequest r = request("dspRamoAtiv_", "CDATIVCLI");
    r.title = "Lembrada";
    int fitted = 0;
    {
        LookupDialog d(r);
        fitted = grid(&d)->columnWidth(0);
        d.resize(555, 333);
        grid(&d)->setColumnWidth(0, fitted + 40);
        d.reject();
    }
    LookupDialog same(r);
    EXPECT_EQ(same.size(), QSize(555, 333));
    EXPECT_EQ(grid(&same)->columnWidth(0), fitted + 40);
    r.title = "Outra";
    LookupDialog other(r);
    EXPECT_EQ(grid(&other)->columnWidth(0), fitted);
}

// PesquisaLista: what it asks the dialog service and what it writes back.
struct PesquisaCase {
    const char* name;
    QString before;
    std::optional<QStringList> answer;
    QStringList expectedPreselected;
    QString after;
};

class PesquisaListaTest : public LookupDialogTest, public ::testing::WithParamInterface<PesquisaCase> {};

TEST_P(PesquisaListaTest, WritesTheSelectionText) {
    const PesquisaCase& c = GetParam();
    TestEnv::dialogs().onLookup = [&](const LookupRequest&) { return c.answer; };
    QString selection = c.before;
    PesquisaLista(f.source("dtsCliente_"), "CDCLIENTE", "Cliente", false, selection);
    ASSERT_EQ(TestEnv::dialogs().lookups.size(), 1u);
    const LookupRequest& asked = TestEnv::dialogs().lookups.front();
    EXPECT_EQ(asked.dataSource, f.source("dtsCliente_"));
    EXPECT_EQ(asked.keyField, "CDCLIENTE");
    EXPECT_EQ(asked.title, "Cliente");
    EXPECT_FALSE(asked.flag);
    EXPECT_EQ(asked.preselected, c.expectedPreselected);
    EXPECT_EQ(selection, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, PesquisaListaTest,
    ::testing::Values(
        PesquisaCase{"two_chosen", "", QStringList{"000001", "000002"}, {}, "#L1:6:0000016:000002"},
        PesquisaCase{
            "previous_is_preselected", "#L1:6:000003", QStringList{"000003"}, {"000003"}, "#L1:6:000003"},
        PesquisaCase{"cancel_keeps_the_text", "#L1:6:000003", std::nullopt, {"000003"}, "#L1:6:000003"},
        PesquisaCase{"nothing_chosen_empties", "#L1:6:000003", QStringList{}, {"000003"}, ""},
        PesquisaCase{"unreadable_previous", "lixo", QStringList{"000004"}, {}, "#L1:6:000004"},
        PesquisaCase{"unreadable_previous_cancel", "lixo", std::nullopt, {}, "lixo"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LookupDialogTest, PesquisaListaRefusesAClosedQuery) {
    f.query("qryBairro")->Close();
    QString selection = "#L1:1:x";
    EXPECT_THROW(PesquisaLista(f.source("dtsBairro_"), "BAIRROMUNI", "Bairro", false, selection), EHostError);
    EXPECT_EQ(selection, "#L1:1:x");
    EXPECT_TRUE(TestEnv::dialogs().lookups.empty());
}

} // namespace
