#include "TfrmDadosCliente.h"

#include "Cli_qmt31800.h"
#include "core/Errors.h"
#include "library/EmptyString.h"
#include "library/FiliProc.h"
#include "library/PesquisaLista.h"

#include <QDate>

using namespace Cli_qmt31800;

TfrmDadosCliente::TfrmDadosCliente(QWidget* parent) : TfrmDadosGerRel(parent) {}
TfrmDadosCliente::~TfrmDadosCliente() = default;

// ---- creation, activation, closing -------------------------------------------------------------

void TfrmDadosCliente::FormCreate(QObject* Sender) {
    TfrmDadosGerRel::FormCreate(Sender);
    depDeDtAn->Clear();
    depAteDtAn->Clear();
    habilitaCampos();
}

void TfrmDadosCliente::FormActivate(QObject* Sender) {
    TfrmDadosGerRel::FormActivate(Sender);
    if (PrimeiraAtivacao) {
        habilitaCampos();
        PrimeiraAtivacao = false;
        if (cbbReportNames->ItemIndex() == 0)
            depDeDtAn->SetDate(HostDate::fromDate(QDate::currentDate()));
        else
            depDeDtAn->Clear();
    }
    cbbReportNames->SetFocus();
}

void TfrmDadosCliente::FormClose(QObject* Sender, TCloseAction& Action) {
    FormCriado = false;
    TfrmDadosGerRel::FormClose(Sender, Action);
}

void TfrmDadosCliente::cbbReportNamesChange(QObject* Sender) {
    habilitaCampos();
}

// ---- report variants ---------------------------------------------------------------------------

