#pragma once
// A report as it runs and once it has run: its rows (as the columns show them, ReportRowStore) and
// their layout in pages (ReportLayoutCache). Rows are laid out as they arrive, by one measuring pass
// that draws nothing and keeps only where each page begins (a run lays them out on its worker, through
// a ReportFeed, and the document takes the rows and the page starts in); a page is laid out again from
// its start when it is drawn, so the memory of a long report is neither its rows nor its pages. A page
// is there as soon as its rows have come, so a preview shows page 1 of a long report while the rest is
// still being read; the page count grows (pagesAdded) until the run completes ("Página X de Y" is
// known from then on).
#include "host_export.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportLayout.h"
#include "reporting/ReportLayoutCache.h"
#include "reporting/ReportRowStore.h"
#include "reporting/ReportRows.h"
#include "reporting/ReportSink.h"
#include "reporting/pdf/PdfWriter.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QPagedPaintDevice;
class QPaintDevice;
class QFont;

class HOST_EXPORT ReportDocument : public QObject {
    Q_OBJECT
public:
    // Layout coordinates are in tenths of a point (1/720 inch), from the top-left of the printable
    // area; fonts are sized in the same unit, so the layout is the same on every device.
    static constexpr double kUnitsPerInch = 720.0;

    // A report whose rows are still to come (appendRows, then complete or fail).
    ReportDocument(ReportDefinition definition, QString branch, QDateTime issued, QObject* parent = nullptr);
    // A complete report. criteria: the lines of the criteria block, printed under the title of the
    // first page.
    ReportDocument(ReportDefinition definition, ReportRows rows, QString branch, QDateTime issued,
                   QStringList criteria = {});
    ~ReportDocument() override;

    // The criteria block, known once the run has read its keys; before the first rows.
    void setCriteria(QStringList criteria);
    // The next rows, in report order (the same fields as the definition's columns): laid out at once.
    void appendRows(ReportRows rows);
    // No more rows: the last page is finished and the page count final.
    void complete();
    // The run stopped with that message; the pages laid out so far stay, the report is not complete.
    void fail(const QString& message);
    bool isComplete() const { return m_complete; }
    const QString& failure() const { return m_failure; }
    // Waits, handling events, until the run completes or fails; true when complete.
    bool waitUntilComplete();

    const ReportDefinition& definition() const { return m_def; }
    const QString& title() const { return m_def.title; }
    const QString& branch() const { return m_branch; }
    const QDateTime& issued() const { return m_issued; }
    // What the report was filtered by, as printed under the title of its first page.
    const QStringList& criteria() const { return m_criteria; }
    int rowCount() const { return m_rows->count(); }
    // The rows as the columns show them, in report order, for the table exports; visit returns false
    // to stop. Throws EHostError when the rows cannot be read back from their temporary file.
    void forEachRow(const std::function<bool(const ReportRowStore::Row& row)>& visit) const;
    // A copy of every row, for a small report (a long one is read with forEachRow).
    ReportRows rows() const;

    const QPageLayout& pageLayout() const { return m_layout; }
    // A new page size, orientation or margins: lays the pages out again (not while a ReportFeed
    // feeds the document).
    void setPageLayout(const QPageLayout& layout);
    // The pages laid out so far: those whose rows have all come, every page once complete.
    int pageCount() const { return m_finishedPages; }

