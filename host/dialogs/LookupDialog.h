#pragma once
// The multiple-choice lookup: the rows of a data source's dataset (its visible fields under their
// display labels), a check per row, a filter over every visible column that ignores accents and
// case, "Marcar todos" / "Desmarcar todos" (and Ctrl+A in the list) on the rows the filter shows,
// OK / Cancelar. One model over the dataset's rows and a filter proxy, no widget per row, so
// 100,000 rows open and filter at once.
// Every column opens wide enough for its header and its texts (measured on a sample of rows), and
// the dialog wide enough for every column, up to the screen's width; a text cut by its column has
// the whole text as its tooltip. The size and the column widths the user leaves are remembered
// for the same lookup until the application ends.
// The flag of the request asks for a single choice: checking a row unchecks the others.
// Its widgets are known by their object names (edtFiltro, grdLista, btnMarcarTodos,
// btnDesmarcarTodos, btnOK, btnCancelar, lblSituacao), and its rows by the list's model.
#include "dialogs/LookupService.h"
#include "host_export.h"

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;
class QTableView;
class LookupRowsModel;
class LookupFilterModel;

class HOST_EXPORT LookupDialog : public QDialog {
    Q_OBJECT
public:
    // Throws EHostError when the data source has no open dataset or the key field is not in it.
    explicit LookupDialog(const LookupRequest& request, QWidget* parent = nullptr);
    ~LookupDialog() override;

    // Shows the dialog modally: the keys of the checked rows in row order, or nothing when the
    // user cancelled.
    static std::optional<QStringList> run(const LookupRequest& request, QWidget* parent);

    // Keys of the checked rows in the dataset's row order, each key once.
    QStringList checkedKeys() const;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitToContents();
    void setShownRowsChecked(bool checked);
    void toggleSelectedRows();
    void updateStatus();

    LookupRowsModel* m_rows;
    LookupFilterModel* m_proxy;
    QLineEdit* m_filter;
    QTableView* m_view;
    QLabel* m_status;
    QString m_identity; // what tells this lookup from others when its layout is remembered
    bool m_single;
};
