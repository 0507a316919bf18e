#include "demo/SampleTables.h"

namespace SampleTables {

const QString kBrasil = QStringLiteral("1058");

const std::vector<Municipality>& municipalities() {
    static const std::vector<Municipality> m = {
        {kBrasil,
         "SP",
         "3550308",
         "São Paulo",
         {{"001", "Centro"},
          {"002", "Moema"},
          {"003", "Pinheiros"},
          {"004", "Vila Mariana"},
          {"005", "Tatuapé"},
          {"006", "Santana"}}},
        {kBrasil,
         "SP",
         "3509502",
         "Campinas",
         {{"001", "Centro"}, {"002", "Cambuí"}, {"003", "Barão Geraldo"}, {"004", "Taquaral"}}},
        {kBrasil, "SP", "3548500", "Santos", {{"001", "Centro"}, {"002", "Gonzaga"}, {"003", "Boqueirão"}}},
        {kBrasil,
         "RJ",
         "3304557",
         "Rio de Janeiro",
         {{"001", "Centro"},
          {"002", "Copacabana"},
          {"003", "Tijuca"},
          {"004", "Botafogo"},
          {"005", "Méier"}}},
        {kBrasil, "RJ", "3303302", "Niterói", {{"001", "Centro"}, {"002", "Icaraí"}, {"003", "Ingá"}}},
        {kBrasil,
         "MG",
         "3106200",
         "Belo Horizonte",
         {{"001", "Centro"}, {"002", "Savassi"}, {"003", "Pampulha"}, {"004", "Funcionários"}}},
        {kBrasil, "PR", "4106902", "Curitiba", {{"001", "Centro"}, {"002", "Batel"}, {"003", "Água Verde"}}},
        {kBrasil,
         "RS",
         "4314902",
         "Porto Alegre",
         {{"001", "Centro Histórico"}, {"002", "Moinhos de Vento"}, {"003", "Menino Deus"}}},
        {kBrasil, "BA", "2927408", "Salvador", {{"001", "Centro"}, {"002", "Barra"}, {"003", "Pituba"}}},
        // Neighbourhoods imported before their municipality was registered.
        {kBrasil, "SP", "3552205", "Sorocaba", {{"001", "Centro"}, {"002", "Jardim Vergueiro"}}, false},
    };
    return m;
}

const std::vector<std::pair<QString, QString>> kStates = {
    {"SP", "São Paulo"}, {"RJ", "Rio de Janeiro"},    {"MG", "Minas Gerais"},
    {"PR", "Paraná"},    {"RS", "Rio Grande do Sul"}, {"BA", "Bahia"}};

const std::vector<Activity> kActivities = {
    {"01", "1", "Comércio"},
    {"0101", "1.1", "Comércio varejista de alimentos"},
    {"0102", "1.2", "Comércio de materiais de construção"},
    {"0103", "1.3", "Farmácias e drogarias"},
    {"02", "2", "Indústria"},
    {"0201", "2.1", "Indústria têxtil"},
    {"0202", "2.2", "Indústria de alimentos"},
    {"03", "3", "Serviços"},
    {"0301", "3.1", "Restaurantes e bares"},
    {"0302", "3.2", "Consultoria e contabilidade"},
    {"0303", "3.3", "Transporte de cargas"},
    {"04", "4", "Agropecuária"},
};
const std::vector<QString> kLeafActivities = {"0101", "0102", "0103", "0201", "0202",
                                              "0301", "0302", "0303", "04"};

const std::vector<std::pair<QString, QString>> kBranches = {
    {"01", "Matriz - São Paulo"}, {"02", "Filial Rio de Janeiro"}, {"03", "Filial Curitiba"}};

const std::vector<QString> kFirstNames = {
    "Ana",     "João",    "Maria",  "José",   "Francisca", "Antônio", "Adriana",  "Carlos",
    "Juliana", "Paulo",   "Márcia", "Luís",   "Fernanda",  "Marcos",  "Patrícia", "Pedro",
    "Aline",   "Lucas",   "Sandra", "Rafael", "Camila",    "Gabriel", "Letícia",  "Thiago",
    "Beatriz", "Rodrigo", "Vânia",  "Sérgio", "Cláudia",   "Fábio"};
const std::vector<QString> kSurnames = {
    "Silva", "Santos", "Oliveira", "Souza",   "Rodrigues", "Ferreira",  "Alves",     "Pereira", "Lima",
    "Gomes", "Costa",  "Ribeiro",  "Martins", "Carvalho",  "Araújo",    "Melo",      "Barbosa", "Cardoso",
    "Rocha", "Dias",   "Teixeira", "Correia", "Nogueira",  "Conceição", "Magalhães", "Brandão"};
const std::vector<QString> kCompanyCores = {
    "Pão Dourado", "Boa Vista",  "Estrela do Sul", "Horizonte", "Ipê Amarelo", "Tropical", "Bandeirantes",
    "Serra Azul",  "Vale Verde", "Aurora",         "Paraíso",   "Três Irmãos", "Nova Era", "Central",
    "Primavera",   "Jequitibá",  "Atlântico",      "Guanabara", "Cruzeiro",    "São Jorge"};
const std::vector<QString> kCompanyKinds = {"Comércio de Alimentos",
                                            "Materiais de Construção",
                                            "Drogaria",
                                            "Confecções",
                                            "Indústria Alimentícia",
                                            "Restaurante",
                                            "Contabilidade",
                                            "Transportes",
                                            "Agropecuária",
                                            "Distribuidora"};
const std::vector<QString> kCompanySuffixes = {"Ltda", "S.A.", "ME", "EIRELI", "Ltda - EPP"};
const std::vector<QString> kOthers = {"Associação dos Moradores", "Condomínio Edifício", "Paróquia",
                                      "Cooperativa Agrícola",     "Instituto Cultural",  "Clube Recreativo",
                                      "Sindicato Rural",          "Fundação Educacional"};
const std::vector<QString> kStreets = {
    "Rua das Flores",       "Avenida Brasil",         "Rua XV de Novembro",
    "Rua Sete de Setembro", "Avenida Paulista",       "Rua Tiradentes",
    "Rua Dom Pedro II",     "Travessa São João",      "Avenida Getúlio Vargas",
    "Rua Marechal Deodoro", "Alameda Santos",         "Rua da Consolação",
    "Praça da Sé",          "Rua Barão do Rio Branco"};

} // namespace SampleTables
