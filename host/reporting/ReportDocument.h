#pragma once
// A report that has run: its rows (as the columns show them) and their layout in pages. The layout
// is one measuring pass that draws nothing and keeps the lines it decided; pages are drawn on demand,
// one at a time, so the first page of a long report is there at once and "Página X de Y" is known
// before it is drawn.
#include "host_export.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportLayout.h"
#include "reporting/pdf/PdfWriter.h"

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
    // The rows as the columns show them, for the table exports.
    const ReportRows& rows() const { return m_rows; }

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
    // Writes a PDF file atomically, through the PDF writer. Throws EHostError naming the file.
    void exportPdf(const QString& path) const;
    // How the PDF writer places a report's pages on paper.
    static PdfWriter::Options pdfOptions(const ReportDefinition& definition, const QPageLayout& layout);

private:
    // Reads the rows as laid out, for checks that look past the pages (ReportDocument_p.h).
    friend struct ReportDocumentRows;
    struct Page {
        std::vector<ReportLayout::Item> items;
        std::vector<ReportLayout::Piece> pieces; // the rows' lines, in the order of their items
    };
    class Collector;

    void paginate();
    void drawPage(ReportLayout::Canvas& canvas, int index) const;

    ReportDefinition m_def;
    ReportRows m_rows;
    QString m_branch;
    QDateTime m_issued;
    QPageLayout m_layout;
    std::vector<Page> m_pages;
    ReportLayout::Geometry m_geometry;
};

// Fonts of the report, sized in layout units.
namespace ReportFonts HOST_EXPORT {
QFont detail(double points);
QFont bold(double points);
} // namespace ReportFonts
