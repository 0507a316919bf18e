#pragma once
// The report preview: one page at a time, drawn when it is shown; page navigation, zoom (fit width,
// fit page, percentages), print and export to PDF, XLSX or CSV.
#include "host_export.h"
#include "reporting/export/ReportExport.h"
#include <QDialog>

class ReportDocument;
class QComboBox;
class QLabel;
class QScrollArea;
class QSpinBox;

class HOST_EXPORT ReportPreviewWindow : public QDialog {
    Q_OBJECT
public:
    ReportPreviewWindow(ReportDocument& document, QWidget* parent = nullptr);
    static void exec(ReportDocument& document, QWidget* parent);

    int currentPage() const { return m_page; } // 0-based
    void showPage(int page);
    double zoom() const; // device pixels per point of the page

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void render();
    void printDocument();
    void exportTo(ReportExport::Format format);

    ReportDocument& m_doc;
    int m_page = 0;
    QScrollArea* m_scroll;
    QLabel* m_canvas;
    QSpinBox* m_pageBox;
    QComboBox* m_zoomBox;
};
