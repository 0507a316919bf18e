// The preview of a long report (2,500 pages by default, or --rows N), its rows fed one at a time to
// the open preview as a run feeds them, against a floor measured in the same run: a report of a
// thousand rows previewed (its peak memory, a page drawn). Then what the user waits for: the peak
// memory, a page drawn anywhere in the report (the worst of pages spread over it), scrolling page after
// page, and a search of every page (first answer, longest slice, whole report).
// Last, a client whose name is a word of a million characters (--long-name N), against the same
// report with ordinary names: printed to PDF, laid out under an open preview (the window's longest
// pause) and cancelled in the middle of that row.
//   report_preview [--pages N | --rows N] [--long-name N]
#include "BenchSupport.h"
#include "core/Errors.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportDocument.h"
#include "reporting/ReportPreviewWindow.h"
#include "reporting/export/ReportExport.h"
#include "reporting/preview/ReportPageView.h"
#include "reporting/preview/ReportTextSearch.h"
#include "reporting/preview/ReportThumbnailView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

QStringList cellsFor(const ReportDefinition& d, int i) {
    QStringList cells;
    for (int c = 0; c < d.columns.size(); ++c)
        cells << (c == 1 && i % 997 == 3 ? QStringLiteral("Conceição Araújo")
                                         : QStringLiteral("Cliente %1 coluna %2").arg(i).arg(c));
    return cells;
}

ReportRows rowsFor(const ReportDefinition& d, int count) {
    ReportRows rows;
    for (const ReportColumn& c : d.columns)
        rows.fields << c.field;
    for (int i = 0; i < count; ++i) {
        rows.cells.push_back(cellsFor(d, i));
        rows.groupKeys.push_back(QString::number(i / 5000));
        rows.groupTitles.push_back(QStringLiteral("Ramo %1").arg(i / 5000));
    }
    return rows;
}

// Draws pages of the open preview, each anew: the mean and the worst, in ms.
std::pair<double, double> drawPages(ReportPreviewWindow& window, const std::vector<int>& pages) {
    double sum = 0, worst = 0;
    QElapsedTimer clock;
    for (int p : pages) {
        clock.start();
        window.showPage(p);
        window.pageView().viewport()->repaint();
        const double ms = clock.nsecsElapsed() / 1e6;
        sum += ms;
        worst = qMax(worst, ms);
    }
    return {pages.empty() ? 0 : sum / double(pages.size()), worst};
}

// Two hundred rows, the middle one's name replaced.
ReportRows withName(const ReportDefinition& d, const QString& name) {
    ReportRows rows = rowsFor(d, 200);
    rows.cells[100][1] = name;
    return rows;
}

struct Fed {
    double ms = 0;           // until the last page was handed over, or the layout stopped
    double longestPause = 0; // the window's longest time away from its event loop
    int pages = 0;
};

// The rows laid out on a worker into a document shown in a preview, as a run does; cancelled as
// soon as the worker begins the middle row when cancel is set.
Fed feedUnderPreview(const ReportDefinition& d, const ReportRows& rows, bool cancel) {
    ReportDocument doc(d, "01", QDateTime::currentDateTime());
    ReportPreviewWindow window(doc);
    window.resize(1200, 900);
    window.show();
    QApplication::processEvents();
    std::atomic<bool> cancelled{false}, middle{false}, done{false};
    QElapsedTimer clock;
    clock.start();
    std::thread worker([&] {
        try {
            ReportFeed feed(doc);
            feed.begin({}, [&] { return cancelled.load(); });
            for (size_t i = 0; i < rows.cells.size(); ++i) {
                if (cancelled) // as the fetch asks between rows
                    throw EAbort();
                middle = middle || i == 100;
                feed.addRow(rows.cells[i], rows.groupKeys[i], rows.groupTitles[i]);
            }
            feed.finish();
        } catch (const EAbort&) {
        }
        done = true;
    });
    Fed f;
    QElapsedTimer slice;
    while (!done) {
        if (cancel && middle && !cancelled) {
            cancelled = true;
            clock.restart();
        }
        slice.start();
        QApplication::processEvents();
        f.longestPause = qMax(f.longestPause, slice.nsecsElapsed() / 1e6);
        QThread::msleep(1);
    }
    worker.join();
    f.ms = clock.nsecsElapsed() / 1e6;
    QApplication::processEvents(); // the last pages
    f.pages = doc.pageCount();
    return f;
}