    // Draws page index (0-based). The painter's coordinates must be layout units with the origin at
    // the top-left of the printable area (see prepare()).
    void drawPage(QPainter& painter, int index) const;
    // The same for a window's paint event, which nothing may throw out of: a page whose rows cannot
    // be read back (the row store's file lost) shows why instead.
    void drawPageOnScreen(QPainter& painter, int index) const noexcept;
    // Sets up a painter on a device for drawPage: scale to layout units, origin at the printable area.
    static void prepare(QPainter& painter, const QPaintDevice& device, bool originAtPaper,
                        const QPageLayout& layout);
    // Prints pages from..to (1-based, inclusive; to = 0 for the last) on a printer or PDF writer,
    // giving it the document's page layout. Throws EHostError when the device cannot be painted.
    // progress is told each page printed and stops the printing (EAbort) by returning true.
    void print(QPagedPaintDevice& device, int from = 1, int to = 0,
               const std::function<bool(int page)>& progress = {}) const;
    // The page index as laid out (see ReportLayoutCache), for reading what it shows.
    std::shared_ptr<const ReportLayoutCache::Page> page(int index) const;
    // The geometry the pages are laid out with.
    const ReportLayout::Geometry& geometry() const { return m_pages->geometry(); }
    // Draws a page's header, items and footer on any canvas (the search reads them through one).
    void drawPage(ReportLayout::Canvas& canvas, int index) const;
    // One text the body of a page draws (a row's line in a cell, a group caption, a count). The page's
    // header and footer are left out.
    struct TextRun {
        QString text;
        double x = 0, baseline = 0; // layout units
        TextMeasurer::Font font = TextMeasurer::Regular;
        double size = 0;
        int line = 0; // runs drawn on one line of the page share it
        // Where text.mid(from, length) is drawn, in layout units.
        QRectF box(int from, int length) const;
    };
    // The texts of page index's body, in the order they are drawn (empty for a page not laid out).
    std::vector<TextRun> pageText(int index) const;
    // Where a box in layout units lies on the paper, in points from its top-left corner.
    QRectF onPaper(const QRectF& box) const;
    // How the PDF writer places a report's pages on paper.
    static PdfWriter::Options pdfOptions(const ReportDefinition& definition, const QPageLayout& layout);

signals:
    void pagesAdded(int pageCount);
    void completed();
    void failed(const QString& message);

private:
    // Reads the rows behind the pages, for checks that look past them (ReportDocument_p.h).
    friend struct ReportDocumentRows;
    friend class ReportFeed;
    // What a feed hands over: rows, the starts of the pages begun and how many are finished; the
    // first one also brings the criteria block and the geometry the pages were laid out with.
    struct Batch {
        bool first = false;
        QStringList criteria;
        ReportLayout::Geometry geometry;
        ReportRowStore::Encoded rows;
        std::vector<ReportLayout::Paginator::State> starts;
        int finishedPages = 0;
    };

    // Lays out again, from the first row, every row that has come.
    void paginate();
    void addRow(const QStringList& cells, const QString& groupKey, const QString& groupTitle);
    void pageFinished(int index);
    void adopt(Batch batch);

    ReportDefinition m_def;
    QString m_branch;
    QDateTime m_issued;
    QStringList m_criteria;
    QPageLayout m_layout;
    std::unique_ptr<ReportRowStore> m_rows;
    std::unique_ptr<ReportLayoutCache> m_pages;
    std::unique_ptr<ReportLayoutCache::Starts> m_starts; // the document's own layout (not fed)
    int m_finishedPages = 0;
    bool m_complete = false;
    bool m_fed = false;   // laid out by a ReportFeed: its own layout is not used
    bool m_notify = true; // pagesAdded is told (not while the pages are laid out again)
    QString m_failure;
};

// Lays out, on the thread that reads a run's rows, the pages of a document that lives on another (the
// window's), and hands over the rows (encoded here) and where each page begins: the document's thread
// only appends them, so a row of any size never holds the window up, and Cancel is asked inside a long
// row's layout. The first page goes as soon as it is finished, the next ones at least ten times a
// second. The document must outlive the feed and is neither given rows nor laid out again meanwhile.
class HOST_EXPORT ReportFeed : public ReportSink {
public:
    // The document's definition and page layout are read here.
    explicit ReportFeed(ReportDocument& document);
    ~ReportFeed() override;

    // heading: the run's criteria block is what the document takes of it. cancelled: asked between
    // pages of a row and every few thousand lines of a cell.
    void begin(const ReportHeading& heading, std::function<bool()> cancelled) override;
    // The rows in report order; groupKey and groupTitle are ignored when the report does not group.
    void addRow(const QStringList& cells, const QString& groupKey, const QString& groupTitle) override;
    // After the last row: places the totals and hands the last page over. The document completes when
    // told (ReportDocument::complete), once the run has ended well.
    void finish() override;
    int pageCount() const override { return m_starts ? m_starts->pageCount() : 0; }

private:
    void pageFinished(int index);
    void hand();

    ReportDocument* m_doc;
    const ReportDefinition m_def;
    const bool m_grouping;
    QStringList m_criteria;
    ReportLayout::Geometry m_geometry;
    ReportDocument::Batch m_batch; // what is not handed over yet
    int m_finished = 0;            // pages finished
    bool m_handed = false;
    std::function<bool()> m_cancelled;
    // Bytes of rows handed over and not yet taken in by the document.
    std::shared_ptr<std::atomic<qint64>> m_pending = std::make_shared<std::atomic<qint64>>(0);
    QElapsedTimer m_clock;
    std::unique_ptr<ReportLayoutCache::Starts> m_starts; // from begin()
};

// Fonts of the report, sized in layout units.
namespace ReportFonts HOST_EXPORT {
QFont detail(double points);
QFont bold(double points);
} // namespace ReportFonts
