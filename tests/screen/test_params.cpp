// Report query parameters: filter states in, the parameter list out, read back after the screen's
// handler filled it: which names it holds, and the kind and value each was given.
#include "ScreenFixture.h"

#include "library/FiliProc.h"
#include "reporting/TParams.h"

#include <map>
#include <memory>
#include <optional>

using namespace ScreenTest;

namespace {

const QStringList kAll = {"P_TDTNASCCLIE", "P_DTINICIAL",    "P_DTFINAL",      "L_CLIENTE", "L_RAMOATIV",
                          "L_BAIRRO",      "P_IDTPORCAEVEN", "P_IDTPIJURCLIE", "P_CDFILIAL"};

// A parameter list of the declared names, as the engine builds one; the test reads it after the
// handler ran: the kind tells which setter filled a parameter.
std::unique_ptr<TParams> declaredParams(const QStringList& declared) {
    auto params = std::make_unique<TParams>();
    for (const QString& n : declared)
        params->Add(n);
    return params;
}

double day(int y, int m, int d) {
    return HostDate::fromDate(QDate(y, m, d));
}

// One list's choice: "Todos", or "Lista" with a selection text (possibly empty).
struct Choice {
    bool todos = true;
    QString text; // the selection text, also while "Todos" is selected
};

struct ParamCase {
    const char* name = "";
    int variant = -2; // picked after variant 2 (whose dates are typed first); -2: variant 2 itself
    std::optional<QString> de, ate;
    Choice cliente, ramo, bairro;
    QString boxes = QStringLiteral("OEFJX"); // ticked: O orçamento, E encomenda, F, J, X outros
    QStringList declared = kAll;
    std::map<QString, std::pair<TParam::Kind, QVariant>> want; // every other name stays unset
};

const QString kFilial = QStringLiteral("007");
const QString kSelA = QStringLiteral("#L1:3:C013:C02");
const QString kSelB = QStringLiteral("#L1:8:00100012");

using K = TParam::Kind;

ParamCase named(const char* name) {
    ParamCase c;
    c.name = name;
    return c;
}

std::vector<ParamCase> cases() {
    auto all = [](QVariant flag, QVariant ini, QVariant fim, QVariant cli, QVariant ramo, QVariant bairro,
                  QVariant orig, QVariant tipo) {
        return std::map<QString, std::pair<K, QVariant>>{
            {"P_TDTNASCCLIE", {K::Variant, flag}},  {"P_DTINICIAL", {K::DateTime, ini}},
            {"P_DTFINAL", {K::DateTime, fim}},      {"L_CLIENTE", {K::String, cli}},
            {"L_RAMOATIV", {K::String, ramo}},      {"L_BAIRRO", {K::String, bairro}},
            {"P_IDTPORCAEVEN", {K::Variant, orig}}, {"P_IDTPIJURCLIE", {K::Variant, tipo}},
            {"P_CDFILIAL", {K::Variant, kFilial}}};
    };
    std::vector<ParamCase> out;
    {
        ParamCase c = named("NothingNarrowed");
        c.de = QString(), c.ate = QString();
        c.want = all("T", 0.0, 0.0, "T", "T", "T", "_O_E_", "FJO");
        out.push_back(c);
    }
    {
        ParamCase c = named("RangeAndClientList");
        c.de = QStringLiteral("01/03/2026"), c.ate = QStringLiteral("31/03/2026");
        c.cliente = {false, kSelA};
        c.boxes = QStringLiteral("OJ");
        c.want = all("", day(2026, 3, 1), day(2026, 3, 31), kSelA, "T", "T", "_O_", "J");
        out.push_back(c);
    }
    {
        ParamCase c = named("OnlyThreeDeclared");
        c.de = QStringLiteral("01/03/2026"), c.ate = QStringLiteral("31/03/2026");
        c.bairro = {false, kSelB};
        c.boxes = QStringLiteral("FX");
        c.declared = {"L_BAIRRO", "P_IDTPIJURCLIE", "P_CDFILIAL"};
        c.want = {{"L_BAIRRO", {K::String, kSelB}},
                  {"P_IDTPIJURCLIE", {K::Variant, "FO"}},
                  {"P_CDFILIAL", {K::Variant, kFilial}}};
        out.push_back(c);
    }
    {
        // As variant 0 leaves the screen on the first activation: this month in depDeDtAn alone.
        ParamCase c = named("FirstActivationOfVariantZero");
        c.variant = -3;
        const QDate today = QDate::currentDate();
        c.want = all("", day(today.year(), today.month(), 1), 0.0, "T", "T", "T", "_O_E_", "FJO");
        out.push_back(c);
    }
    {
        ParamCase c = named("StartOnly");
        c.de = QStringLiteral("05/07/2026"), c.ate = QString();
        c.want = all("", day(2026, 7, 5), 0.0, "T", "T", "T", "_O_E_", "FJO"); // 0: GetDate of an empty edit
        out.push_back(c);
    }
    {
        ParamCase c = named("EndOnly");
        c.de = QString(), c.ate = QStringLiteral("05/07/2026");
        c.want = all("", 0.0, day(2026, 7, 5), "T", "T", "T", "_O_E_", "FJO");
        out.push_back(c);
    }
    {
        ParamCase c = named("DatesDisabledAndEmpty");
        c.variant = 1;
        c.ramo = {false, kSelB};
        c.want = all("T", 0.0, 0.0, "T", kSelB, "T", "_O_E_", "FJO");
        out.push_back(c);
    }
    {
        ParamCase c = named("DisabledEditStillShowingADate");
        c.variant = 0; // after variant 2's dates: depAteDtAn disabled, keeps its date
        c.de = QString(), c.ate = QStringLiteral("20/12/2026");
        c.want = all("", 0.0, day(2026, 12, 20), "T", "T", "T", "_O_E_", "FJO");
        out.push_back(c);
    }
    {
        ParamCase c = named("ListaWithEmptyTextAndTodosWithOldText");
        c.de = QString(), c.ate = QString();
        c.cliente = {false, QString()};
        c.ramo = {true, kSelA};
        c.bairro = {false, QString()};
        c.want = all("T", 0.0, 0.0, "", "T", "", "_O_E_", "FJO");
        out.push_back(c);
    }
    {
        ParamCase c = named("NoBoxTicked");
        c.de = QString(), c.ate = QString();
        c.boxes = QString();
        c.want = all("T", 0.0, 0.0, "T", "T", "T", "_", "");
        out.push_back(c);
    }
    {
        ParamCase c = named("NoneOfTheNineDeclared");
        c.de = QStringLiteral("01/03/2026"), c.ate = QString();
        c.declared = {"P_OUTRO"};
        out.push_back(c);
    }
    {
        ParamCase c = named("DatesOnlyInNoRange");
        c.de = QString(), c.ate = QString();
        c.declared = {"P_DTFINAL", "P_TDTNASCCLIE"};
        c.want = {{"P_TDTNASCCLIE", {K::Variant, "T"}}, {"P_DTFINAL", {K::DateTime, 0.0}}};
        out.push_back(c);
    }
    // Both check-box tables, each declared alone.
    for (const char* boxes : {"OE", "O", "E", ""}) {
        ParamCase c = named("Origem");
        c.boxes = QString::fromLatin1(boxes);
        c.declared = {"P_IDTPORCAEVEN"};
        QString v = QStringLiteral("_");
        if (c.boxes.contains('O'))
            v += QStringLiteral("O_");
        if (c.boxes.contains('E'))
            v += QStringLiteral("E_");
        c.want = {{"P_IDTPORCAEVEN", {K::Variant, v}}};
        out.push_back(c);
    }
    const std::pair<const char*, const char*> tipos[] = {{"FJX", "FJO"}, {"FJ", "FJ"}, {"FX", "FO"},
                                                         {"F", "F"},     {"JX", "JO"}, {"J", "J"},
                                                         {"X", "O"},     {"", ""}};
    for (const auto& [boxes, value] : tipos) {
        ParamCase c = named("TipoCliente");
        c.boxes = QString::fromLatin1(boxes);
        c.declared = {"P_IDTPIJURCLIE"};
        c.want = {{"P_IDTPIJURCLIE", {K::Variant, QString::fromLatin1(value)}}};
        out.push_back(c);
    }
    return out;
}

class QueryParams : public ScreenTestBase, public ::testing::WithParamInterface<ParamCase> {
protected:
    void prepare(const ParamCase& c) {
        createScreen(5);
        SetFilial(kFilial);
        if (c.variant == -3)
            return; // the first activation's state, untouched
        pickVariant(2);
        form->depDeDtAn->SetText(QStringLiteral("01/01/2026"));
        form->depAteDtAn->SetText(QStringLiteral("20/12/2026"));
        if (c.variant >= 0)
            pickVariant(c.variant);
        if (c.de)
            form->depDeDtAn->SetText(*c.de);
        if (c.ate)
            form->depAteDtAn->SetText(*c.ate);
        const std::tuple<TRadioButton*, TRadioButton*, QString*, Choice> lists[] = {
            {form->rbtTCliente, form->rbtLCliente, &Cli_qmt31800::ListaCliente, c.cliente},
            {form->rbtTRamoAtiv, form->rbtLRamoAtiv, &Cli_qmt31800::ListaRamoAtiv, c.ramo},
            {form->rbtTBairro, form->rbtLBairro, &Cli_qmt31800::ListaBairro, c.bairro}};
        for (const auto& [todos, lista, text, choice] : lists) {
            (choice.todos ? todos : lista)->SetChecked(true);
            *text = choice.text;
        }
        const std::pair<QChar, TCheckBox*> boxes[] = {{'O', form->chbOrcamento},
                                                      {'E', form->chbEncomenda},
                                                      {'F', form->chbFisica},
                                                      {'J', form->chbJuridica},
                                                      {'X', form->chbOutros}};
        for (const auto& [letter, box] : boxes)
            box->SetChecked(c.boxes.contains(letter));
    }
};

TEST_P(QueryParams, FillsExactlyTheDeclaredOnesInOrder) {
    const ParamCase& c = GetParam();
    prepare(c);
    const QString de = form->depDeDtAn->Text(), ate = form->depAteDtAn->Text();
    const QString lists =
        Cli_qmt31800::ListaCliente + "|" + Cli_qmt31800::ListaRamoAtiv + "|" + Cli_qmt31800::ListaBairro;

    for (bool flag : {false, true}) {
        const std::unique_ptr<TParams> params = declaredParams(c.declared);
        bool passed = flag;
        form->rpddPadrao->BeforeGetQueryParams(params.get(), passed);
        EXPECT_EQ(passed, flag) << "the Boolean is left untouched";

        // Only the declared names are there afterwards: the others were looked up, never added.
        EXPECT_EQ(params->Names(), c.declared);
        for (const QString& name : kAll) {
            if (c.declared.contains(name)) {
                ASSERT_NE(c.want.find(name), c.want.end()) << name.toStdString();
            }
        }

        for (const QString& name : c.declared) {
            const TParam& p = params->ParamByName(name);
            const auto want = c.want.find(name);
            if (want == c.want.end()) {
                EXPECT_FALSE(p.IsSet()) << name.toStdString();
                continue;
            }
            // The kind is the setter's: SetAsString, SetAsDateTime or SetAsVariant.
            EXPECT_EQ(p.kind(), want->second.first) << name.toStdString();
            if (want->second.first == K::DateTime) {
                EXPECT_DOUBLE_EQ(p.Value().toDouble(), want->second.second.toDouble()) << name.toStdString();
            } else {
                // A text, never a null, even when empty.
                EXPECT_EQ(p.Value().typeId(), int(QMetaType::QString)) << name.toStdString();
                EXPECT_FALSE(p.Value().isNull()) << name.toStdString();
                EXPECT_EQ(p.Value().toString().toStdString(), want->second.second.toString().toStdString())
                    << name.toStdString();
            }
        }
    }
    // Nothing of the screen changes.
    EXPECT_EQ(form->depDeDtAn->Text(), de);
    EXPECT_EQ(form->depAteDtAn->Text(), ate);
    EXPECT_EQ(Cli_qmt31800::ListaCliente + "|" + Cli_qmt31800::ListaRamoAtiv + "|" +
                  Cli_qmt31800::ListaBairro,
              lists);
    EXPECT_TRUE(TestEnv::dialogs().shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, QueryParams, ::testing::ValuesIn(cases()), [](const auto& info) {
    return std::string(info.param.name) + "_" + std::to_string(info.index);
});

class QueryParamsFailure : public ScreenTestBase {};

TEST_F(QueryParamsFailure, EachRunReadsTheFiltersAfresh) {
    createScreen(5);
    pickVariant(3);
    SetFilial(QStringLiteral("A"));
    const std::unique_ptr<TParams> first = declaredParams(kAll);
    bool flag = false;
    form->rpddPadrao->BeforeGetQueryParams(first.get(), flag);
    form->chbFisica->SetChecked(false);
    SetFilial(QStringLiteral("B"));
    const std::unique_ptr<TParams> second = declaredParams(kAll);
    form->rpddPadrao->BeforeGetQueryParams(second.get(), flag);
    EXPECT_EQ(first->ParamByName("P_IDTPIJURCLIE").Value().toString(), QStringLiteral("FJO"));
    EXPECT_EQ(second->ParamByName("P_IDTPIJURCLIE").Value().toString(), QStringLiteral("JO"));
    EXPECT_EQ(first->ParamByName("P_CDFILIAL").Value().toString(), QStringLiteral("A"));
    EXPECT_EQ(second->ParamByName("P_CDFILIAL").Value().toString(), QStringLiteral("B"));
}

} // namespace