void TfrmDadosCliente::habilitaCampos() {
    // The variant is read again before each comparison: the selected entry's own for the screen's
    // four reports, the source's for a copy made with save as.
    if (ReportVariant() == 0) {
        // Birthdays of a month: the month in depDeDtAn alone, clients and neighbourhoods.
        grbDtAn->SetEnabled(true);
        lblDe->SetEnabled(true);
        lblDe->SetCaption(QStringLiteral("mês"));
        lblAte->SetEnabled(false);
        depDeDtAn->SetEnabled(true);
        depAteDtAn->SetEnabled(false);
        grbCliente->SetEnabled(true);
        grbRamoAtiv->SetEnabled(false);
        rbtTRamoAtiv->SetEnabled(false);
        rbtLRamoAtiv->SetEnabled(false);
        rbtTRamoAtiv->SetChecked(true);
        grbBairro->SetEnabled(true);
        rbtTBairro->SetChecked(true);
        rbtTBairro->SetEnabled(true);
        rbtLBairro->SetEnabled(true);
        grbTpOrcamento->SetEnabled(false);
        chbOrcamento->SetEnabled(false);
        chbEncomenda->SetEnabled(false);
        chbOrcamento->SetChecked(true);
        chbEncomenda->SetChecked(true);
        grbTipoClie->SetEnabled(false);
        chbFisica->SetEnabled(false);
        chbJuridica->SetEnabled(false);
        chbOutros->SetEnabled(false);
        chbFisica->SetChecked(true);
        chbJuridica->SetChecked(true);
        chbOutros->SetChecked(true);
        depDeDtAn->SetEditStyle(1);
        depDeDtAn->SetShowDia(false);
        depDeDtAn->SetText(QString());
    } else if (ReportVariant() == 1) {
        // Clients by line of business: no date, clients and lines of business.
        depDeDtAn->SetShowDia(true);
        grbDtAn->SetEnabled(false);
        lblDe->SetEnabled(false);
        lblDe->SetCaption(QStringLiteral("de"));
        lblAte->SetEnabled(false);
        depDeDtAn->SetText(QString());
        depAteDtAn->SetText(QString());
        depDeDtAn->SetEnabled(false);
        depAteDtAn->SetEnabled(false);
        grbCliente->SetEnabled(true);
        grbRamoAtiv->SetEnabled(true);
        rbtTRamoAtiv->SetEnabled(true);
        rbtLRamoAtiv->SetEnabled(true);
        grbBairro->SetEnabled(false);
        rbtTBairro->SetEnabled(false);
        rbtLBairro->SetEnabled(false);
        rbtTBairro->SetChecked(true);
        grbTpOrcamento->SetEnabled(false);
        chbOrcamento->SetEnabled(false);
        chbEncomenda->SetEnabled(false);
        chbOrcamento->SetChecked(true);
        chbEncomenda->SetChecked(true);
        grbTipoClie->SetEnabled(false);
        chbFisica->SetEnabled(false);
        chbJuridica->SetEnabled(false);
        chbOutros->SetEnabled(false);
        chbFisica->SetChecked(true);
        chbJuridica->SetChecked(true);
        chbOutros->SetChecked(true);
        depDeDtAn->SetEditStyle(0);
    } else if (ReportVariant() == 2) {
        // Birthdays of a period: the range, clients, lines of business, neighbourhoods and origin.
        grbDtAn->SetEnabled(true);
        lblDe->SetEnabled(true);
        lblDe->SetCaption(QStringLiteral("de"));
        lblAte->SetEnabled(true);
        depDeDtAn->SetEnabled(true);
        depAteDtAn->SetEnabled(true);
        grbCliente->SetEnabled(true);
        grbRamoAtiv->SetEnabled(true);
        rbtTRamoAtiv->SetEnabled(true);
        rbtLRamoAtiv->SetEnabled(true);
        grbBairro->SetEnabled(true);
        rbtTBairro->SetEnabled(true);
        rbtLBairro->SetEnabled(true);
        grbTpOrcamento->SetEnabled(true);
        chbOrcamento->SetEnabled(true);
        chbEncomenda->SetEnabled(true);
        grbTipoClie->SetEnabled(false);
        chbFisica->SetEnabled(false);
        chbJuridica->SetEnabled(false);
        chbOutros->SetEnabled(false);
        chbFisica->SetChecked(true);
        chbJuridica->SetChecked(true);
        chbOutros->SetChecked(true);
        depDeDtAn->SetEditStyle(0);
        depDeDtAn->SetShowDia(true);
    } else if (ReportVariant() == 3) {
        // Clients by type: no date, clients, lines of business, origin and client type.
        grbDtAn->SetEnabled(false);
        depDeDtAn->SetText(QString());
        depAteDtAn->SetText(QString());
        lblDe->SetEnabled(false);
        lblDe->SetCaption(QStringLiteral("de"));
        lblAte->SetEnabled(false);
        depDeDtAn->SetEnabled(false);
        depAteDtAn->SetEnabled(false);
        grbCliente->SetEnabled(true);
        grbRamoAtiv->SetEnabled(true);
        rbtTRamoAtiv->SetEnabled(true);
        rbtLRamoAtiv->SetEnabled(true);
        grbBairro->SetEnabled(false);
        rbtTBairro->SetEnabled(false);
        rbtLBairro->SetEnabled(false);
        rbtTBairro->SetChecked(true);
        grbTpOrcamento->SetEnabled(true);
        chbOrcamento->SetEnabled(true);
        chbEncomenda->SetEnabled(true);
        chbOrcamento->SetChecked(true);
        chbEncomenda->SetChecked(true);
        grbTipoClie->SetEnabled(true);
        chbFisica->SetEnabled(true);
        chbJuridica->SetEnabled(true);
        chbOutros->SetEnabled(true);
        chbFisica->SetChecked(true);
        chbJuridica->SetChecked(true);
        chbOutros->SetChecked(true);
        depDeDtAn->SetEditStyle(0);
        depDeDtAn->SetShowDia(true);
    }
}

// ---- selection lists ---------------------------------------------------------------------------

void TfrmDadosCliente::lookup(TADOIBQuery* query, TDataSource* source, const QString& keyField,
                              const QString& titleKey, const QString& emptyKey, TRadioButton* listRadio,
                              QString& selection) {
    // Run anew every time: rows of an earlier lookup are never reused.
    query->Close();
    query->Open();
    try {
        if (query->IsEmpty())
            MensErro(msgPadrao->Msg(emptyKey), true);
    } catch (...) {
        listRadio->SetFocus();
        throw;
    }
    const QString title = msgPadrao->Msg(titleKey);
    PesquisaLista(source, keyField, title, false, selection);
}

void TfrmDadosCliente::sbtClienteClick(QObject* Sender) {
    lookup(qryCliente, dtsCliente_, QStringLiteral("CDCLIENTE"), QStringLiteral("CLIENTE"),
           QStringLiteral("CLIE"), rbtLCliente, ListaCliente);
}

void TfrmDadosCliente::sbtRamoAtivClick(QObject* Sender) {
    lookup(qryRamoAtiv, dspRamoAtiv_, QStringLiteral("CDATIVCLI"), QStringLiteral("RAMO"),
           QStringLiteral("Ramo_N_CAD"), rbtLRamoAtiv, ListaRamoAtiv);
}

