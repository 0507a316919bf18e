// The preview of a long report (2,500 pages by default) built from rows in memory, against a floor
// measured in the same run: laying the document out, which the preview needs before it can show
// anything. Then what the user waits for: the preview open with its first page painted, scrolling
// page after page, and a search of every page (first answer, longest slice, whole report).
// Last, a client whose name is a word of a million characters (--long-name N), against the same
// report with ordinary names: printed to PDF, laid out under an open preview (the window's longest
// pause) and cancelled in the middle of that row.
//   report_preview [--pages N] [--long-name N]
#include "BenchSupport.h"
#include "core/Errors.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportDocument.h"
#include "reporting/ReportPreviewWindow.h"
#include "reporting/preview/ReportPageView.h"
#include "reporting/preview/ReportTextSearch.h"
#include "reporting/preview/ReportThumbnailView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

ReportRows rowsFor(const ReportDefinition& d, int count) {
    ReportRows rows;
    for (const ReportColumn& c : d.columns)
        rows.fields << c.field;
    for (int i = 0; i < count; ++i) {
        QStringList cells;
        for (int c = 0; c < d.columns.size(); ++c)
            cells << (c == 1 && i % 997 == 3 ? QStringLiteral("Conceição Araújo")
                                             : QStringLiteral("Cliente %1 coluna %2").arg(i).arg(c));
        rows.cells.push_back(cells);
        rows.groupKeys.push_back(QString::number(i / 5000));
        rows.groupTitles.push_back(QStringLiteral("Ramo %1").arg(i / 5000));
    }
    return rows;
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
        doc.exportPdf(dir.filePath(QStringLiteral("relatorio.pdf")));
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
    int pages = 2500, longNameLength = 1'000'000;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--pages"))
            pages = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--long-name"))
            longNameLength = std::atoi(argv[i + 1]);
    }
    const ReportDefinition d = ReportDefinition::load(
        QStringLiteral(ERP_SOURCE_DIR "/reports/QMT318/1_clientes_por_ramo_de_atividade.json"));

    // How many rows a page holds, from a small document.
    const int perPage = [&] {
        ReportDocument probe(d, rowsFor(d, 2000), "01", QDateTime::currentDateTime());
        return 2000 / qMax(1, probe.pageCount());
    }();
    ReportRows rows = rowsFor(d, perPage * pages);
    QElapsedTimer clock;
    clock.start();
    ReportDocument doc(d, std::move(rows), "01", QDateTime::currentDateTime());
    const double floorMs = clock.nsecsElapsed() / 1e6;

    clock.restart();
    ReportPreviewWindow window(doc);
    window.resize(1200, 900);
    window.show();
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
    window.showPage(doc.pageCount() / 2);
    clock.restart();
    window.pageView().viewport()->repaint();
    const double jumpMs = clock.nsecsElapsed() / 1e6;

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

    std::printf("report_preview: %d pages, %d rows\n", doc.pageCount(), doc.rowCount());
    std::printf("  floor: laying the document out      %9.1f ms\n", floorMs);
    std::printf("  preview open, first page painted    %9.1f ms  (%.3f x floor)\n", openMs, openMs / floorMs);
    std::printf("  scrolling, per page painted         %9.1f ms\n", perPageMs);
    std::printf("  jump to the middle, painted         %9.1f ms\n", jumpMs);
    std::printf("  thumbnails drawn: open, after scroll %4d, %d of %d\n", thumbnailsAtOpen,
                window.thumbnails().drawnCount(), doc.pageCount());
    std::printf("  search: first slice                 %9.1f ms  (%d matches found in it, %d pages)\n",
                firstSliceMs, firstFound, firstPages);
    std::printf("  search: longest slice               %9.1f ms\n", longestMs);
    std::printf("  search: whole report                %9.1f ms  (%.3f x floor, %d matches)\n", searchMs,
                searchMs / floorMs, search.count());
    std::printf("  peak memory                         %9ld kB\n", peakKb());
    longName(d, longNameLength);
    return 0;
}
