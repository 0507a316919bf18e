#include "library/PesquisaLista.h"

#include "core/Errors.h"
#include "data/TDataSet.h"
#include "data/TDataSource.h"
#include "dialogs/LookupService.h"
#include "library/SelectionText.h"

#include <QtGlobal>

void PesquisaLista(TDataSource* ds, const QString& keyField, const QString& title, bool flag,
                   QString& selection) {
    if (!ds)
        throw EHostError(QStringLiteral("A pesquisa '%1' não tem fonte de dados.").arg(title));
    TDataSet* dataSet = ds->DataSet();
    if (!dataSet || !dataSet->Active())
        throw EHostError(QStringLiteral("A pesquisa '%1': a consulta da fonte de dados '%2' não está aberta.")
                             .arg(title, ds->objectName()));
    if (dataSet->columnOf(keyField) < 0)
        throw EHostError(
            QStringLiteral("A pesquisa '%1': o campo chave '%2' não está no resultado da consulta.")
                .arg(title, keyField));

    LookupRequest request;
    request.dataSource = ds;
    request.keyField = keyField;
    request.title = title;
    request.flag = flag;
    if (const std::optional<QStringList> keys = SelectionText::decode(selection))
        request.preselected = *keys;
    else
        // Not ours (written by hand or by another version): the dialog opens with nothing checked
        // and the text is only replaced if the user confirms.
        qWarning("PesquisaLista: seleção anterior ilegível, ignorada: %s", qPrintable(selection.left(80)));

    const std::optional<QStringList> chosen = LookupService::instance().chooseFromList(request);
    if (!chosen)
        return;
    selection = SelectionText::encode(*chosen);
}
