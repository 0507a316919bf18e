#pragma once
// The multiple-choice lookup: the rows of a data source's dataset (its visible fields under their
// display labels), a check per row, a filter over every visible column that ignores accents and
// case, "Marcar todos" / "Desmarcar todos", OK / Cancelar. One model over the dataset's rows and a
// filter proxy, no widget per row, so 100,000 rows open and filter at once.
// The flag of the request asks for a single choice: checking a row unchecks the others.
#include "dialogs/LookupService.h"
#include "host_export.h"

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
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

    int rowCount() const;        // rows of the dataset
    int visibleRowCount() const; // rows that pass the filter
    int columnCount() const;     // visible fields shown
    QString columnTitle(int column) const;
    // A cell as shown, by view position (after filtering).
    QString shownText(int visibleRow, int column) const;
    bool isChecked(int row) const; // by dataset row
    void setChecked(int row, bool checked);

    void setFilterText(const QString& text);
    // Both act on the rows that pass the filter.
    void checkAll();
    void uncheckAll();

    QLineEdit* filterEdit() const { return m_filter; }
    QTableView* view() const { return m_view; }
    QPushButton* checkAllButton() const { return m_checkAll; }
    QPushButton* uncheckAllButton() const { return m_uncheckAll; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    // Lower case without accents: what the filter compares.
    static QString fold(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void toggleSelectedRows();
    void updateStatus();

    LookupRowsModel* m_rows;
    LookupFilterModel* m_proxy;
    QLineEdit* m_filter;
    QTableView* m_view;
    QLabel* m_status;
    QPushButton* m_checkAll;
    QPushButton* m_uncheckAll;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
