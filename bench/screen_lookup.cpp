// Screen open latency and the client lookup on many clients, each against a floor in the same run:
//   screen_lookup [clients]     (default 100000; SQLite, a database made for the run)
// open:   IniProc until the screen is activated, median of 200 opens, against showing an empty form
// lookup: the lookup query opened and its dialog shown, against the raw query fetching the same
//         rows on the same connection (medians of 7 turns each); the time ratio, and the peak
//         resident memory against the raw query's peak
// filter, sort: typing a filter and sorting by the name column in the open dialog, against the
//         raw query's time, and the peak memory after them
#include "BenchSupport.h"
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
#include <QLineEdit>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double peakMib() {
    return peakKb() / 1024.0;
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
            "screen open: median %.2f ms over %d opens, empty form %.2f ms, ratio %.1f, peak %.0f MiB\n",
            screen, opens, floor, screen / floor, peakMib());

        // Lookup: the screen's query opened and its dialog shown, against the raw query.
        package.IniProc();
        TForm* form = PackageLoader::instance().formsOf(package).first();
        auto* query = form->findChild<TADOIBQuery*>(QStringLiteral("qryCliente"));
        auto* source = form->findChild<TDataSource*>(QStringLiteral("dtsCliente_"));
        const QString sql = query->SqlFor(dtmDBGeral::instance().kind());
        // The raw query and the lookup take turns, so a busy machine slows both alike. Peak memory
        // only grows: the raw query's peak is read after its first turn, before any lookup.
        constexpr int rounds = 7;
        int rawRows = 0, rows = 0;
        double rawPeak = 0;
        std::vector<double> rawMs, lookupMs, openMs;
        LookupRequest request;
        request.dataSource = source;
        request.keyField = QStringLiteral("CDCLIENTE");
        request.title = QStringLiteral("Clientes");
        for (int i = 0; i < rounds; ++i) {
            t.restart();
            {
                QSqlQuery q(dtmDBGeral::database());
                q.setForwardOnly(true);
                q.exec(sql);
                const int n = q.record().count();
                rawRows = 0;
                while (q.next()) {
                    for (int c = 0; c < n; ++c)
                        q.value(c);
                    ++rawRows;
                }
            }
            rawMs.push_back(t.nsecsElapsed() / 1e6);
            if (i == 0)
                rawPeak = peakMib();

            t.restart();
            query->Close();
            query->Open();
            openMs.push_back(t.nsecsElapsed() / 1e6);
            LookupDialog dialog(request);
            dialog.show();
            QCoreApplication::processEvents();
            lookupMs.push_back(t.nsecsElapsed() / 1e6);
            // The dataset's rows: the model under the list's filter.
            const auto* shown = static_cast<const QAbstractProxyModel*>(
                dialog.findChild<QTableView*>(QStringLiteral("grdLista"))->model());
            rows = shown->sourceModel()->rowCount();
        }
        if (rows != rawRows)
            throw EHostError(
                QStringLiteral("the lookup shows %1 rows, the query returns %2").arg(rows).arg(rawRows));
        const double raw = median(rawMs), lookup = median(lookupMs), lookupPeak = peakMib();
        std::printf(
            "lookup: %d rows, query + dialog %.0f ms (query %.0f ms), raw query %.0f ms, time ratio %.2f; "
            "peak %.1f MiB, raw query %.1f MiB, memory ratio %.2f\n",
            rows, lookup, median(openMs), raw, lookup / raw, lookupPeak, rawPeak, lookupPeak / rawPeak);

        {
            LookupDialog dialog(request);
            dialog.show();
            QCoreApplication::processEvents();
            auto* grid = dialog.findChild<QTableView*>(QStringLiteral("grdLista"));
            t.restart();
            dialog.findChild<QLineEdit*>(QStringLiteral("edtFiltro"))->setText(QStringLiteral("sao"));
            QCoreApplication::processEvents();
            const double filterMs = t.nsecsElapsed() / 1e6;
            const int filtered = grid->model()->rowCount();
            dialog.findChild<QLineEdit*>(QStringLiteral("edtFiltro"))->clear();
            QCoreApplication::processEvents();
            t.restart();
            grid->sortByColumn(1, Qt::AscendingOrder);
            QCoreApplication::processEvents();
            const double sortMs = t.nsecsElapsed() / 1e6;
            std::printf(
                "filter 'sao': %d of %d rows in %.0f ms (ratio %.2f to the raw query); sort by name %.0f ms "
                "(ratio %.2f); peak %.1f MiB, memory ratio %.2f\n",
                filtered, rows, filterMs, filterMs / raw, sortMs, sortMs / raw, peakMib(),
                peakMib() / rawPeak);
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
