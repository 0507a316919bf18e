// The preview of a long report (2,500 pages by default) built from rows in memory, against a floor
// measured in the same run: laying the document out, which the preview needs before it can show
// anything. Then what the user waits for: the preview open with its first page painted, scrolling
// page after page, and a search of every page (first answer, longest slice, whole report).
//   report_preview [--pages N]
#include "BenchSupport.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportDocument.h"
#include "reporting/ReportPreviewWindow.h"
#include "reporting/preview/ReportPageView.h"
#include "reporting/preview/ReportTextSearch.h"
#include "reporting/preview/ReportThumbnailView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <cstdio>
#include <cstring>

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

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int pages = 2500;
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], "--pages"))
            pages = std::atoi(argv[i + 1]);
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
    return 0;
}
