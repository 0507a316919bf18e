#pragma once
// The base of report-filter screens: the report-name combo box of the screen's report code, the five
// report actions, the message table, and the report designer dialog that asks the screen for the
// query's parameters. A derived screen hooks the handlers below by publishing slots of the same
// names and calling these itself.
#include "forms/TBevel.h"
#include "forms/TComboBox.h"
#include "forms/TForm.h"
#include "forms/TGroupBox.h"
#include "forms/TLabel.h"
#include "forms/TPanel.h"
#include "forms/TPopupMenu.h"
#include "host_export.h"
#include "library/TButtonFlat.h"
#include "library/TMessages.h"
#include "reporting/TReportDesignerDialog.h"

#include <memory>

class ReportController;

class HOST_EXPORT TfrmDadosGerRel : public TForm {
    Q_OBJECT
    Q_PROPERTY(TPanel* panMenu MEMBER panMenu)
    Q_PROPERTY(TButtonFlat* sbtPreview MEMBER sbtPreview)
    Q_PROPERTY(TButtonFlat* sbtPrint MEMBER sbtPrint)
    Q_PROPERTY(TButtonFlat* sbtSalvarComo MEMBER sbtSalvarComo)
    Q_PROPERTY(TButtonFlat* sbtConfigImpr MEMBER sbtConfigImpr)
    Q_PROPERTY(TButtonFlat* sbtReportEdit MEMBER sbtReportEdit)
    Q_PROPERTY(TLabel* lblCodTela MEMBER lblCodTela)
    Q_PROPERTY(TGroupBox* grbDadosRel MEMBER grbDadosRel)
    Q_PROPERTY(TPanel* panRelat MEMBER panRelat)
    Q_PROPERTY(TLabel* lblCodRel MEMBER lblCodRel)
    Q_PROPERTY(TComboBox* cbbReportNames MEMBER cbbReportNames)
    Q_PROPERTY(TBevel* bvlSeparator MEMBER bvlSeparator)
    Q_PROPERTY(TMessages* msgPadrao MEMBER msgPadrao)
    Q_PROPERTY(TMessages* msgMensagens MEMBER msgMensagens)
    Q_PROPERTY(TReportDesignerDialog* rpddPadrao MEMBER rpddPadrao)
    Q_PROPERTY(TPopupMenu* ppmEditReport MEMBER ppmEditReport)

public:
    explicit TfrmDadosGerRel(QWidget* parent = nullptr);
    ~TfrmDadosGerRel() override;

    TPanel* panMenu = nullptr;
    TButtonFlat* sbtPreview = nullptr;
    TButtonFlat* sbtPrint = nullptr;
    TButtonFlat* sbtSalvarComo = nullptr;
    TButtonFlat* sbtConfigImpr = nullptr;
    TButtonFlat* sbtReportEdit = nullptr;
    TLabel* lblCodTela = nullptr;
    TGroupBox* grbDadosRel = nullptr;
    TPanel* panRelat = nullptr;
    TLabel* lblCodRel = nullptr;
    TComboBox* cbbReportNames = nullptr;
    TBevel* bvlSeparator = nullptr;
    TMessages* msgPadrao = nullptr;
    TMessages* msgMensagens = nullptr;
    TReportDesignerDialog* rpddPadrao = nullptr;
    TPopupMenu* ppmEditReport = nullptr;

    ReportController& reports();
    // The report variant of the selected entry: the filter rules it follows (a copy made with save
    // as follows those of the report it was copied from); -1 when nothing is selected.
    int ReportVariant() const;

public slots:
    void FormCreate(QObject* Sender);
    void FormActivate(QObject* Sender);
    void FormClose(QObject* Sender, TCloseAction& Action);
    void sbtPreviewClick(QObject* Sender);
    void sbtPrintClick(QObject* Sender);
    void sbtSalvarComoClick(QObject* Sender);
    void sbtConfigImprClick(QObject* Sender);
    void sbtReportEditClick(QObject* Sender);
    // The items of ppmEditReport, shown by a right click on the list or on "Editar".
    void mniRestaurarPadraoClick(QObject* Sender);
    void mniExcluirRelatorioClick(QObject* Sender);

private:
    // The controller's changes to the list of definitions, shown in cbbReportNames.
    void showReports(const QStringList& titles);
    void addReport(const QString& title);
    void renameReport(int index, const QString& title);
    void removeReport(int index);
    void installShortcuts();
    void installEditMenu();
    // Behind a pointer, so that what the base form keeps is no part of a derived screen's layout.
    struct Private;
    std::unique_ptr<Private> d;
};
