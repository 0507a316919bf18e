#include "reporting/TfrmDadosGerRel.h"

#include "forms/TApplication.h"
#include "reporting/ReportController.h"

#include <QAction>
#include <QKeySequence>
#include <QShortcut>
#include <QSignalBlocker>

struct TfrmDadosGerRel::Private {
    ReportController reports;
};

TfrmDadosGerRel::TfrmDadosGerRel(QWidget* parent) : TForm(parent), d(std::make_unique<Private>()) {
    connect(&d->reports, &ReportController::listed, this, &TfrmDadosGerRel::showReports);
    connect(&d->reports, &ReportController::added, this, &TfrmDadosGerRel::addReport);
    connect(&d->reports, &ReportController::renamed, this, &TfrmDadosGerRel::renameReport);
    connect(&d->reports, &ReportController::removed, this, &TfrmDadosGerRel::removeReport);
}
TfrmDadosGerRel::~TfrmDadosGerRel() = default;

ReportController& TfrmDadosGerRel::reports() {
    return d->reports;
}

void TfrmDadosGerRel::FormCreate(QObject* Sender) {
    ReportContext context;
    context.code = lblCodRel->Caption().trimmed();
    context.messages = msgPadrao;
    context.designer = rpddPadrao;
    context.window = this;
    d->reports.setContext(context);
    // A definition that cannot be read is reported; the screen still opens with the others.
    TApplication::guard([&] { d->reports.reload(); });
    installShortcuts();
    installEditMenu();
}

void TfrmDadosGerRel::FormActivate(QObject* Sender) {}

int TfrmDadosGerRel::ReportVariant() const {
    return cbbReportNames ? d->reports.variantAt(cbbReportNames->ItemIndex()) : -1;
}

void TfrmDadosGerRel::FormClose(QObject* Sender, TCloseAction& Action) {
    Action = caFree;
}

void TfrmDadosGerRel::sbtPreviewClick(QObject* Sender) {
    d->reports.preview(cbbReportNames->ItemIndex());
}
void TfrmDadosGerRel::sbtPrintClick(QObject* Sender) {
    d->reports.print(cbbReportNames->ItemIndex());
}
void TfrmDadosGerRel::sbtSalvarComoClick(QObject* Sender) {
    d->reports.saveAs(cbbReportNames->ItemIndex());
}
void TfrmDadosGerRel::sbtConfigImprClick(QObject* Sender) {
    d->reports.printerSetup(cbbReportNames->ItemIndex());
}
void TfrmDadosGerRel::sbtReportEditClick(QObject* Sender) {
    d->reports.edit(cbbReportNames->ItemIndex());
}

void TfrmDadosGerRel::mniRestaurarPadraoClick(QObject* Sender) {
    d->reports.restoreDefault(cbbReportNames->ItemIndex());
}
void TfrmDadosGerRel::mniExcluirRelatorioClick(QObject* Sender) {
    d->reports.remove(cbbReportNames->ItemIndex());
}

void TfrmDadosGerRel::showReports(const QStringList& titles) {
    if (!cbbReportNames)
        return;
    cbbReportNames->SetItems(titles);
    cbbReportNames->SetItemIndex(titles.isEmpty() ? -1 : 0);
}

void TfrmDadosGerRel::addReport(const QString& title) {
    if (!cbbReportNames)
        return;
    const int keep = cbbReportNames->ItemIndex();
    cbbReportNames->AddItem(title);
    cbbReportNames->SetItemIndex(keep);
}

void TfrmDadosGerRel::renameReport(int index, const QString& title) {
    if (!cbbReportNames || index >= cbbReportNames->count())
        return;
    // A new text for the selected item is not a new selection.
    const QSignalBlocker block(cbbReportNames);
    cbbReportNames->setItemText(index, title);
}

void TfrmDadosGerRel::removeReport(int index) {
    if (!cbbReportNames || index >= cbbReportNames->count())
        return;
    const bool selected = cbbReportNames->ItemIndex() == index;
    {
        const QSignalBlocker block(cbbReportNames);
        cbbReportNames->removeItem(index);
    }
    // The deleted report was on screen: the first one is, with its filter rules, as if picked.
    if (selected) {
        cbbReportNames->SetItemIndex(cbbReportNames->count() > 0 ? 0 : -1);
        cbbReportNames->userNotify(QStringLiteral("OnChange"));
    }
}

void TfrmDadosGerRel::installEditMenu() {
    if (!ppmEditReport || !cbbReportNames || !sbtReportEdit)
        return;
    QMenu* menu = ppmEditReport->menu();
    menu->clear();
    auto item = [this, menu](const QString& text, void (TfrmDadosGerRel::*handler)(QObject*)) {
        QAction* action = menu->addAction(text);
        connect(action, &QAction::triggered, this,
                [this, handler] { TApplication::guard([&] { (this->*handler)(ppmEditReport); }); });
        return action;
    };
    QAction* restore = item(QStringLiteral("Restaurar o padrão"), &TfrmDadosGerRel::mniRestaurarPadraoClick);
    QAction* remove = item(QStringLiteral("Excluir relatório…"), &TfrmDadosGerRel::mniExcluirRelatorioClick);
    // Each item only where it applies to the selected report.
    connect(menu, &QMenu::aboutToShow, this, [this, restore, remove] {
        const int index = cbbReportNames->ItemIndex();
        const bool listed = index >= 0 && index < int(d->reports.entries().size());
        restore->setEnabled(listed && !d->reports.entries()[size_t(index)].shipped.isEmpty());
        remove->setEnabled(listed && !d->reports.entries()[size_t(index)].isShipped());
    });
    for (QWidget* w : {static_cast<QWidget*>(cbbReportNames), static_cast<QWidget*>(sbtReportEdit)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [w, menu](const QPoint& at) { menu->popup(w->mapToGlobal(at)); });
    }
}

void TfrmDadosGerRel::installShortcuts() {
    // Each action's shortcut is named in its hint. None is one the window already binds (the MDI
    // child's Close takes Ctrl+W, a line edit's end of line Ctrl+E) or F9, the list radios' key.
    const struct {
        TButtonFlat* button;
        QKeySequence keys;
    } actions[] = {
        {sbtPreview, QKeySequence(Qt::CTRL | Qt::Key_R)},
        {sbtPrint, QKeySequence(Qt::CTRL | Qt::Key_P)},
        {sbtSalvarComo, QKeySequence(Qt::CTRL | Qt::Key_S)},
        {sbtConfigImpr, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P)},
        {sbtReportEdit, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E)},
    };
    for (const auto& a : actions) {
        auto* shortcut = new QShortcut(a.keys, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        TButtonFlat* button = a.button;
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->userNotify(QStringLiteral("OnClick"));
        });
    }
}
