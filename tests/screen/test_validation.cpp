// Filter validation before each of the five report actions. The definition files are removed once
// the screen has listed them, so the base form's handler, when it runs, reports the missing file:
// that message is how a test sees that the action went on to the base form (and how many times).
#include "ScreenFixture.h"

#include "forms/TApplication.h"
#include "library/DateText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QTest>
#include <iterator>
#include <optional>

using namespace ScreenTest;

namespace {

struct Action {
    const char* name;
    TButtonFlat* TfrmDadosGerRel::*button;
};
const Action kActions[] = {{"Preview", &TfrmDadosGerRel::sbtPreview},
                           {"Print", &TfrmDadosGerRel::sbtPrint},
                           {"SalvarComo", &TfrmDadosGerRel::sbtSalvarComo},
                           {"ConfigImpr", &TfrmDadosGerRel::sbtConfigImpr},
                           {"ReportEdit", &TfrmDadosGerRel::sbtReportEdit}};

// 'T' Todos, 'L' Lista with nothing picked, 'S' Lista with a pick.
struct Situation {
    const char* name;
    int variant;
    std::optional<QString> de, ate; // typed digits ("" clears the edit); nothing keeps what is shown
    const char* lists = "TTT";      // Cliente, Ramo de Atividade, Bairro
    const char* boxes = "OEFJX";    // ticked where the group lets the user change them
    const char* message = nullptr;  // nullptr: every check passes
    const char* focus = nullptr;    // control that gets the focus; nullptr: the focus stays put
    int before = -1;                // a variant picked first, to leave state behind
};

const QString kNoDate;
const Situation kSituations[] = {
    // Variant 0: the month alone; the final date is neither required nor compared.
    {"V0_FirstActivationPasses", 0, {}, {}},
    {"V0_MonthMissing", 0, kNoDate, {}, "TTT", "OEFJX", "Data inicial deve ser informada.", "depDeDtAn"},
    {"V0_OldEndDateNotCompared", 0, QStringLiteral("062026"), {}, "TTT", "OEFJX", nullptr, nullptr, 2},
    {"V0_ClienteEmpty", 0, {}, {}, "LTT", "OEFJX", "Cliente deve ser informado.", "rbtLCliente"},
    {"V0_BairroEmpty", 0, {}, {}, "TTL", "OEFJX", "Bairro deve ser informado.", "rbtLBairro"},
    {"V0_ClienteFirstOfTwo", 0, {}, {}, "LTL", "OEFJX", "Cliente deve ser informado.", "rbtLCliente"},
    {"V0_BairroAfterClientePicked", 0, {}, {}, "STL", "OEFJX", "Bairro deve ser informado.", "rbtLBairro"},
    {"V0_ListsPicked", 0, QStringLiteral("122025"), {}, "STS"},
    // Variant 1: no date checks; step 1 still runs on the empty edits.
    {"V1_AllTodos", 1, {}, {}},
    {"V1_ClienteEmpty", 1, {}, {}, "LTT", "OEFJX", "Cliente deve ser informado.", "rbtLCliente"},
    {"V1_RamoEmpty", 1, {}, {}, "TLT", "OEFJX", "Ramo de atividade deve ser informado.", "rbtLRamoAtiv"},
    {"V1_ListsPicked", 1, {}, {}, "SST"},
    // Variant 2: the whole range, the lists and the origin.
    {"V2_BothMissing", 2, kNoDate, kNoDate, "TTT", "OEFJX", "Data inicial deve ser informada.", "depDeDtAn"},
    {"V2_EndMissing", 2, QStringLiteral("01032026"), kNoDate, "TTT", "OEFJX",
     "Data final deve ser informada.", "depAteDtAn"},
    {"V2_StartMissing", 2, kNoDate, QStringLiteral("01032026"), "TTT", "OEFJX",
     "Data inicial deve ser informada.", "depDeDtAn"},
    {"V2_Inverted", 2, QStringLiteral("02032026"), QStringLiteral("01032026"), "TTT", "OEFJX",
     "Data inicial deve ser menor ou igual a data final.", "depDeDtAn"},
    {"V2_Equal", 2, QStringLiteral("01032026"), QStringLiteral("01032026")},
    {"V2_FirstDayPasses", 2, QStringLiteral("30121899"), QStringLiteral("30121899")},
    {"V2_StartBeforeFirstDay", 2, QStringLiteral("29121899"), QStringLiteral("01012000"), "TTT", "OEFJX",
     "A data deve ser maior que 30/12/1899.", "depDeDtAn"},
    {"V2_EndBeforeFirstDay", 2, QStringLiteral("30121899"), QStringLiteral("29121899"), "TTT", "OEFJX",
     "A data deve ser maior que 30/12/1899.", "depAteDtAn"},
    {"V2_NoOrigin", 2, QStringLiteral("01032026"), QStringLiteral("31032026"), "TTT", "FJX",
     "Informe a origem.", "chbOrcamento"},
    {"V2_RamoEmpty", 2, QStringLiteral("01032026"), QStringLiteral("31032026"), "SLT", "OEFJX",
     "Ramo de atividade deve ser informado.", "rbtLRamoAtiv"},
    {"V2_ClienteBeforeBairro", 2, QStringLiteral("01032026"), QStringLiteral("31032026"), "LTL", "E",
     "Cliente deve ser informado.", "rbtLCliente"},
    {"V2_DatesBeforeEverythingElse", 2, kNoDate, kNoDate, "LLL", "", "Data inicial deve ser informada.",
     "depDeDtAn"},
    {"V2_AllGiven", 2, QStringLiteral("01032026"), QStringLiteral("31032026"), "SSS", "E"},
    // Variant 3: lists, origin and client type.
    {"V3_NoOrigin", 3, {}, {}, "TTT", "FJX", "Informe a origem.", "chbOrcamento"},
    {"V3_NoClientType", 3, {}, {}, "TTT", "OE", "Informe o tipo do cliente.", "chbFisica"},
    {"V3_OriginBeforeType", 3, {}, {}, "TTT", "", "Informe a origem.", "chbOrcamento"},
    {"V3_ListsBeforeBoxes", 3, {}, {}, "TLT", "", "Ramo de atividade deve ser informado.", "rbtLRamoAtiv"},
    {"V3_OneOfEach", 3, {}, {}, "SST", "EX"},
    // An index outside 0..3 after variant 0: the final date is required but cannot take the focus.
    {"V4_EndRequiredFocusStays", 4, {}, {}, "TTT", "OEFJX", "Data final deve ser informada.", nullptr},
};

class Validation : public ScreenTestBase, public ::testing::WithParamInterface<std::tuple<int, int>> {
protected:
    void SetUp() override {
        ScreenTestBase::SetUp();
        createScreen(5);
        QMainWindow* window = TApplication::instance().mainWindow();
        window->activateWindow();
        QApplication::setActiveWindow(window);
        // Listed already; from now on the base form's handler finds no file.
        for (const QString& f : reports->files())
            QFile::remove(f);
    }

