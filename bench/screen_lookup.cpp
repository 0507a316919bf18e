// Screen open latency and the client lookup on many clients, each against a floor in the same run:
//   screen_lookup [clients]     (default 100000; SQLite, a database made for the run)
// open:   IniProc until the screen is activated, median of 200 opens, against showing an empty form
// lookup: the lookup query opened and its dialog shown, against the raw query fetching the same rows
//         on the same connection
// Each line: figures, ratio, and the peak resident memory after that part.
#include "core/Errors.h"
#include "core/HostSettings.h"
#include "data/TADOIBQuery.h"
#include "data/TDataSource.h"
#include "data/dtmDBGeral.h"
#include "demo/DemoDatabase.h"
#include "dialogs/LookupDialog.h"
#include "forms/TApplication.h"
#include "forms/TForm.h"
#include "library/FiliProc.h"
#include "packages/PackageLoader.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

long peakMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void flush() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int clients = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 100000;
    try {
        TApplication::instance().initialise();
        QTemporaryDir dir;
        const QString url = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("bench.db"));
        QElapsedTimer t;
        t.start();
        DemoDatabase::create(url, clients);
        std::printf("database: %d clients written in %.1f s\n", clients, t.elapsed() / 1000.0);
        dtmDBGeral::instance().open(url);
        SetFilial(QStringLiteral("01"));
        HostSettings::setReportsDir(QStringLiteral(ERP_SOURCE_DIR "/reports"));
        Package& package = PackageLoader::instance().load(QStringLiteral(ERP_MODULE_PATH));

        // Screen open: IniProc to activated.
        constexpr int opens = 200;
        std::vector<double> screenMs, floorMs;
        TForm* activated = nullptr;
        QObject::connect(&TApplication::instance(), &TApplication::formActivated,
                         [&](TForm* f) { activated = f; });
        for (int i = 0; i < opens; ++i) {
            activated = nullptr;
            t.restart();
            package.IniProc();
            const double ms = t.nsecsElapsed() / 1e6;
            if (!activated)
                throw EHostError(QStringLiteral("the screen was not activated"));
            screenMs.push_back(ms);
            activated->Close();
            flush();

            TForm* empty = new TForm;
            activated = nullptr;
            t.restart();
            TApplication::instance().showForm(empty);
            floorMs.push_back(t.nsecsElapsed() / 1e6);
            empty->Close();
            if (QObject* sub = empty->subWindow())
                delete sub;
            else
                delete empty;
            flush();
        }
        const double screen = median(screenMs), floor = median(floorMs);
        std::printf(
            "screen open: median %.2f ms over %d opens, empty form %.2f ms, ratio %.1f, peak %ld MiB\n",
            screen, opens, floor, screen / floor, peakMb());

        // Lookup: the screen's query opened and its dialog shown, against the raw query.
        package.IniProc();
        TForm* form = PackageLoader::instance().formsOf(package).first();
        auto* query = form->findChild<TADOIBQuery*>(QStringLiteral("qryCliente"));
        auto* source = form->findChild<TDataSource*>(QStringLiteral("dtsCliente_"));
        const QString sql = query->SqlFor(dtmDBGeral::instance().kind());
        t.restart();
        int rawRows = 0;
        {
            QSqlQuery q(dtmDBGeral::database());
            q.setForwardOnly(true);
            q.exec(sql);
            const int n = q.record().count();
            while (q.next()) {
                for (int c = 0; c < n; ++c)
                    q.value(c);
                ++rawRows;
            }
        }
        const double rawMs = t.nsecsElapsed() / 1e6;
        const long rawPeak = peakMb();
        t.restart();
        query->Close();
        query->Open();
        LookupRequest request;
        request.dataSource = source;
        request.keyField = QStringLiteral("CDCLIENTE");
        request.title = QStringLiteral("Clientes");
        {
            LookupDialog dialog(request);
            dialog.show();
            QCoreApplication::processEvents();
            const double lookupMs = t.nsecsElapsed() / 1e6;
            // The dataset's rows: the model under the list's filter.
            const auto* shown = static_cast<const QAbstractProxyModel*>(
                dialog.findChild<QTableView*>(QStringLiteral("grdLista"))->model());
            const int rows = shown->sourceModel()->rowCount();
            std::printf("lookup: %d rows, query + dialog %.0f ms, raw query %.0f ms, ratio %.1f, peak %ld "
                        "MiB (raw %ld MiB)\n",
                        rows, lookupMs, rawMs, lookupMs / rawMs, peakMb(), rawPeak);
            if (rows != rawRows)
                throw EHostError(
                    QStringLiteral("the lookup shows %1 rows, the query returns %2").arg(rows).arg(rawRows));
        }
        form->Close();
        flush();
        PackageLoader::instance().unload(package);
        dtmDBGeral::instance().close();
    } catch (const EHostError& e) {
        std::fprintf(stderr, "screen_lookup: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
