// Report 1 ("Clientes por Ramo de Atividade") of many clients to PDF through the engine, against a
// floor measured in the same run: the same query with the same parameters, every column of every row
// read as text, nothing laid out or written. Then the same report restricted by a selection of every
// client; then report 1 to an XLSX workbook, streamed the same way; then the preview's first page. Each
// figure comes from a child process of its own, so each peak memory is that run's alone (the database is
// written by the parent beforehand).
//   report_pdf [--million | --rows N]     SQLite, and the Firebird and PostgreSQL servers when
//                                         ERP_FIREBIRD_URL and ERP_POSTGRES_URL are set
#include "BenchSupport.h"
#include "core/Errors.h"
#include "data/DatabaseUrl.h"
#include "data/KeyTable.h"
#include "data/dtmDBGeral.h"
#include "demo/DemoDatabase.h"
#include "demo/FirebirdAdmin.h"
#include "demo/PostgresAdmin.h"
#include "library/SelectionText.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportDocument.h"
#include "reporting/ReportEngine.h"
#include "reporting/ReportSql.h"
#include "reporting/ReportTask.h"
#include "reporting/TParams.h"
#include "reporting/TReportDesignerDialog.h"
#include "reporting/export/ReportExport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

ReportDefinition reportOne() {
    return ReportDefinition::load(
        QStringLiteral(ERP_SOURCE_DIR "/reports/QMT318/1_clientes_por_ramo_de_atividade.json"));
}

class Filler : public QObject {
    Q_OBJECT
public:
    QString clients = QStringLiteral("T");
public slots:
    void fill(TParams* Params, bool& Flag) {
        for (const char* name : {"L_CLIENTE", "L_RAMOATIV"})
            if (ExistParam(Params, name))
                Params->ParamByName(name).SetAsString(
                    QString::fromLatin1(name) == u"L_CLIENTE" ? clients : QStringLiteral("T"));
        if (ExistParam(Params, "P_CDFILIAL"))
            Params->ParamByName("P_CDFILIAL").SetAsVariant(QStringLiteral("")); // every branch
    }
};

struct Figures {
    double seconds = 0;
    int rows = 0, pages = 0;
    qint64 bytes = 0;
    long peakKb = 0;
    double firstRow = 0; // preview: seconds to the query's first row
};

// The floor: the query alone, every value read as the engine reads it, nothing drawn.
Figures floorRun(const ReportDefinition& def, DatabaseKind kind) {
    QElapsedTimer t;
    t.start();
    QSqlDatabase db = dtmDBGeral::database();
    db.transaction();
    KeyTable::clear(db); // the key table exists, as the engine's run makes sure
    Figures f;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        const QString sql = def.sqlFor(kind);
        q.prepare(sql);
        for (const QString& name : ReportSql::parameterNames(sql))
            q.bindValue(':' + name, name == u"P_CDFILIAL" ? QStringLiteral("") : QStringLiteral("T"));
        if (!q.exec())
            throw EHostError(q.lastError().text());
        const int columns = q.record().count();
        qint64 chars = 0;
        while (q.next()) {
            for (int c = 0; c < columns; ++c)
                chars += q.value(c).toString().size();
            ++f.rows;
        }
        if (chars < 0)
            f.rows = -1;
    }
    db.commit();
    f.seconds = t.nsecsElapsed() / 1e9;
    return f;
}

Figures engineRun(const ReportDefinition& def, DatabaseKind kind, const QString& clients, const QString& file,
                  bool xlsx) {
    Filler filler;
    filler.clients = clients;
    TReportDesignerDialog designer;
    designer.bindEvent("BeforeGetQueryParams",
                       {&filler, filler.metaObject()->indexOfMethod("fill(TParams*,bool&)"), "fill"});
    QElapsedTimer t;
    t.start();
    ReportRun run;
    run.db = dtmDBGeral::database();
    run.kind = kind;
    run.designer = &designer;
    run.branch = QStringLiteral("01 - Matriz");
    run.progress = [](qint64) { return false; };
    Figures f;
    const std::unique_ptr<ReportSink> sink = ReportExport::open(
        xlsx ? ReportExport::Format::Xlsx : ReportExport::Format::Pdf, def, {file, def.page.layout(), {}});
    f.rows = ReportEngine::run(def, run, *sink);
    f.pages = sink->pageCount();
    f.seconds = t.nsecsElapsed() / 1e9;
    f.bytes = QFileInfo(file).size();
    return f;
}

