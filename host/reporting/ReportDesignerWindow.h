#pragma once
// The report designer: title, SQL texts per database, list parameters, columns (field, header,
// width, alignment, elide or wrap, format, field size), grouping, the criteria printed under the
// title (edited as their JSON) and page set-up. "Testar" previews with the
// screen's current filters; "Salvar" accepts only a definition that the request's check passes.
#include "host_export.h"
#include "reporting/ReportEditRequest.h"

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QTableWidget;

class HOST_EXPORT ReportDesignerWindow : public QDialog {
    Q_OBJECT
public:
    ReportDesignerWindow(ReportEditRequest& request, QWidget* parent = nullptr);
    static bool exec(ReportEditRequest& request, QWidget* parent);

    // The definition as the fields show it now.
    ReportDefinition definition() const;

private:
    void load(const ReportDefinition& d);
    void addColumn(const ReportColumn& c);
    void save();
    // What is wrong with the criteria text, or nothing.
    QString criteriaProblem() const;

    ReportEditRequest& m_request;
    QLineEdit* m_title;
    QSpinBox* m_order;
    QPlainTextEdit* m_sql;
    QPlainTextEdit* m_sqlIb;
    QPlainTextEdit* m_sqlOracle;
    QPlainTextEdit* m_sqlMssql;
    QLineEdit* m_lists;
    QTableWidget* m_columns;
    QPlainTextEdit* m_criteria;
    QLineEdit* m_groupField;
    QLineEdit* m_groupHeader;
    QLineEdit* m_groupCount;
    QLineEdit* m_total;
    QComboBox* m_orientation;
    QComboBox* m_paper;
    QDoubleSpinBox* m_fontSize;
};