void longName(const ReportDefinition& d, int length) {
    QTemporaryDir dir;
    auto print = [&](const ReportRows& rows, int& pages) {
        QElapsedTimer clock;
        clock.start();
        ReportDocument doc(d, rows, "01", QDateTime::currentDateTime());
        ReportExport::write(doc, dir.filePath(QStringLiteral("relatorio.pdf")), ReportExport::Format::Pdf);
        pages = doc.pageCount();
        return clock.nsecsElapsed() / 1e6;
    };
    const ReportRows ordinary = withName(d, QStringLiteral("Cliente de nome comum"));
    const ReportRows huge = withName(d, QString(length, u'A'));
    int floorPages = 0, pages = 0;
    const double floorMs = print(ordinary, floorPages);
    const double pdfMs = print(huge, pages);
    const Fed floorFed = feedUnderPreview(d, ordinary, false);
    const Fed fed = feedUnderPreview(d, huge, false);
    const Fed stopped = feedUnderPreview(d, huge, true);
    std::printf("report_preview: a name of %d characters without spaces, in 200 rows\n", length);
    std::printf("  floor: the same rows printed to PDF   %9.1f ms  (%d pages)\n", floorMs, floorPages);
    std::printf("  printed to PDF                        %9.1f ms  (%.1f x floor, %d pages)\n", pdfMs,
                pdfMs / floorMs, pages);
    std::printf("  laid out under the preview            %9.1f ms  (%.1f x floor's %.1f ms)\n", fed.ms,
                fed.ms / floorFed.ms, floorFed.ms);
    std::printf("  the window's longest pause meanwhile  %9.1f ms  (floor's %.1f ms)\n", fed.longestPause,
                floorFed.longestPause);
    std::printf("  cancelled in that row: stopped after  %9.1f ms  (%d of %d pages handed over)\n",
                stopped.ms, stopped.pages, fed.pages);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int pages = 2500, rowCount = 0, longNameLength = 1'000'000;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--pages"))
            pages = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--rows"))
            rowCount = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--long-name"))
            longNameLength = std::atoi(argv[i + 1]);
    }
    const ReportDefinition d = ReportDefinition::load(
        QStringLiteral(ERP_SOURCE_DIR "/reports/QMT318/1_clientes_por_ramo_de_atividade.json"));

    // The floor: a thousand rows previewed, each of its pages drawn.
    double floorPageMs = 0;
    long floorKb = 0;
    int perPage = 0;
    {
        ReportDocument small(d, rowsFor(d, 1000), "01", QDateTime::currentDateTime());
        perPage = 1000 / qMax(1, small.pageCount());
        ReportPreviewWindow window(small);
        window.resize(1200, 900);
        window.show();
        QApplication::processEvents();
        std::vector<int> all;
        for (int p = 1; p < small.pageCount(); ++p)
            all.push_back(p);
        floorPageMs = drawPages(window, all).first;
        floorKb = peakKb();
    }
    if (rowCount <= 0)
        rowCount = perPage * pages;

    // The rows made one at a time on a worker and fed to the open preview, as a run does.
    ReportDocument doc(d, "01", QDateTime::currentDateTime());
    ReportPreviewWindow window(doc);
    window.resize(1200, 900);
    window.show();
    QApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    std::atomic<bool> done{false};
    std::thread worker([&] {
        ReportFeed feed(doc);
        feed.begin({d.title, "01", QDateTime::currentDateTime(), {}}, {});
        for (int i = 0; i < rowCount; ++i)
            feed.addRow(cellsFor(d, i), QString::number(i / 5000), QStringLiteral("Ramo %1").arg(i / 5000));
        feed.finish();
        done = true;
    });
    while (!done) {
        QApplication::processEvents();
        QThread::msleep(5);
    }
    worker.join();
    QApplication::processEvents();
    doc.complete();
    const double floorMs = clock.nsecsElapsed() / 1e6;

    // Pages spread over the report, in an order that no cache helps.
    std::vector<int> spread{0, doc.pageCount() - 1, doc.pageCount() / 2};
    for (int k = 1; k <= 22; ++k)
        spread.push_back(int((qint64(k) * 7919 * 104729) % qMax(1, doc.pageCount())));
    const auto [meanMs, worstMs] = drawPages(window, spread);
    // The same pages drawn by the document alone, at the view's size: the layout and the painting.
    double worstAloneMs = 0;
    {
        const QSize size = window.pageView().pageRect(0).size();
        QImage image(size, QImage::Format_RGB32);
        for (int k = 0; k < int(spread.size()); ++k) {
            const int p = spread[size_t((k * 7 + 3) % spread.size())] ^ 1; // pages not drawn yet
            clock.restart();
            image.fill(Qt::white);
            QPainter painter(&image);
            const double s = size.width() / doc.pageLayout().fullRect(QPageLayout::Point).width() / 10;
            painter.scale(s, s);
            doc.drawPage(painter, qBound(0, p, doc.pageCount() - 1));
            painter.end();
            worstAloneMs = qMax(worstAloneMs, clock.nsecsElapsed() / 1e6);
        }
    }

    clock.restart();
    window.showPage(0);
    QApplication::processEvents();
    window.repaint();
    const double openMs = clock.nsecsElapsed() / 1e6;
    const int thumbnailsAtOpen = window.thumbnails().drawnCount();

    // Page after page, each painted (drawn anew: the kept pages are the last few).
    const int scrolled = qMin(200, doc.pageCount());
    clock.restart();
    for (int p = 0; p < scrolled; ++p) {
        window.showPage(p);
        window.pageView().viewport()->repaint();
    }
    const double perPageMs = clock.nsecsElapsed() / 1e6 / scrolled;
    const long peak = peakKb(); // before the search: what the preview itself holds

    ReportTextSearch search(doc);
    clock.restart();
    search.start(QStringLiteral("conceicao araujo"), false);
    const double firstSliceMs = clock.nsecsElapsed() / 1e6;
    const int firstFound = search.count();
    const int firstPages = search.searchedPages();
    double longestMs = firstSliceMs;
    QElapsedTimer slice;
    while (search.isRunning()) {
        slice.start();
        QApplication::processEvents();
        longestMs = qMax(longestMs, slice.nsecsElapsed() / 1e6);
    }
    const double searchMs = clock.nsecsElapsed() / 1e6;

    std::printf("report_preview: %d pages, %d rows fed to the open preview\n", doc.pageCount(),
                doc.rowCount());
    std::printf("  floor: 1000 rows previewed           peak %ld kB, a page drawn in %.1f ms\n", floorKb,
                floorPageMs);
    std::printf("  rows laid out under the preview     %9.1f ms\n", floorMs);
    std::printf("  peak memory                         %9ld kB  (%.2f x floor)   goal < 80 MB: %.1f MB\n",
                peak, double(peak) / floorKb, peak / 1024.0);
    std::printf("  page drawn anywhere, worst of %zu   %9.1f ms  (%.2f x floor)   goal < 50 ms\n",
                spread.size(), worstMs, worstMs / floorPageMs);
    std::printf("  page drawn anywhere, mean           %9.1f ms  (%.2f x floor)\n", meanMs,
                meanMs / floorPageMs);
    std::printf("  of which the document alone, worst  %9.1f ms\n", worstAloneMs);
    std::printf("  back to page 1, painted             %9.1f ms\n", openMs);
    std::printf("  scrolling, per page painted         %9.1f ms  (%.2f x floor)\n", perPageMs,
                perPageMs / floorPageMs);
    std::printf("  thumbnails drawn: open, after scroll %4d, %d of %d\n", thumbnailsAtOpen,
                window.thumbnails().drawnCount(), doc.pageCount());
    std::printf("  search: first slice                 %9.1f ms  (%d matches found in it, %d pages)\n",
                firstSliceMs, firstFound, firstPages);
    std::printf("  search: longest slice               %9.1f ms\n", longestMs);
    std::printf("  search: whole report                %9.1f ms  (%.3f x the layout, %d matches)\n", searchMs,
                searchMs / floorMs, search.count());
    std::fflush(stdout);
    longName(d, longNameLength);
    return 0;
}