// The preview's route: the rows read on the report's worker thread and laid out here as they come;
// the figure is the time until page 1 is drawn as the screen shows it, the run going on behind it.
Figures previewRun(const ReportDefinition& def, DatabaseKind kind) {
    QElapsedTimer t;
    t.start();
    const std::unique_ptr<TParams> params = ReportEngine::makeParams(def, kind);
    Filler filler;
    filler.clients = QStringLiteral("T");
    bool cancel = false;
    filler.fill(params.get(), cancel);
    ReportRun run;
    run.kind = kind;
    run.branch = QStringLiteral("01 - Matriz");
    run.params = params.get();
    ReportDocument doc(def, run.branch, QDateTime::currentDateTime());
    std::atomic<qint64> firstRowNs{-1};
    Figures f;
    {
        ReportTask task(nullptr, def.title);
        task.start(
            [&](QSqlDatabase db, ReportProgress&) {
                ReportRun worker = run;
                worker.db = db;
                worker.progress = [&](qint64 rows) {
                    if (rows == 1)
                        firstRowNs = t.nsecsElapsed();
                    return false;
                };
                ReportFeed feed(doc);
                ReportEngine::run(def, worker, feed);
            },
            dtmDBGeral::database(), QStringLiteral("bench"));
        task.wait([&] { return doc.pageCount() > 0; });
        // Page 1 as a 1000-pixel-wide preview draws it.
        const QSizeF paper = doc.pageLayout().fullRect(QPageLayout::Point).size();
        QImage image((paper * (1000 / paper.width())).toSize(), QImage::Format_RGB32);
        image.setDotsPerMeterX(int(1000 / paper.width() * 72 / 0.0254));
        image.setDotsPerMeterY(image.dotsPerMeterX());
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            ReportDocument::prepare(painter, image, true, doc.pageLayout());
            doc.drawPage(painter, 0);
        }
        f.seconds = t.nsecsElapsed() / 1e9;
        f.firstRow = firstRowNs / 1e9;
        task.wait();
        doc.complete();
    }
    f.rows = doc.rowCount();
    f.pages = doc.pageCount();
    return f;
}

// Written key by key, so that the run's peak is not a list of every client held here.
QString everyClient() {
    QString text;
    QSqlQuery q(dtmDBGeral::database());
    q.setForwardOnly(true);
    q.exec("SELECT CDCLIENTE FROM CLIENTE");
    while (q.next())
        SelectionText::append(text, q.value(0).toString());
    return text;
}

// In the child: one run, one line of figures.
int child(const QString& what, const QString& url, const QString& pdf) {
    dtmDBGeral::instance().open(url);
    const DatabaseKind kind = dtmDBGeral::instance().kind();
    const ReportDefinition def = reportOne();
    Figures f;
    if (what == u"floor") {
        f = floorRun(def, kind);
    } else if (what == u"preview") {
        f = previewRun(def, kind);
    } else {
        const QString clients = what == u"restricted" ? everyClient() : QStringLiteral("T");
        f = engineRun(def, kind, clients, pdf, what == u"xlsx");
    }
    f.peakKb = peakKb();
    dtmDBGeral::instance().close();
    std::printf("%.4f %d %d %lld %ld %.4f\n", f.seconds, f.rows, f.pages, qlonglong(f.bytes), f.peakKb,
                f.firstRow);
    return 0;
}

bool measure(const char* what, const QString& url, const QString& pdf, Figures& f) {
    const std::string command = "exec '/proc/" + std::to_string(getpid()) + "/exe' --child " + what + " '" +
                                url.toStdString() + "' '" + pdf.toStdString() + "'";
    FILE* out = popen(command.c_str(), "r");
    char line[256] = {};
    const bool read = out && std::fgets(line, sizeof line, out);
    const int status = out ? pclose(out) : -1;
    long long bytes = 0;
    const bool ok = read && status == 0 &&
                    std::sscanf(line, "%lf %d %d %lld %ld %lf", &f.seconds, &f.rows, &f.pages, &bytes,
                                &f.peakKb, &f.firstRow) == 6;
    f.bytes = bytes;
    if (!ok)
        std::printf("  %-30s failed\n", what);
    return ok;
}

