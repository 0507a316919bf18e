#pragma once
// The component library's multiple-choice lookup: shows the rows of the data source's dataset
// under the title, with the rows of the current selection checked, and on confirmation writes the
// keys (values of keyField) of the checked rows into selection, in SelectionText's format (no
// row checked gives an empty text). Cancelling leaves selection as it was. flag true asks for a
// single choice; the screens pass false. Throws EHostError when the dataset is not open or lacks
// the key field.
#include "host_export.h"

#include <QString>

class TDataSource;

HOST_EXPORT void PesquisaLista(TDataSource* ds, const QString& keyField, const QString& title, bool flag,
                               QString& selection);
