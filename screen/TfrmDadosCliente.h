#pragma once
// "Dados do Cliente" (screen QMT31800, reports QMT318): the client report filter screen.
#include "Cli_qmt31800.h"
#include "data/TADOIBQuery.h"
#include "data/TADOIBStringField.h"
#include "data/TDataSource.h"
#include "forms/TCheckBox.h"
#include "forms/TGroupBox.h"
#include "forms/TLabel.h"
#include "forms/TRadioButton.h"
#include "library/TButtonFlat.h"
#include "library/TDateEditPlus.h"
#include "reporting/TfrmDadosGerRel.h"

class QMT31800_EXPORT TfrmDadosCliente : public TfrmDadosGerRel {
    Q_OBJECT
    // Published fields, in declaration order.
    Q_PROPERTY(TADOIBQuery* qryCliente MEMBER qryCliente)
    Q_PROPERTY(TADOIBStringField* qryClienteCDCLIENTE MEMBER qryClienteCDCLIENTE)
    Q_PROPERTY(TADOIBStringField* qryClienteIDTPIJURCLIE MEMBER qryClienteIDTPIJURCLIE)
    Q_PROPERTY(TADOIBStringField* qryClienteNRINSJURCLIE MEMBER qryClienteNRINSJURCLIE)
    Q_PROPERTY(TADOIBStringField* qryClienteNMFANTCLIE MEMBER qryClienteNMFANTCLIE)
    Q_PROPERTY(TADOIBStringField* qryClienteNMRAZSOCCLIE MEMBER qryClienteNMRAZSOCCLIE)
    Q_PROPERTY(TADOIBStringField* qryClienteNMPAIS MEMBER qryClienteNMPAIS)
    Q_PROPERTY(TADOIBStringField* qryClienteSGESTADO MEMBER qryClienteSGESTADO)
    Q_PROPERTY(TADOIBStringField* qryClienteNMMUNICIPIO MEMBER qryClienteNMMUNICIPIO)
    Q_PROPERTY(TADOIBStringField* qryClienteDSENDECLIE MEMBER qryClienteDSENDECLIE)
    Q_PROPERTY(TDataSource* dtsCliente_ MEMBER dtsCliente_)
    Q_PROPERTY(TDataSource* dspRamoAtiv_ MEMBER dspRamoAtiv_)
    Q_PROPERTY(TADOIBQuery* qryBairro MEMBER qryBairro)
    Q_PROPERTY(TDataSource* dtsBairro_ MEMBER dtsBairro_)
    Q_PROPERTY(TADOIBStringField* qryBairroCDBAIRRO MEMBER qryBairroCDBAIRRO)
    Q_PROPERTY(TADOIBStringField* qryBairroNMBAIRRO MEMBER qryBairroNMBAIRRO)
    Q_PROPERTY(TADOIBStringField* qryBairroNMMUNICIPIO MEMBER qryBairroNMMUNICIPIO)
    Q_PROPERTY(TADOIBQuery* qryRamoAtiv MEMBER qryRamoAtiv)
    Q_PROPERTY(TADOIBStringField* qryRamoAtivCDARVATIVCLI MEMBER qryRamoAtivCDARVATIVCLI)
    Q_PROPERTY(TADOIBStringField* qryRamoAtivCDATIVCLI MEMBER qryRamoAtivCDATIVCLI)
    Q_PROPERTY(TADOIBStringField* qryRamoAtivDSATIVCLI MEMBER qryRamoAtivDSATIVCLI)
    Q_PROPERTY(TADOIBStringField* qryBairroBAIRROMUNI MEMBER qryBairroBAIRROMUNI)
    Q_PROPERTY(TGroupBox* grbCliente MEMBER grbCliente)
    Q_PROPERTY(TButtonFlat* sbtCliente MEMBER sbtCliente)
    Q_PROPERTY(TRadioButton* rbtTCliente MEMBER rbtTCliente)
    Q_PROPERTY(TRadioButton* rbtLCliente MEMBER rbtLCliente)
    Q_PROPERTY(TGroupBox* grbRamoAtiv MEMBER grbRamoAtiv)
    Q_PROPERTY(TButtonFlat* sbtRamoAtiv MEMBER sbtRamoAtiv)
    Q_PROPERTY(TRadioButton* rbtTRamoAtiv MEMBER rbtTRamoAtiv)
    Q_PROPERTY(TRadioButton* rbtLRamoAtiv MEMBER rbtLRamoAtiv)
    Q_PROPERTY(TGroupBox* grbBairro MEMBER grbBairro)
    Q_PROPERTY(TButtonFlat* sbtBairro MEMBER sbtBairro)
    Q_PROPERTY(TRadioButton* rbtTBairro MEMBER rbtTBairro)
    Q_PROPERTY(TRadioButton* rbtLBairro MEMBER rbtLBairro)
    Q_PROPERTY(TGroupBox* grbTipoClie MEMBER grbTipoClie)
    Q_PROPERTY(TCheckBox* chbFisica MEMBER chbFisica)
    Q_PROPERTY(TCheckBox* chbJuridica MEMBER chbJuridica)
    Q_PROPERTY(TCheckBox* chbOutros MEMBER chbOutros)
    Q_PROPERTY(TGroupBox* grbTpOrcamento MEMBER grbTpOrcamento)
    Q_PROPERTY(TCheckBox* chbOrcamento MEMBER chbOrcamento)
    Q_PROPERTY(TCheckBox* chbEncomenda MEMBER chbEncomenda)
    Q_PROPERTY(TGroupBox* grbDtAn MEMBER grbDtAn)
    Q_PROPERTY(TLabel* lblDe MEMBER lblDe)
    Q_PROPERTY(TLabel* lblAte MEMBER lblAte)
    Q_PROPERTY(TDateEditPlus* depDeDtAn MEMBER depDeDtAn)
    Q_PROPERTY(TDateEditPlus* depAteDtAn MEMBER depAteDtAn)

public:
    explicit TfrmDadosCliente(QWidget* parent = nullptr);
    ~TfrmDadosCliente() override;

