#include "LookupQueries.h"

#include "data/TADOIBQuery.h"
#include "data/TDataSource.h"
#include "forms/FormReader.h"
#include "forms/TForm.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace {

const QStringList kClienteSql = {
    "SELECT",
    "   C.CDCLIENTE , C.IDTPIJURCLIE, C.NRINSJURCLIE,",
    "   C.NMFANTCLIE, C.NMRAZSOCCLIE, P.NMPAIS, ",
    "   M.SGESTADO  , M.NMMUNICIPIO , E.DSENDECLIE ",
    "FROM",
    "   CLIENTE C, PAIS P, ",
    "   MUNICIPIO M, ENDECLIE E",
    "WHERE ",
    "   (C.CDCLIENTE   = E.CDCLIENTE  ) AND",
    "   (E.CDPAIS      = M.CDPAIS     ) AND",
    "   (E.SGESTADO    = M.SGESTADO   ) AND",
    "   (E.CDMUNICIPIO = M.CDMUNICIPIO) AND",
    "   (M.CDPAIS      = P.CDPAIS     ) AND",
    "   (IDTPENDECLIE  = 'P')",
    "ORDER BY",
    "   NRINSJURCLIE",
};

const QStringList kRamoSql = {
    "SELECT",         "   CDARVATIVCLI,", "   CDATIVCLI,",    "   DSATIVCLI",  "FROM",
    "   ATIVCLIENTE", "ORDER BY",         "   CDARVATIVCLI,", "   CDATIVCLI,", "   DSATIVCLI",
};

const QStringList kBairroSql = {
    "SELECT",
    "   BA.CDBAIRRO, BA.NMBAIRRO, MU.NMMUNICIPIO, PA.CDPAIS, ES.SGESTADO,",
    "   BA.CDBAIRRO || BA.CDMUNICIPIO BAIRROMUNI",
    "FROM",
    "   PAIS PA, ESTADO ES, MUNICIPIO MU, BAIRRO BA",
    "WHERE",
    "       (BA.CDPAIS      = PA.CDPAIS     )",
    "   AND (BA.CDPAIS      = ES.CDPAIS     )",
    "   AND (BA.SGESTADO    = ES.SGESTADO   )",
    "   AND (BA.CDPAIS      = MU.CDPAIS     )",
    "   AND (BA.SGESTADO    = MU.SGESTADO   )",
    "   AND (BA.CDMUNICIPIO = MU.CDMUNICIPIO)",
    "ORDER BY",
    "   BA.CDBAIRRO, BA.NMBAIRRO, MU.NMMUNICIPIO",
};

const QStringList kBairroOracle = {
    "SELECT",
    "   BA.CDBAIRRO, BA.NMBAIRRO, MU.NMMUNICIPIO, PA.CDPAIS, ES.SGESTADO,",
    "   BA.CDBAIRRO || BA.CDMUNICIPIO BAIRROMUNI",
    "FROM",
    "   PAIS PA, ESTADO ES, MUNICIPIO MU, BAIRRO BA",
    "WHERE",
    "       (BA.CDPAIS      = PA.CDPAIS (+)    )",
    "   AND (BA.CDPAIS      = ES.CDPAIS(+)     )",
    "   AND (BA.SGESTADO    = ES.SGESTADO(+)   )",
    "   AND (BA.CDPAIS      = MU.CDPAIS(+)     )",
    "   AND (BA.SGESTADO    = MU.SGESTADO(+)   )",
    "   AND (BA.CDMUNICIPIO = MU.CDMUNICIPIO(+))",
    "ORDER BY",
    "   BA.CDBAIRRO, BA.NMBAIRRO, MU.NMMUNICIPIO",
};

const QStringList kBairroMssql = {
    "SELECT",
    "   BA.CDBAIRRO, BA.NMBAIRRO, MU.NMMUNICIPIO, PA.CDPAIS, ES.SGESTADO,",
    "   BA.CDBAIRRO + BA.CDMUNICIPIO BAIRROMUNI",
    "FROM",
    "   BAIRRO BA LEFT JOIN PAIS PA   ON   (BA.CDPAIS      = PA.CDPAIS     )",
    "             LEFT JOIN ESTADO ES ON (BA.CDPAIS      = ES.CDPAIS     )",
    "                             AND (BA.SGESTADO    = ES.SGESTADO   )",
    "             LEFT JOIN MUNICIPIO MU ON  (BA.CDPAIS      = MU.CDPAIS     )",
    "                                AND (BA.SGESTADO    = MU.SGESTADO   )",
    "                                AND (BA.CDMUNICIPIO = MU.CDMUNICIPIO)",
    "   ",
    "ORDER BY",
    "   BA.CDBAIRRO, BA.NMBAIRRO, MU.NMMUNICIPIO",
};