void TfrmDadosCliente::sbtBairroClick(QObject* Sender) {
    lookup(qryBairro, dtsBairro_, QStringLiteral("BAIRROMUNI"), QStringLiteral("BA"),
           QStringLiteral("BAIRRO"), rbtLBairro, ListaBairro);
}

void TfrmDadosCliente::rbtTClienteClick(QObject* Sender) {
    sbtCliente->SetEnabled(!rbtTCliente->Checked());
    ListaCliente.clear();
}

void TfrmDadosCliente::rbtLClienteClick(QObject* Sender) {
    sbtCliente->SetEnabled(!rbtTCliente->Checked());
}

void TfrmDadosCliente::rbtTRamoAtivClick(QObject* Sender) {
    sbtRamoAtiv->SetEnabled(!rbtTRamoAtiv->Checked());
    ListaRamoAtiv.clear();
}

void TfrmDadosCliente::rbtLRamoAtivClick(QObject* Sender) {
    sbtRamoAtiv->SetEnabled(!rbtTRamoAtiv->Checked());
}

void TfrmDadosCliente::rbtTBairroClick(QObject* Sender) {
    sbtBairro->SetEnabled(!rbtTBairro->Checked());
    ListaBairro.clear();
}

void TfrmDadosCliente::rbtLBairroClick(QObject* Sender) {
    sbtBairro->SetEnabled(!rbtTBairro->Checked());
}

// F9 runs the list's lookup whatever the modifiers and the state of its button; the key is left as it came.
void TfrmDadosCliente::rbtLClienteKeyDown(QObject* Sender, int& Key, TShiftState Shift) {
    if (Key == HostKey::F9)
        sbtClienteClick(Sender);
}

void TfrmDadosCliente::rbtLRamoAtivKeyDown(QObject* Sender, int& Key, TShiftState Shift) {
    if (Key == HostKey::F9)
        sbtRamoAtivClick(Sender);
}

void TfrmDadosCliente::rbtLBairroKeyDown(QObject* Sender, int& Key, TShiftState Shift) {
    if (Key == HostKey::F9)
        sbtBairroClick(Sender);
}

// ---- validation and actions --------------------------------------------------------------------

void TfrmDadosCliente::fail(QWidget* control, const QString& key) {
    HostControl::setFocus(control);
    MensErro(msgPadrao->Msg(key), true);
    throw EAbort(); // MensErro with true never returns
}

void TfrmDadosCliente::ValidaCampos() {
    depDeDtAn->CheckValidDate();
    depAteDtAn->CheckValidDate();
    if (grbDtAn->Enabled()) {
        if (depDeDtAn->GetDate() < 0)
            fail(depDeDtAn, QStringLiteral("Dt<0"));
        if (depAteDtAn->GetDate() < 0 && ReportVariant() != 0)
            fail(depAteDtAn, QStringLiteral("Dt<0"));
        if (EmptyString(depDeDtAn->Text()))
            fail(depDeDtAn, QStringLiteral("DtEvenIni_inf"));
        if (EmptyString(depAteDtAn->Text()) && ReportVariant() != 0)
            fail(depAteDtAn, QStringLiteral("DtEvenFin_inf"));
        if (depAteDtAn->GetDate() < depDeDtAn->GetDate() && ReportVariant() != 0)
            fail(depDeDtAn, QStringLiteral("DtIni>DtFin"));
    }
    if (rbtLCliente->Checked() && EmptyString(ListaCliente))
        fail(rbtLCliente, QStringLiteral("CLIE"));
    if (rbtLRamoAtiv->Checked() && EmptyString(ListaRamoAtiv))
        fail(rbtLRamoAtiv, QStringLiteral("RAMO_Inf"));
    if (rbtLBairro->Checked() && EmptyString(ListaBairro))
        fail(rbtLBairro, QStringLiteral("BAIRRO"));
    if (grbTpOrcamento->Enabled() && !chbOrcamento->Checked() && !chbEncomenda->Checked())
        fail(chbOrcamento, QStringLiteral("inf_origem"));
    if (grbTipoClie->Enabled() && !chbFisica->Checked() && !chbJuridica->Checked() && !chbOutros->Checked())
        fail(chbFisica, QStringLiteral("inf_tipocli"));
}

void TfrmDadosCliente::sbtPreviewClick(QObject* Sender) {
    ValidaCampos();
    TfrmDadosGerRel::sbtPreviewClick(Sender);
}