    TADOIBQuery* qryCliente = nullptr;
    TADOIBStringField* qryClienteCDCLIENTE = nullptr;
    TADOIBStringField* qryClienteIDTPIJURCLIE = nullptr;
    TADOIBStringField* qryClienteNRINSJURCLIE = nullptr;
    TADOIBStringField* qryClienteNMFANTCLIE = nullptr;
    TADOIBStringField* qryClienteNMRAZSOCCLIE = nullptr;
    TADOIBStringField* qryClienteNMPAIS = nullptr;
    TADOIBStringField* qryClienteSGESTADO = nullptr;
    TADOIBStringField* qryClienteNMMUNICIPIO = nullptr;
    TADOIBStringField* qryClienteDSENDECLIE = nullptr;
    TDataSource* dtsCliente_ = nullptr;
    TDataSource* dspRamoAtiv_ = nullptr;
    TADOIBQuery* qryBairro = nullptr;
    TDataSource* dtsBairro_ = nullptr;
    TADOIBStringField* qryBairroCDBAIRRO = nullptr;
    TADOIBStringField* qryBairroNMBAIRRO = nullptr;
    TADOIBStringField* qryBairroNMMUNICIPIO = nullptr;
    TADOIBQuery* qryRamoAtiv = nullptr;
    TADOIBStringField* qryRamoAtivCDARVATIVCLI = nullptr;
    TADOIBStringField* qryRamoAtivCDATIVCLI = nullptr;
    TADOIBStringField* qryRamoAtivDSATIVCLI = nullptr;
    TADOIBStringField* qryBairroBAIRROMUNI = nullptr;
    TGroupBox* grbCliente = nullptr;
    TButtonFlat* sbtCliente = nullptr;
    TRadioButton* rbtTCliente = nullptr;
    TRadioButton* rbtLCliente = nullptr;
    TGroupBox* grbRamoAtiv = nullptr;
    TButtonFlat* sbtRamoAtiv = nullptr;
    TRadioButton* rbtTRamoAtiv = nullptr;
    TRadioButton* rbtLRamoAtiv = nullptr;
    TGroupBox* grbBairro = nullptr;
    TButtonFlat* sbtBairro = nullptr;
    TRadioButton* rbtTBairro = nullptr;
    TRadioButton* rbtLBairro = nullptr;
    TGroupBox* grbTipoClie = nullptr;
    TCheckBox* chbFisica = nullptr;
    TCheckBox* chbJuridica = nullptr;
    TCheckBox* chbOutros = nullptr;
    TGroupBox* grbTpOrcamento = nullptr;
    TCheckBox* chbOrcamento = nullptr;
    TCheckBox* chbEncomenda = nullptr;
    TGroupBox* grbDtAn = nullptr;
    TLabel* lblDe = nullptr;
    TLabel* lblAte = nullptr;
    TDateEditPlus* depDeDtAn = nullptr;
    TDateEditPlus* depAteDtAn = nullptr;

    // Puts the filters into the state the selected report variant requires.
    void habilitaCampos();
    // Refuses incomplete or inconsistent filters: focus, message, abort.
    void ValidaCampos();

public slots:
    void FormCreate(QObject* Sender);
    void FormClose(QObject* Sender, TCloseAction& Action);
    void FormActivate(QObject* Sender);
    void rpddPadraoBeforeGetQueryParams(TParams* Params, bool& Flag);
    void cbbReportNamesChange(QObject* Sender);
    void sbtPreviewClick(QObject* Sender);
    void sbtReportEditClick(QObject* Sender);
    void sbtPrintClick(QObject* Sender);
    void sbtSalvarComoClick(QObject* Sender);
    void sbtConfigImprClick(QObject* Sender);
    void sbtClienteClick(QObject* Sender);
    void rbtLClienteClick(QObject* Sender);
    void rbtLClienteKeyDown(QObject* Sender, int& Key, TShiftState Shift);
    void rbtTClienteClick(QObject* Sender);
    void sbtRamoAtivClick(QObject* Sender);
    void rbtTRamoAtivClick(QObject* Sender);
    void rbtLRamoAtivClick(QObject* Sender);
    void rbtLRamoAtivKeyDown(QObject* Sender, int& Key, TShiftState Shift);
    void sbtBairroClick(QObject* Sender);
    void rbtTBairroClick(QObject* Sender);
    void rbtLBairroClick(QObject* Sender);
    void rbtLBairroKeyDown(QObject* Sender, int& Key, TShiftState Shift);
    void depDeDtAnExit(QObject* Sender);
    void depAteDtAnExit(QObject* Sender);

private:
    void lookup(TADOIBQuery* query, TDataSource* source, const QString& keyField, const QString& titleKey,
                const QString& emptyKey, TRadioButton* listRadio, QString& selection);
    [[noreturn]] void fail(QWidget* control, const QString& key);
};
