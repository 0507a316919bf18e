#pragma once
// The report editor, for the clerk who adjusts a report: the title, the columns and the grouping
// chosen from the fields the query returns (shown by a label, the column name beside it), the
// criteria printed under the title as a table (their JSON behind "Avançado"), page set-up, and
// page 1 as it will print beside the form, redrawn shortly after each change. Every change can be
// undone and redone; "Salvar" is there once something changed and accepts only a definition that
// the request's check passes; leaving with changes asks first. The SQL texts stay for the
// administrator, with "Testar".
#include "host_export.h"
#include "reporting/ReportEditRequest.h"
#include "reporting/editor/ReportSample.h"

#include <QDialog>
#include <QTimer>
#include <QUndoStack>
#include <functional>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class LivePageView;

class HOST_EXPORT ReportDesignerWindow : public QDialog {
    Q_OBJECT
public:
    // Reads the query's fields and first rows on the session's connection when it is open.
    ReportDesignerWindow(ReportEditRequest& request, QWidget* parent = nullptr);
    // The same with the query already read (tests, a window without a database).
    ReportDesignerWindow(ReportEditRequest& request, ReportSample sample, QWidget* parent = nullptr);
    ~ReportDesignerWindow() override;
    static bool exec(ReportEditRequest& request, QWidget* parent);

    // The definition as edited now.
    ReportDefinition definition() const { return m_def; }
    QUndoStack& undoStack() { return m_undo; }
    const ReportSample& sample() const { return m_sample; }
    // The live page as shown now (redrawn when the change timer fires).
    LivePageView& livePage() const { return *m_page; }
    // Redraws the live page now instead of after the short wait.
    void redrawNow();

    // One step back: criteria text that does not read yet first, then the last change.
    void undo();
    // Leaving with unsaved changes asks first.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class DefinitionChange;
    enum Section { General = 1, Sql = 2, Columns = 4, Criteria = 8, Advanced = 16, All = 31 };

    void build();
    // Applies an edit of the form: one step on the undo stack (consecutive steps of the same
    // mergeKey, typing in one box, are one step). The sections in refresh show the new definition.
    void change(const std::function<void(ReportDefinition&)>& edit, int mergeKey = -1, int refresh = 0);
    // Shows a definition in the sections given (undo and redo show it in all of them).
    void display(const ReportDefinition& d, int sections);
    void showColumns();
    void showCriteria();
    void fillFieldChoices(QComboBox* box, const QString& current, bool allowNone);
    void moveColumn(int from, int to);
    void addCriterion();
    void save();
    void redraw();
    // What is wrong with the criteria text, or nothing.
    QString criteriaProblem() const;

    ReportEditRequest& m_request;
    ReportSample m_sample;
    ReportDefinition m_def;
    QUndoStack m_undo;
    QTimer m_redrawTimer;
    bool m_showing = false; // the form is being filled from the definition: its signals are no edits
    // The lookups the criteria form offers: (text, Firebird text) of the definition's criteria.
    std::vector<std::pair<QString, QString>> m_lookups;

    QLineEdit* m_title;
    QSpinBox* m_order;
    QComboBox* m_orientation;
    QComboBox* m_paper;
    QDoubleSpinBox* m_fontSize;
    QComboBox* m_groupField;
    QLineEdit* m_groupHeader;
    QComboBox* m_insertField;
    QLineEdit* m_groupCount;
    QLineEdit* m_total;
    std::vector<QPlainTextEdit*> m_sqlTexts;
    QLineEdit* m_lists;
    QTableWidget* m_columns;
    QTableWidget* m_criteriaTable;
    QPlainTextEdit* m_criteria;
    QLabel* m_criteriaStatus;
    LivePageView* m_page;
    QLabel* m_pageNote;
    QPushButton* m_save;
};
