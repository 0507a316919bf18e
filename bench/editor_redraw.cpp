// The report editor's live page after a change, against the same page painted again unchanged:
//   editor_redraw [clients]     (default 2000; SQLite, a database made for the run)
// open:   the editor opened on "Clientes por Ramo de Atividade" (its query's fields and first rows
//         read), against the report run alone to its last page (one turn each)
// redraw: a column's width changed and the page laid out and painted, median of 100, against
//         painting the page already laid out; and against the fifth of a second a change may take
#include "core/Errors.h"
#include "data/dtmDBGeral.h"
#include "demo/DemoDatabase.h"
#include "forms/TApplication.h"
#include "library/FiliProc.h"
#include "reporting/ReportEngine.h"
#include "reporting/editor/LivePageView.h"
#include "reporting/editor/ReportDesignerWindow.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int clients = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 2000;
    try {
        TApplication::instance().initialise();
        QTemporaryDir dir;
        const QString url = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("bench.db"));
        DemoDatabase::create(url, clients);
        dtmDBGeral::instance().open(url);
        SetFilial(QStringLiteral("01"));

        ReportEditRequest request;
        request.definition = ReportDefinition::load(
            QStringLiteral(ERP_SOURCE_DIR "/reports/QMT318/1_clientes_por_ramo_de_atividade.json"));
        QElapsedTimer t;
        t.start();
        ReportRun run;
        run.db = dtmDBGeral::database();
        run.kind = dtmDBGeral::instance().kind();
        const auto all = ReportEngine::run(request.definition, run);
        const double query = t.nsecsElapsed() / 1e6;
        t.restart();
        ReportDesignerWindow window(request);
        const double open = t.nsecsElapsed() / 1e6;
        window.resize(1240, 720);
        window.show();
        QCoreApplication::processEvents();

        auto* width = qobject_cast<QDoubleSpinBox*>(
            window.findChild<QTableWidget*>(QStringLiteral("colunas"))->cellWidget(1, 2));
        std::vector<double> redrawMs, paintMs;
        for (int i = 0; i < 100; ++i) {
            t.restart();
            width->setValue(40 + i % 20); // one change, as the user makes it
            window.redrawNow();
            window.livePage().repaint();
            redrawMs.push_back(t.nsecsElapsed() / 1e6);
            t.restart();
            window.livePage().repaint();
            paintMs.push_back(t.nsecsElapsed() / 1e6);
        }
        const double redraw = median(redrawMs), paint = median(paintMs);
        std::printf("open:   %.1f ms, the whole report alone %.1f ms (%d rows): ratio %.2f\n", open, query,
                    all->rowCount(), open / query);
        std::printf(
            "redraw: %.1f ms, painting alone %.1f ms: ratio %.2f; of the 200 ms a change may take: %.2f\n",
            redraw, paint, redraw / paint, redraw / 200.0);
    } catch (const EHostError& e) {
        std::fprintf(stderr, "editor_redraw: %s\n", e.what());
        return 1;
    }
    return 0;
}