    QString missingFile() const {
        return QStringLiteral(
                   "O arquivo contendo a definição do relatório de código 'QMT318' não foi encontrado no "
                   "diretório '%1'.")
            .arg(QDir::toNativeSeparators(reports->folder()));
    }

    void type(TDateEditPlus* edit, const QString& digits) {
        edit->SetFocus();
        edit->Clear();
        edit->setCursorPosition(0);
        QTest::keyClicks(edit, digits);
    }

    void arrange(const Situation& s) {
        if (s.before >= 0) {
            pickVariant(s.before);
            type(form->depDeDtAn, QStringLiteral("10052026"));
            type(form->depAteDtAn, QStringLiteral("01052026"));
        }
        // Picking an entry again re-applies its rules; the first activation's state needs no pick.
        if (s.before >= 0 || form->cbbReportNames->ItemIndex() != s.variant)
            pickVariant(s.variant);
        // The end first, so that the focus does not leave a start date still being checked.
        if (s.ate)
            type(form->depAteDtAn, *s.ate);
        if (s.de)
            type(form->depDeDtAn, *s.de);
        const std::tuple<TRadioButton*, QString*> lists[] = {
            {form->rbtLCliente, &Cli_qmt31800::ListaCliente},
            {form->rbtLRamoAtiv, &Cli_qmt31800::ListaRamoAtiv},
            {form->rbtLBairro, &Cli_qmt31800::ListaBairro}};
        for (int i = 0; i < 3; ++i) {
            const auto [lista, text] = lists[i];
            if (s.lists[i] == 'T')
                continue;
            lista->click();
            ASSERT_TRUE(lista->Checked()) << "Lista cannot be chosen in this variant";
            *text = s.lists[i] == 'S' ? selection({QStringLiteral("K%1").arg(i)}) : QString();
        }
        const std::pair<char, TCheckBox*> boxes[] = {{'O', form->chbOrcamento},
                                                     {'E', form->chbEncomenda},
                                                     {'F', form->chbFisica},
                                                     {'J', form->chbJuridica},
                                                     {'X', form->chbOutros}};
        for (const auto& [letter, box] : boxes) {
            const bool want = std::string(s.boxes).find(letter) != std::string::npos;
            if (box->Checked() != want && box->isEnabled())
                box->click();
        }
        // A neutral place, so that a check's focus is seen to move.
        form->cbbReportNames->SetFocus();
    }