void TfrmDadosCliente::sbtPrintClick(QObject* Sender) {
    ValidaCampos();
    TfrmDadosGerRel::sbtPrintClick(Sender);
}

void TfrmDadosCliente::sbtSalvarComoClick(QObject* Sender) {
    ValidaCampos();
    TfrmDadosGerRel::sbtSalvarComoClick(Sender);
}

void TfrmDadosCliente::sbtConfigImprClick(QObject* Sender) {
    ValidaCampos();
    TfrmDadosGerRel::sbtConfigImprClick(Sender);
}

void TfrmDadosCliente::sbtReportEditClick(QObject* Sender) {
    ValidaCampos();
    TfrmDadosGerRel::sbtReportEditClick(Sender);
}

void TfrmDadosCliente::depDeDtAnExit(QObject* Sender) {
    depDeDtAn->CheckValidDate();
}

void TfrmDadosCliente::depAteDtAnExit(QObject* Sender) {
    depAteDtAn->CheckValidDate();
}

// ---- report query parameters -------------------------------------------------------------------

void TfrmDadosCliente::rpddPadraoBeforeGetQueryParams(TParams* Params, bool& Flag) {
    QString origem = QStringLiteral("_");
    QString tipoCliente = QStringLiteral(""); // empty, never null: the query receives a text
    const bool semPeriodo = EmptyString(depDeDtAn->Text()) && EmptyString(depAteDtAn->Text());
    if (semPeriodo) {
        if (ExistParam(Params, QStringLiteral("P_TDTNASCCLIE")))
            Params->ParamByName(QStringLiteral("P_TDTNASCCLIE")).SetAsVariant(QStringLiteral("T"));
        if (ExistParam(Params, QStringLiteral("P_DTINICIAL")))
            Params->ParamByName(QStringLiteral("P_DTINICIAL")).SetAsDateTime(0);
        if (ExistParam(Params, QStringLiteral("P_DTFINAL")))
            Params->ParamByName(QStringLiteral("P_DTFINAL")).SetAsDateTime(0);
    } else {
        if (ExistParam(Params, QStringLiteral("P_TDTNASCCLIE")))
            Params->ParamByName(QStringLiteral("P_TDTNASCCLIE")).SetAsVariant(QStringLiteral(""));
        if (ExistParam(Params, QStringLiteral("P_DTINICIAL")))
            Params->ParamByName(QStringLiteral("P_DTINICIAL")).SetAsDateTime(depDeDtAn->GetDate());
        if (ExistParam(Params, QStringLiteral("P_DTFINAL")))
            Params->ParamByName(QStringLiteral("P_DTFINAL")).SetAsDateTime(depAteDtAn->GetDate());
    }
    if (ExistParam(Params, QStringLiteral("L_CLIENTE")))
        Params->ParamByName(QStringLiteral("L_CLIENTE"))
            .SetAsString(rbtTCliente->Checked() ? QStringLiteral("T") : ListaCliente);
    if (ExistParam(Params, QStringLiteral("L_RAMOATIV")))
        Params->ParamByName(QStringLiteral("L_RAMOATIV"))
            .SetAsString(rbtTRamoAtiv->Checked() ? QStringLiteral("T") : ListaRamoAtiv);
    if (ExistParam(Params, QStringLiteral("L_BAIRRO")))
        Params->ParamByName(QStringLiteral("L_BAIRRO"))
            .SetAsString(rbtTBairro->Checked() ? QStringLiteral("T") : ListaBairro);
    if (ExistParam(Params, QStringLiteral("P_IDTPORCAEVEN"))) {
        if (chbOrcamento->Checked())
            origem += QStringLiteral("O_");
        if (chbEncomenda->Checked())
            origem += QStringLiteral("E_");
        Params->ParamByName(QStringLiteral("P_IDTPORCAEVEN")).SetAsVariant(origem);
    }
    if (ExistParam(Params, QStringLiteral("P_IDTPIJURCLIE"))) {
        if (chbFisica->Checked())
            tipoCliente = QStringLiteral("F");
        if (chbJuridica->Checked())
            tipoCliente += QStringLiteral("J");
        if (chbOutros->Checked())
            tipoCliente += QStringLiteral("O");
        Params->ParamByName(QStringLiteral("P_IDTPIJURCLIE")).SetAsVariant(tipoCliente);
    }
    if (ExistParam(Params, QStringLiteral("P_CDFILIAL"))) {
        TParam& filial = Params->ParamByName(QStringLiteral("P_CDFILIAL"));
        filial.SetAsVariant(FiliProc());
    }
}