void bench(const QString& name, const QString& url, int clients, const QString& folder) {
    QElapsedTimer t;
    t.start();
    DemoDatabase::create(url, clients);
    std::printf("%s: %d clients written in %.1f s\n", qPrintable(name), clients, t.elapsed() / 1000.0);
    std::fflush(stdout);
    Figures floor, engine, restricted, xlsx, preview;
    const QString pdf = folder + QStringLiteral("/%1.pdf").arg(name);
    if (measure("floor", url, pdf, floor))
        std::printf("  floor  (the query alone)   : %7.3f s  %7d rows                       peak %5.1f MB\n",
                    floor.seconds, floor.rows, floor.peakKb / 1024.0);
    if (measure("engine", url, pdf, engine)) {
        std::printf("  engine (report 1 to PDF)   : %7.3f s  %7d rows  %6d pages  %6.2f MB  peak %5.1f MB\n",
                    engine.seconds, engine.rows, engine.pages, engine.bytes / 1048576.0,
                    engine.peakKb / 1024.0);
        if (floor.seconds > 0)
            std::printf("  engine / floor             : %7.2f x\n", engine.seconds / floor.seconds);
    }
    if (measure("restricted", url, folder + QStringLiteral("/%1-restricted.pdf").arg(name), restricted)) {
        std::printf("  restricted to every client : %7.3f s  %7d rows  %6d pages             peak %5.1f MB\n",
                    restricted.seconds, restricted.rows, restricted.pages, restricted.peakKb / 1024.0);
        if (engine.seconds > 0)
            std::printf("  restricted / unrestricted  : %7.2f x (goal: under 2x)\n",
                        restricted.seconds / engine.seconds);
    }
    if (measure("xlsx", url, folder + QStringLiteral("/%1.xlsx").arg(name), xlsx)) {
        std::printf(
            "  engine (report 1 to XLSX)  : %7.3f s  %7d rows                %6.2f MB  peak %5.1f MB\n",
            xlsx.seconds, xlsx.rows, xlsx.bytes / 1048576.0, xlsx.peakKb / 1024.0);
        if (floor.seconds > 0)
            std::printf("  xlsx / floor               : %7.2f x\n", xlsx.seconds / floor.seconds);
    }
    if (measure("preview", url, pdf, preview)) {
        std::printf("  preview: page 1 on screen  : %7.3f s  (%.3f s after the first row)  %7d rows  %6d "
                    "pages  peak %5.1f MB\n",
                    preview.seconds, preview.seconds - preview.firstRow, preview.rows, preview.pages,
                    preview.peakKb / 1024.0);
        if (floor.seconds > 0)
            std::printf("  preview page 1 / floor     : %7.2f x\n", preview.seconds / floor.seconds);
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        if (argc == 5 && std::strcmp(argv[1], "--child") == 0)
            return child(QString::fromLatin1(argv[2]), QString::fromLocal8Bit(argv[3]),
                         QString::fromLocal8Bit(argv[4]));
        int clients = 100000;
        for (int i = 1; i < argc; ++i) {
            if (std::strcmp(argv[i], "--million") == 0)
                clients = 1000000;
            else if (std::strcmp(argv[i], "--rows") == 0 && i + 1 < argc)
                clients = std::atoi(argv[++i]);
            else {
                std::fprintf(stderr, "usage: report_pdf [--million | --rows N]\n");
                return 2;
            }
        }
        QTemporaryDir dir;
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) // or every child complains
            qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
        const QByteArray keep = qgetenv("REPORT_PDF_KEEP"); // a folder to keep the PDFs in
        const QString folder = keep.isEmpty() ? dir.path() : QString::fromLocal8Bit(keep);
        std::printf("report 1 to PDF, each figure from a child process; goals at 100,000 clients: engine "
                    "<= 1.5 s and <= 3.5x the floor, PDF <= 12 MB, peak <= 45 MB at any count\n");
        bench(QStringLiteral("sqlite"), QStringLiteral("sqlite:%1/bench.db").arg(dir.path()), clients,
              folder);
        const QString base = qEnvironmentVariable("ERP_FIREBIRD_URL");
        if (base.isEmpty()) {
            std::printf("firebird: skipped (ERP_FIREBIRD_URL is not set)\n");
        } else {
            const QString url = base.left(base.lastIndexOf('/') + 1) +
                                QStringLiteral("bench-report-%1.fdb").arg(app.applicationPid());
            try {
                bench(QStringLiteral("firebird"), url, clients, folder);
            } catch (...) {
                FirebirdAdmin::dropDatabase(DatabaseUrl::parse(url));
                throw;
            }
            FirebirdAdmin::dropDatabase(DatabaseUrl::parse(url));
        }
        const QString server = qEnvironmentVariable("ERP_POSTGRES_URL");
        if (server.isEmpty()) {
            std::printf("postgresql: skipped (ERP_POSTGRES_URL is not set)\n");
            return 0;
        }
        const QString url = server.left(server.lastIndexOf('/') + 1) +
                            QStringLiteral("bench_report_%1").arg(app.applicationPid());
        PostgresAdmin::dropDatabase(DatabaseUrl::parse(url));
        try {
            bench(QStringLiteral("postgresql"), url, clients, folder);
        } catch (...) {
            PostgresAdmin::dropDatabase(DatabaseUrl::parse(url));
            throw;
        }
        PostgresAdmin::dropDatabase(DatabaseUrl::parse(url));
    } catch (const EHostError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

#include "report_pdf.moc"