QJsonObject field(const QString& query, const QString& name, const QString& label, int size, bool visible,
                  bool required) {
    QJsonObject p{{"FieldName", name}, {"Visible", visible}, {"Required", required}};
    if (!label.isEmpty())
        p["DisplayLabel"] = label;
    if (size > 0)
        p["Size"] = size;
    return QJsonObject{{"name", query + name}, {"class", "TADOIBStringField"}, {"properties", p}};
}

QJsonObject query(const QString& name, const QString& dataSource, const QStringList& sql,
                  const QJsonArray& fields) {
    QJsonObject p{{"Active", false},
                  {"ADOConnection", "dtmDBGeral.adcGeral"},
                  {"DataBase", "dtmDBGeral.dtbGeral"},
                  {"Transaction", "dtmDBGeral.ibtGeral"},
                  {"ADOCursorLocation", "clUseClient"},
                  {"ADOCursorType", "ctKeyset"},
                  {"ADOLockType", "ltReadOnly"},
                  {"ADOCacheSize", 1},
                  {"ADOMaxRecords", 0},
                  {"ADOMarshalOptions", "moMarshalAll"},
                  {"ADOEnableBCD", false},
                  {"ADOFiltered", false},
                  {"ADOPrepared", false},
                  {"CachedUpdates", false},
                  {"ObjectView", false},
                  {"ADOExecuteOptions", QJsonArray()},
                  {"Constraints", QJsonArray()},
                  {"AutoCalcFields", true},
                  {"ParamCheck", true},
                  {"DataSource", dataSource},
                  {"SQL", QJsonArray::fromStringList(sql)}};
    return QJsonObject{{"name", name}, {"class", "TADOIBQuery"}, {"properties", p}, {"components", fields}};
}

QJsonObject dataSource(const QString& name, const QString& query) {
    return QJsonObject{
        {"name", name}, {"class", "TDataSource"}, {"properties", QJsonObject{{"DataSet", query + ".Query"}}}};
}

} // namespace

QByteArray LookupQueries::formResource() {
    const QString c = "qryCliente", r = "qryRamoAtiv", b = "qryBairro";
    QJsonObject bairro =
        query(b, "dtsBairro_", kBairroSql,
              {field(b, "CDBAIRRO", "Bairro", 10, true, false), field(b, "NMBAIRRO", "Nome", 50, true, false),
               field(b, "NMMUNICIPIO", "Municipio", 30, true, false),
               field(b, "BAIRROMUNI", "", 14, false, false)});
    QJsonObject props = bairro["properties"].toObject();
    props["SQL_IB"] = QJsonArray::fromStringList(kBairroSql);
    props["SQL_ORACLE"] = QJsonArray::fromStringList(kBairroOracle);
    props["SQL_MSSQL"] = QJsonArray::fromStringList(kBairroMssql);
    bairro["properties"] = props;
    const QJsonArray components = {
        dataSource("dtsCliente_", c),
        query(c, "dtsCliente_", kClienteSql,
              {field(c, "CDCLIENTE", "", 21, false, true), field(c, "IDTPIJURCLIE", "", 1, false, false),
               field(c, "NRINSJURCLIE", QString::fromUtf8("Nr. Inscrição"), 0, true, false),
               field(c, "NMFANTCLIE", "Nome", 50, true, false),
               field(c, "NMRAZSOCCLIE", QString::fromUtf8("Razão Social"), 50, true, false),
               field(c, "NMPAIS", QString::fromUtf8("País"), 30, true, false),
               field(c, "SGESTADO", "Estado", 2, true, true),
               field(c, "NMMUNICIPIO", "Municipio", 30, true, false),
               field(c, "DSENDECLIE", QString::fromUtf8("Endereço"), 50, true, false)}),
        dataSource("dspRamoAtiv_", r),
        query(r, "dspRamoAtiv_", kRamoSql,
              {field(r, "CDARVATIVCLI", "", 0, false, false),
               field(r, "CDATIVCLI", QString::fromUtf8("Código"), 10, true, false),
               field(r, "DSATIVCLI", QString::fromUtf8("Descrição"), 50, true, false)}),
        dataSource("dtsBairro_", b),
        bairro,
    };
    return QJsonDocument(QJsonObject{{"class", "TForm"}, {"components", components}}).toJson();
}

LookupForm::LookupForm() : form(std::make_unique<TForm>()) {
    read(QJsonDocument::fromJson(LookupQueries::formResource()).object());
}
LookupForm::LookupForm(const QJsonObject& document) : form(std::make_unique<TForm>()) {
    read(document);
}
LookupForm::~LookupForm() = default;

void LookupForm::read(const QJsonObject& document) {
    form->setObjectName("frmTeste");
    FormReader reader(form.get());
    reader.readDocument(document, "teste.json");
    reader.finish();
}

TADOIBQuery* LookupForm::query(const char* name) const {
    return form->findChild<TADOIBQuery*>(name);
}
TDataSource* LookupForm::source(const char* name) const {
    return form->findChild<TDataSource*>(name);
}
