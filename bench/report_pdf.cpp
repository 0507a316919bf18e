// Report 1 ("Clientes por Ramo de Atividade") of many clients to PDF through the engine, against a
// floor that runs the same query and writes the same rows with QPdfWriter and nothing else; then the
// same report restricted by a selection of every client against the unrestricted run.
//   report_pdf [sqlite|firebird] [clients]     (firebird: beside ERP_FIREBIRD_URL)
#include "core/Errors.h"
#include "data/DatabaseUrl.h"
#include "data/dtmDBGeral.h"
#include "demo/DemoDatabase.h"
#include "demo/FirebirdAdmin.h"
#include "library/SelectionText.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportEngine.h"
#include "reporting/ReportSql.h"
#include "reporting/TParams.h"
#include "reporting/TReportDesignerDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

namespace {

long peakKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
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

// The floor: the same rows, one line per row, no grouping, no measuring, no engine.
double floorRun(const ReportDefinition& def, DatabaseKind kind, const QString& pdf, int* rows) {
    QElapsedTimer t;
    t.start();
    QSqlDatabase db = dtmDBGeral::database();
    db.transaction();
    if (kind == DatabaseKind::SQLite)
        QSqlQuery(db).exec(
            "CREATE TEMP TABLE IF NOT EXISTS SELKEYS (PARAM VARCHAR(20), KEYVALUE VARCHAR(60))");
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const QString sql = def.sqlFor(kind);
    q.prepare(sql);
    for (const QString& name : ReportSql::parameterNames(sql))
        q.bindValue(':' + name, name == u"P_CDFILIAL" ? QStringLiteral("") : QStringLiteral("T"));
    if (!q.exec())
        throw EHostError(q.lastError().text());
    QFile file(pdf);
    file.open(QIODevice::WriteOnly);
    QPdfWriter writer(&file);
    writer.setResolution(600);
    writer.setPageLayout(def.page.layout());
    QPainter p(&writer);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(def.page.fontSize);
    p.setFont(font);
    const double line = QFontMetricsF(font, &writer).lineSpacing() * 1.3;
    const double height = writer.height();
    const double width = writer.width();
    double total = 0;
    for (const ReportColumn& c : def.columns)
        total += c.width;
    double y = line;
    *rows = 0;
    while (q.next()) {
        double x = 0;
        for (const ReportColumn& c : def.columns) {
            const double w = width * c.width / total;
            p.drawText(QRectF(x, y, w, line), Qt::AlignLeft, q.value(c.field).toString());
            x += w;
        }
        y += line;
        ++*rows;
        if (y + line > height) {
            writer.newPage();
            y = line;
        }
    }
    p.end();
    q.finish();
    db.commit();
    return t.elapsed() / 1000.0;
}

double engineRun(const ReportDefinition& def, DatabaseKind kind, TReportDesignerDialog& designer,
                 const QString& pdf, int* rows) {
    QElapsedTimer t;
    t.start();
    ReportRun run;
    run.db = dtmDBGeral::database();
    run.kind = kind;
    run.designer = &designer;
    run.progress = [](qint64) { return false; };
    auto doc = ReportEngine::run(def, run);
    doc->exportPdf(pdf);
    *rows = doc->rowCount();
    return t.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString backend = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("sqlite");
    const int clients = argc > 2 ? atoi(argv[2]) : 100000;
    QTemporaryDir dir;
    QString url;
    if (backend == u"firebird") {
        const QString base = qEnvironmentVariable("ERP_FIREBIRD_URL");
        if (base.isEmpty()) {
            std::fprintf(stderr, "ERP_FIREBIRD_URL is not set\n");
            return 2;
        }
        url = base.left(base.lastIndexOf('/') + 1) +
              QStringLiteral("bench-report-%1.fdb").arg(app.applicationPid());
    } else {
        url = QStringLiteral("sqlite:%1/bench.db").arg(dir.path());
    }
    try {
        QElapsedTimer t;
        t.start();
        DemoDatabase::create(url, clients);
        std::printf("%s: %d clients written in %.1f s\n", qPrintable(backend), clients, t.elapsed() / 1000.0);
        dtmDBGeral::instance().open(url);
        const DatabaseKind kind = dtmDBGeral::instance().kind();
        const ReportDefinition def = ReportDefinition::load(
            QStringLiteral(ERP_SOURCE_DIR "/reports/QMT318/1_clientes_por_ramo_de_atividade.json"));

        Filler filler;
        TReportDesignerDialog designer;
        designer.bindEvent("BeforeGetQueryParams",
                           {&filler, filler.metaObject()->indexOfMethod("fill(TParams*,bool&)"), "fill"});

        int floorRows = 0, engineRows = 0, restrictedRows = 0;
        const double floor = floorRun(def, kind, dir.filePath("floor.pdf"), &floorRows);
        const long floorPeak = peakKb();
        const double engine = engineRun(def, kind, designer, dir.filePath("engine.pdf"), &engineRows);
        const long enginePeak = peakKb();
        std::printf("floor  (query + QPdfWriter): %8.2f s  %d rows  peak %ld MB\n", floor, floorRows,
                    floorPeak / 1024);
        std::printf("engine (report to PDF)     : %8.2f s  %d rows  peak %ld MB\n", engine, engineRows,
                    enginePeak / 1024);
        std::printf("engine / floor             : %8.2f x\n", engine / floor);

        QStringList keys;
        {
            QSqlQuery q(dtmDBGeral::database());
            q.exec("SELECT CDCLIENTE FROM CLIENTE");
            while (q.next())
                keys << q.value(0).toString();
        } // no query may outlive the connection, or the database cannot be dropped
        filler.clients = SelectionText::encode(keys);
        const double restricted =
            engineRun(def, kind, designer, dir.filePath("restricted.pdf"), &restrictedRows);
        std::printf("restricted to all %lld clients: %8.2f s  %d rows\n", qlonglong(keys.size()), restricted,
                    restrictedRows);
        std::printf("restricted / unrestricted  : %8.2f x (goal: under 2x)\n", restricted / engine);
        dtmDBGeral::instance().close();
        if (kind == DatabaseKind::InterBase)
            FirebirdAdmin::dropDatabase(DatabaseUrl::parse(url));
    } catch (const EHostError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

#include "report_pdf.moc"
