#pragma once
// A report that has run: its rows (as the columns show them) and their layout in pages. The layout
// is one measuring pass that draws nothing; pages are drawn on demand, one at a time, so the first
// page of a long report is there at once and "Página X de Y" is known before it is drawn.
#include "host_export.h"
#include "reporting/ReportDefinition.h"

#include <QDateTime>
#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <vector>

class QPainter;
class QPagedPaintDevice;
class QPaintDevice;
class QFont;

struct HOST_EXPORT ReportRows {
    QStringList fields;               // the columns' fields, in column order
    std::vector<QStringList> cells;   // one text per column, formatted for display
    std::vector<QString> groupKeys;   // one per row when the report groups
    std::vector<QString> groupTitles; // the group caption of each row
};

class HOST_EXPORT ReportDocument {
public:
    // Layout coordinates are in tenths of a point (1/720 inch), from the top-left of the printable
    // area; fonts are sized in the same unit, so the layout is the same on every device.
    static constexpr double kUnitsPerInch = 720.0;

    ReportDocument(ReportDefinition definition, ReportRows rows, QString branch, QDateTime issued);

    const ReportDefinition& definition() const { return m_def; }
    const QString& title() const { return m_def.title; }
    const QString& branch() const { return m_branch; }
    const QDateTime& issued() const { return m_issued; }
    int rowCount() const { return int(m_rows.cells.size()); }

    const QPageLayout& pageLayout() const { return m_layout; }
    // A new page size, orientation or margins: lays the pages out again.
    void setPageLayout(const QPageLayout& layout);
    int pageCount() const { return int(m_pages.size()); }

    // Draws page index (0-based). The painter's coordinates must be layout units with the origin at
    // the top-left of the printable area (see prepare()).
    void drawPage(QPainter& painter, int index) const;
    // Sets up a painter on a device for drawPage: scale to layout units, origin at the printable area.
    static void prepare(QPainter& painter, const QPaintDevice& device, bool originAtPaper,
                        const QPageLayout& layout);
    // Prints pages from..to (1-based, inclusive; to = 0 for the last) on a printer or PDF writer,
    // giving it the document's page layout. Throws EHostError when the device cannot be painted.
    void print(QPagedPaintDevice& device, int from = 1, int to = 0) const;
    // Writes a PDF file atomically. Throws EHostError naming the file.
    void exportPdf(const QString& path) const;

private:
    // Reads the rows as laid out, for checks that look past the pages (ReportDocument_p.h).
    friend struct ReportDocumentRows;

    enum class ItemKind { Row, GroupHeader, GroupFooter, Total, Empty };
    struct Item {
        ItemKind kind;
        int row; // the row (Row), or the group's first row (GroupHeader, GroupFooter)
        double y;
        double height;
        bool continued = false; // a group header repeated at the top of a page
        int count = 0;          // rows counted by a footer or the total
    };
    struct Page {
        std::vector<Item> items;
    };
    struct Geometry {
        double width = 0, height = 0; // printable area
        double headerHeight = 0, footerHeight = 0;
        std::vector<double> columnX, columnW;
        double lineHeight = 0, groupHeight = 0, padding = 0;
    };

    void paginate();
    Geometry geometry() const;
    double rowHeight(int row, const Geometry& g) const;
    void drawHeader(QPainter& p, const Geometry& g, int pageIndex) const;
    void drawFooter(QPainter& p, const Geometry& g, int pageIndex) const;
    void drawItem(QPainter& p, const Geometry& g, const Item& item, bool shaded) const;

    ReportDefinition m_def;
    ReportRows m_rows;
    QString m_branch;
    QDateTime m_issued;
    QPageLayout m_layout;
    std::vector<Page> m_pages;
    Geometry m_geometry;
};

// Fonts of the report, sized in layout units.
namespace HOST_EXPORT ReportFonts {
QFont detail(double points);
QFont bold(double points);
} // namespace ReportFonts
