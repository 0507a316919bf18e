#pragma once
// The report preview: the pages one under the other in a continuous scroll, drawn as they come into
// sight, with their thumbnails beside them; go to a page, zoom (fit width, fit page, percentages,
// Ctrl+wheel), search the report's text (Ctrl+F), print a range of pages and export (PDF, XLSX, CSV). It
// opens while the report still runs: the pages arrive under it ("de 37…"), and printing and exporting wait
// for the last one.
#include "host_export.h"
#include "reporting/export/ReportExport.h"
#include <QDialog>

class ReportDocument;
class ReportPageView;
class ReportSearchBar;
class ReportThumbnailView;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QToolBar;
class QToolButton;

class HOST_EXPORT ReportPreviewWindow : public QDialog {
    Q_OBJECT
public:
    ReportPreviewWindow(ReportDocument& document, QWidget* parent = nullptr);
    static void exec(ReportDocument& document, QWidget* parent);

    int currentPage() const; // 0-based
    void showPage(int page);
    double zoom() const; // screen pixels per point of the page

    ReportPageView& pageView() const { return *m_view; }
    ReportThumbnailView& thumbnails() const { return *m_thumbnails; }
    ReportSearchBar& searchBar() const { return *m_searchBar; }

private:
    void addExportActions(QToolBar* bar);
    void updatePageCount();
    void showZoom(int zoom);
    void printDocument();
    void exportTo(ReportExport::Format format);

    ReportDocument& m_doc;
    ReportPageView* m_view;
    ReportThumbnailView* m_thumbnails;
    ReportSearchBar* m_searchBar;
    QSpinBox* m_pageBox;
    QLabel* m_pageCount;
    QComboBox* m_zoomBox;
    QToolButton* m_thumbnailsButton;
    QList<QPushButton*> m_whenComplete; // print and export: only once the report is complete
};
