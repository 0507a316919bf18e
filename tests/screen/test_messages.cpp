// The screen's message table: the keys its rules look up and the texts the user reads.
#include "ScreenFixture.h"

using namespace ScreenTest;

namespace {

const std::pair<const char*, const char*> kMessages[] = {
    {"Arq_Rel_Err",
     "O arquivo contendo a definição do relatório de código '%s' não foi encontrado no diretório '%s'."},
    {"NovoCaption", "Título do relatório"},
    {"NovoPrompt", "Informe o título do relatório:"},
    {"FILI_N_INF", "Filial deve ser informada."},
    {"FILI_N_CAD", "Filial não cadastrada."},
    {"Nive_N_Info", "Nível não informado."},
    {"Nivel_Subt", "Nível p/ totalização deve estar entre 1 e "},
    {"DtEvenIni_inf", "Data inicial deve ser informada."},
    {"DtEvenFin_inf", "Data final deve ser informada."},
    {"DtIni>DtFin", "Data inicial deve ser menor ou igual a data final."},
    {"CLIE", "Cliente deve ser informado."},
    {"Even", "Tipo de evento deve ser informado."},
    {"CLIENTE", "Cliente"},
    {"EVENTO", "Tipo de Evento"},
    {"Ramo_Inf", "Ramo de atividade deve ser informado."},
    {"RAMO", "Ramo de Atividade"},
    {"BAIRRO", "Bairro deve ser informado."},
    {"BA", "Bairro"},
    {"Ramo_N_CAD", "Não há ramo de atividade cadastrado."},
    {"Dt<0", "A data deve ser maior que 30/12/1899."},
    {"inf_origem", "Informe a origem."},
    {"inf_tipocli", "Informe o tipo do cliente."},
};

class MessageTable : public ScreenTestBase {};

TEST_F(MessageTable, HoldsEveryLineAsGiven) {
    createScreen(0, /*activate=*/false);
    QStringList want;
    for (const auto& [key, text] : kMessages)
        want << QString::fromUtf8(key) + u'|' + QString::fromUtf8(text);
    EXPECT_EQ(form->msgPadrao->Lines(), want); // order and trailing blank of "Nivel_Subt" included
    // The validation asks for "RAMO_Inf": keys match without regard to case.
    EXPECT_EQ(form->msgPadrao->Msg(QStringLiteral("RAMO_Inf")),
              QStringLiteral("Ramo de atividade deve ser informado."));
}

} // namespace