    QWidget* named(const char* name) { return form->findChild<QWidget*>(QString::fromLatin1(name)); }
};

TEST_P(Validation, RefusesOrHandsOverToTheBaseForm) {
    const Situation& s = kSituations[std::get<0>(GetParam())];
    const Action& a = kActions[std::get<1>(GetParam())];
    arrange(s);
    ASSERT_TRUE(TestEnv::dialogs().shown.empty());

    QWidget* focusBefore = form->ActiveControl();
    const QString de = form->depDeDtAn->Text(), ate = form->depAteDtAn->Text();
    const QString lists =
        Cli_qmt31800::ListaCliente + "|" + Cli_qmt31800::ListaRamoAtiv + "|" + Cli_qmt31800::ListaBairro;
    int activations = 0;
    auto counter =
        QObject::connect(&TApplication::instance(), &TApplication::formActivated, [&] { ++activations; });

    (form->*a.button)->userNotify(QStringLiteral("OnClick"));
    QObject::disconnect(counter);

    if (!s.message) {
        EXPECT_EQ(TestEnv::dialogs().errors(), QStringList{missingFile()}) << "the base handler runs once";
        return;
    }
    EXPECT_EQ(TestEnv::dialogs().errors(), QStringList{QString::fromUtf8(s.message)});
    EXPECT_EQ(TestEnv::dialogs().shown.size(), 1u);
    QWidget* want = s.focus ? named(s.focus) : focusBefore;
    EXPECT_EQ(form->ActiveControl(), want) << (s.focus ? s.focus : "where it was");
    EXPECT_EQ(form->focusWidget(), want);
    EXPECT_EQ(activations, 0) << "the activate event ran again";
    // Nothing is reset on failure.
    EXPECT_EQ(form->cbbReportNames->ItemIndex(), s.variant);
    EXPECT_EQ(form->depDeDtAn->Text(), de);
    EXPECT_EQ(form->depAteDtAn->Text(), ate);
    EXPECT_EQ(Cli_qmt31800::ListaCliente + "|" + Cli_qmt31800::ListaRamoAtiv + "|" +
                  Cli_qmt31800::ListaBairro,
              lists);
}

INSTANTIATE_TEST_SUITE_P(Table, Validation,
                         ::testing::Combine(::testing::Range(0, int(std::size(kSituations))),
                                            ::testing::Range(0, 5)),
                         [](const auto& info) {
                             return std::string(kSituations[std::get<0>(info.param)].name) + "_" +
                                    kActions[std::get<1>(info.param)].name;
                         });

class DateExit : public Validation {};

// Step 1 checks both edits in every variant, enabled or not, before any other check.
TEST_F(DateExit, InvalidDateIsReportedBeforeAnyCheck) {
    struct Case {
        int variant;
        const char* de;
        const char* ate;
        const char* wrong;
    };
    const Case cases[] = {{2, "31/02/2026", "31/03/2026", "31/02/2026"},
                          {2, "01/03/2026", "32/03/2026", "32/03/2026"},
                          {1, "", "15/13/2026", "15/13/2026"},
                          {3, "00/01/2026", "", "00/01/2026"}};
    for (const Case& c : cases) {
        pickVariant(c.variant);
        form->depDeDtAn->SetText(QString::fromLatin1(c.de));
        form->depAteDtAn->SetText(QString::fromLatin1(c.ate));
        form->rbtLCliente->SetChecked(true); // would fail check 3 next
        Cli_qmt31800::ListaCliente.clear();
        for (const Action& a : kActions) {
            TestEnv::dialogs().clear();
            (form->*a.button)->userNotify(QStringLiteral("OnClick"));
            EXPECT_EQ(TestEnv::dialogs().errors(),
                      QStringList{DateText::problemMessage(QString::fromLatin1(c.wrong), 0)})
                << a.name << " in variant " << c.variant;
        }
        form->rbtTCliente->SetChecked(true);
    }
}

TEST_F(DateExit, ClickOnListaAfterAnInvalidDateKeepsTheFocusInTheEdit) {
    pickVariant(2);
    type(form->depDeDtAn, QStringLiteral("3102"));
    ASSERT_EQ(QApplication::focusWidget(), form->depDeDtAn) << "the window must be active for focus changes";
    QTest::mouseClick(form->rbtLCliente, Qt::LeftButton);
    EXPECT_EQ(TestEnv::dialogs().errors().size(), 1);
    EXPECT_EQ(TestEnv::dialogs().errors().value(0), DateText::problemMessage(form->depDeDtAn->Text(), 0));
    EXPECT_EQ(QApplication::focusWidget(), form->depDeDtAn);
    EXPECT_EQ(form->ActiveControl(), form->depDeDtAn);
}

TEST_F(DateExit, LeavingEitherEditChecksOnlyItsOwnDate) {
    pickVariant(2);
    form->depDeDtAn->SetText(QStringLiteral("31/02/2026"));
    form->depAteDtAn->SetText(QStringLiteral("32/13/2026"));
    form->depDeDtAn->userNotify(QStringLiteral("OnExit"));
    EXPECT_EQ(TestEnv::dialogs().errors(),
              QStringList{DateText::problemMessage(QStringLiteral("31/02/2026"), 0)});
    TestEnv::dialogs().clear();
    form->depAteDtAn->userNotify(QStringLiteral("OnExit"));
    EXPECT_EQ(TestEnv::dialogs().errors(),
              QStringList{DateText::problemMessage(QStringLiteral("32/13/2026"), 0)});
    TestEnv::dialogs().clear();
    form->depDeDtAn->SetText(QStringLiteral("01/03/2026"));
    form->depDeDtAn->userNotify(QStringLiteral("OnExit"));
    EXPECT_TRUE(TestEnv::dialogs().shown.empty());
}

} // namespace
