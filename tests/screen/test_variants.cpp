// Report variants and control enabling: the resulting-state table, checked against a model built
// from a declarative copy of that table, for every sequence of variants the user can pick.
#include "ScreenFixture.h"

#include "library/DateText.h"
#include "reporting/ReportController.h"

#include <QDate>
#include <map>
#include <string>
#include <vector>

using namespace ScreenTest;

namespace {

// Everything the rules touch or must leave alone, by control name.
struct FilterState {
    std::map<std::string, bool> enabled;
    std::map<std::string, bool> checked;
    QString lblDe, de, ate;
    int style = 0;
    bool showDia = false;
    std::map<std::string, QString> lists; // "Cliente", "RamoAtiv", "Bairro"
};

const char* const kEnabledNames[] = {
    "grbDtAn",      "lblDe",        "lblAte",      "depDeDtAn",   "depAteDtAn",   "grbCliente",
    "rbtTCliente",  "rbtLCliente",  "sbtCliente",  "grbRamoAtiv", "rbtTRamoAtiv", "rbtLRamoAtiv",
    "sbtRamoAtiv",  "grbBairro",    "rbtTBairro",  "rbtLBairro",  "sbtBairro",    "grbTpOrcamento",
    "chbOrcamento", "chbEncomenda", "grbTipoClie", "chbFisica",   "chbJuridica",  "chbOutros"};
const char* const kCheckedNames[] = {"rbtTCliente", "rbtLCliente", "rbtTRamoAtiv", "rbtLRamoAtiv",
                                     "rbtTBairro",  "rbtLBairro",  "chbOrcamento", "chbEncomenda",
                                     "chbFisica",   "chbJuridica", "chbOutros"};
const char* const kLists[] = {"Cliente", "RamoAtiv", "Bairro"};

// The table of the rules: per variant 0..3, '1' sets (enables / checks), '0' clears, '-' keeps.
struct Rule {
    std::vector<std::string> controls;
    const char* perVariant; // four characters
};
const Rule kEnabledRules[] = {
    {{"grbDtAn"}, "1010"},        {{"lblDe"}, "1010"},
    {{"lblAte"}, "0010"},         {{"depDeDtAn"}, "1010"},
    {{"depAteDtAn"}, "0010"},     {{"grbCliente"}, "1111"},
    {{"grbRamoAtiv"}, "0111"},    {{"rbtTRamoAtiv", "rbtLRamoAtiv"}, "0111"},
    {{"grbBairro"}, "1010"},      {{"rbtTBairro", "rbtLBairro"}, "1010"},
    {{"grbTpOrcamento"}, "0011"}, {{"chbOrcamento", "chbEncomenda"}, "0011"},
    {{"grbTipoClie"}, "0001"},    {{"chbFisica", "chbJuridica", "chbOutros"}, "0001"},
};
const Rule kCheckedRules[] = {
    {{"rbtTRamoAtiv"}, "1---"},
    {{"rbtTBairro"}, "11-1"},
    {{"chbOrcamento", "chbEncomenda"}, "11-1"},
    {{"chbFisica", "chbJuridica", "chbOutros"}, "1111"},
};
const char* const kCaption[] = {"mês", "de", "de", "de"};
const char* const kClearDe = "yy-y";
const char* const kClearAte = "-y-y";
const int kStyle[] = {1, 0, 0, 0};
const bool kShowDia[] = {false, true, true, true};

FilterState formDefinition() {
    FilterState s;
    for (const char* n : kEnabledNames)
        s.enabled[n] = true;
    for (const char* l : kLists)
        s.enabled[std::string("sbt") + l] = false;
    for (const char* n : kCheckedNames)
        s.checked[n] = true;
    for (const char* l : kLists) {
        s.checked[std::string("rbtL") + l] = false;
        s.lists[l] = QString();
    }
    s.lblDe = QStringLiteral("de");
    s.style = 0;
    s.showDia = false;
    return s;
}

// Checking a "Todos" radio that was not checked runs its click handler: button off, text emptied.
void checkTodos(FilterState& s, const std::string& list) {
    const std::string todos = "rbtT" + list;
    if (s.checked[todos])
        return;
    s.checked[todos] = true;
    s.checked["rbtL" + list] = false;
    s.enabled["sbt" + list] = false;
    s.lists[list].clear();
}

void applyVariant(FilterState& s, int variant) {
    if (variant < 0 || variant > 3)
        return;
    const size_t v = size_t(variant);
    for (const Rule& r : kEnabledRules)
        for (const std::string& c : r.controls)
            s.enabled[c] = r.perVariant[v] == '1';
    for (const Rule& r : kCheckedRules) {
        if (r.perVariant[v] != '1')
            continue;
        for (const std::string& c : r.controls) {
            if (c.rfind("rbtT", 0) == 0)
                checkTodos(s, c.substr(4));
            else
                s.checked[c] = true;
        }
    }
    s.lblDe = QString::fromUtf8(kCaption[v]);
    if (kClearAte[v] == 'y')
        s.ate.clear();
    if (kClearDe[v] == 'y')
        s.de.clear();
    else
        s.de = DateText::convert(s.de, s.style, kStyle[v]); // the edit keeps its date across styles
    s.style = kStyle[v];
    s.showDia = kShowDia[v];
}

bool operable(const FilterState& s, const std::string& group, const std::string& control) {
    return s.enabled.at(group) && s.enabled.at(control);
}

QWidget* widget(TfrmDadosCliente* f, const std::string& name) {
    auto* w = f->findChild<QWidget*>(QString::fromStdString(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

FilterState read(TfrmDadosCliente* f) {
    FilterState s;
    for (const char* n : kEnabledNames)
        s.enabled[n] = HostControl::ownEnabled(widget(f, n));
    const std::map<std::string, bool> checked = {
        {"rbtTCliente", f->rbtTCliente->Checked()},   {"rbtLCliente", f->rbtLCliente->Checked()},
        {"rbtTRamoAtiv", f->rbtTRamoAtiv->Checked()}, {"rbtLRamoAtiv", f->rbtLRamoAtiv->Checked()},
        {"rbtTBairro", f->rbtTBairro->Checked()},     {"rbtLBairro", f->rbtLBairro->Checked()},
        {"chbOrcamento", f->chbOrcamento->Checked()}, {"chbEncomenda", f->chbEncomenda->Checked()},
        {"chbFisica", f->chbFisica->Checked()},       {"chbJuridica", f->chbJuridica->Checked()},
        {"chbOutros", f->chbOutros->Checked()}};
    s.checked = checked;
    s.lblDe = f->lblDe->Caption();
    s.de = f->depDeDtAn->Text();
    s.ate = f->depAteDtAn->Text();
    s.style = f->depDeDtAn->EditStyle();
    s.showDia = f->depDeDtAn->ShowDia();
    s.lists = {{"Cliente", Cli_qmt31800::ListaCliente},
               {"RamoAtiv", Cli_qmt31800::ListaRamoAtiv},
               {"Bairro", Cli_qmt31800::ListaBairro}};
    return s;
}

void expectState(const FilterState& want, const FilterState& got, const std::string& where) {
    for (const auto& [name, on] : want.enabled)
        EXPECT_EQ(got.enabled.at(name), on) << where << ": Enabled of " << name;
    for (const auto& [name, on] : want.checked)
        EXPECT_EQ(got.checked.at(name), on) << where << ": Checked of " << name;
    EXPECT_EQ(got.lblDe.toStdString(), want.lblDe.toStdString()) << where << ": caption of lblDe";
    EXPECT_EQ(got.de.toStdString(), want.de.toStdString()) << where << ": text of depDeDtAn";
    EXPECT_EQ(got.ate.toStdString(), want.ate.toStdString()) << where << ": text of depAteDtAn";
    EXPECT_EQ(got.style, want.style) << where << ": edit style of depDeDtAn";
    EXPECT_EQ(got.showDia, want.showDia) << where << ": ShowDia of depDeDtAn";
    for (const auto& [list, text] : want.lists)
        EXPECT_EQ(got.lists.at(list).toStdString(), text.toStdString()) << where << ": Lista" << list;
}

QString todayAsMonth() {
    return QDate::currentDate().toString(QStringLiteral("MM/yyyy"));
}

class VariantSequence : public ScreenTestBase,
                        public ::testing::WithParamInterface<std::tuple<int, int, int>> {
protected:
    // What a user does in the current variant, wherever the controls let them: types the dates,
    // chooses "Lista" and picks a list in each group, unticks every check box.
    void userChanges(FilterState& model, int round) {
        if (operable(model, "grbDtAn", "depDeDtAn")) {
            const QString typed = model.style == 1 ? QStringLiteral("0%1/2026").arg(round + 3)
                                                   : QStringLiteral("1%1/03/2026").arg(round);
            form->depDeDtAn->SetText(typed);
            model.de = typed;
        }
        if (operable(model, "grbDtAn", "depAteDtAn")) {
            const QString typed = QStringLiteral("2%1/04/2026").arg(round);
            form->depAteDtAn->SetText(typed);
            model.ate = typed;
        }
        const std::map<std::string, TRadioButton*> listas = {
            {"Cliente", form->rbtLCliente}, {"RamoAtiv", form->rbtLRamoAtiv}, {"Bairro", form->rbtLBairro}};
        for (const auto& [list, radio] : listas) {
            if (!operable(model, "grb" + list, "rbtL" + list))
                continue;
            radio->click();
            model.checked["rbtL" + list] = true;
            model.checked["rbtT" + list] = false;
            model.enabled["sbt" + list] = true;
            const QString picked = selection({QString::fromStdString(list), QString::number(round)});
            (list == "Cliente"    ? Cli_qmt31800::ListaCliente
             : list == "RamoAtiv" ? Cli_qmt31800::ListaRamoAtiv
                                  : Cli_qmt31800::ListaBairro) = picked;
            model.lists[list] = picked;
        }
        const std::vector<std::pair<std::string, TCheckBox*>> boxes = {{"grbTpOrcamento", form->chbOrcamento},
                                                                       {"grbTpOrcamento", form->chbEncomenda},
                                                                       {"grbTipoClie", form->chbFisica},
                                                                       {"grbTipoClie", form->chbJuridica},
                                                                       {"grbTipoClie", form->chbOutros}};
        for (const auto& [group, box] : boxes) {
            const std::string name = box->objectName().toStdString();
            if (!operable(model, group, name) || !model.checked[name])
                continue;
            box->click();
            model.checked[name] = false;
        }
    }
};

TEST_P(VariantSequence, RulesGiveTheTableState) {
    const auto [base, previous, next] = GetParam();
    createScreen(5);
    FilterState model = formDefinition();
    applyVariant(model, 0); // FormCreate (dates cleared first: they already are)
    applyVariant(model, 0); // first activation
    model.de = todayAsMonth();
    expectState(model, read(form), "after the first activation");

    const std::vector<int> picks = {base, previous};
    for (size_t round = 0; round < picks.size(); ++round) {
        pickVariant(picks[round]);
        applyVariant(model, picks[round]);
        expectState(model, read(form), "after picking " + std::to_string(picks[round]));
        userChanges(model, int(round));
        expectState(model, read(form), "after the user's changes");
    }
    pickVariant(next);
    applyVariant(model, next);
    expectState(model, read(form), "after picking the new variant " + std::to_string(next));
    EXPECT_TRUE(TestEnv::dialogs().shown.empty());
}

INSTANTIATE_TEST_SUITE_P(AllPairs, VariantSequence,
                         ::testing::Combine(::testing::Values(0, 1, 2, 3),
                                            ::testing::Values(-1, 0, 1, 2, 3, 4),
                                            ::testing::Values(-1, 0, 1, 2, 3, 4)),
                         [](const auto& info) {
                             auto name = [](int v) {
                                 return v < 0 ? std::string("None") : std::to_string(v);
                             };
                             return "from" + name(std::get<0>(info.param)) + "_" +
                                    name(std::get<1>(info.param)) + "_to" + name(std::get<2>(info.param));
                         });

class FirstActivation : public ScreenTestBase {};

TEST_F(FirstActivation, VariantZeroShowsTodayOnceAndTheFocusGoesToTheCombo) {
    createScreen(4);
    EXPECT_EQ(form->cbbReportNames->ItemIndex(), 0);
    EXPECT_EQ(form->depDeDtAn->Text(), todayAsMonth());
    EXPECT_EQ(form->depDeDtAn->Date(), QDate(QDate::currentDate().year(), QDate::currentDate().month(), 1));
    EXPECT_EQ(form->depDeDtAn->EditStyle(), 1);
    EXPECT_FALSE(form->depDeDtAn->ShowDia());
    EXPECT_FALSE(Cli_qmt31800::PrimeiraAtivacao);
    EXPECT_EQ(form->ActiveControl(), form->cbbReportNames);

    // Picking variant 0 again later leaves the edit empty: only the first activation gives today.
    pickVariant(1);
    pickVariant(0);
    EXPECT_EQ(form->depDeDtAn->Text(), QString());

    // A new instance in the same loaded module: FormCreate runs, the first-activation work does not.
    Cli_qmt31800::ListaCliente = selection({QStringLiteral("C1")});
    form->rbtLCliente->click();
    closeScreen();
    EXPECT_FALSE(Cli_qmt31800::FormCriado);
    createScreen(4);
    EXPECT_EQ(form->depDeDtAn->Text(), QString());
    EXPECT_EQ(form->depDeDtAn->EditStyle(), 1);
    EXPECT_EQ(form->ActiveControl(), form->cbbReportNames);
    // The selection texts outlive the screen; creating it does not run the "Todos" rule.
    EXPECT_TRUE(form->rbtTCliente->Checked());
    EXPECT_FALSE(form->sbtCliente->Enabled());
    EXPECT_EQ(Cli_qmt31800::ListaCliente, selection({QStringLiteral("C1")}));
}

TEST_F(FirstActivation, ModuleReloadRepeatsTheFirstActivation) {
    createScreen(4);
    closeScreen();
    Cli_qmt31800::Finalization();
    Cli_qmt31800::Initialization();
    EXPECT_TRUE(Cli_qmt31800::PrimeiraAtivacao);
    createScreen(4);
    EXPECT_EQ(form->depDeDtAn->Text(), todayAsMonth());
}

TEST_F(FirstActivation, NoEntryLeavesTheFormDefinition) {
    createScreen(0, /*activate=*/false);
    EXPECT_EQ(form->cbbReportNames->ItemIndex(), -1);
    const FilterState fresh = formDefinition();
    expectState(fresh, read(form), "fresh screen");
    form->Show();
    EXPECT_FALSE(Cli_qmt31800::PrimeiraAtivacao);
    expectState(fresh, read(form), "after the first activation");
    EXPECT_EQ(form->ActiveControl(), form->cbbReportNames);
}

// A copy made with "Salvar como" follows the filter rules of the report it was copied from.
class CopyFollowsItsSource : public ScreenTestBase, public ::testing::WithParamInterface<int> {};

TEST_P(CopyFollowsItsSource, PickingTheCopyGivesTheSourcesState) {
    const int source = GetParam();
    const int other = (source + 1) % 4;
    createScreen(4);
    pickVariant(source);
    TestEnv::dialogs().onPrompt = [](const QString&, const QString&) -> std::optional<QString> {
        return QStringLiteral("Cópia do relatório");
    };
    form->reports().saveAs(source);
    ASSERT_EQ(form->cbbReportNames->count(), 5);
    pickVariant(other);
    pickVariant(source);
    const FilterState original = read(form);
    pickVariant(other);
    pickVariant(4);
    EXPECT_EQ(form->ReportVariant(), source);
    expectState(original, read(form), "the copy of " + std::to_string(source));
}

INSTANTIATE_TEST_SUITE_P(EachReport, CopyFollowsItsSource, ::testing::Values(0, 1, 2, 3));

} // namespace
