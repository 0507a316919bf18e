// erp-host report, wall time of the whole process (start, database, screen, report, PDF), against
// report_pdf's engine figure for report 1 measured in the same run on the same database. The engine
// reads every branch into one PDF; the command runs as a user would, so its figure that compares is
// one call with a file of requests writing every branch's PDF (the same rows in all). One branch's
// call alone is printed besides.
//   report_command [--rows N | sqlite:FILE]   N generated clients (default 100,000), or that database
// (db/generate --clients 100000 sqlite:FILE makes one). erp-host and report_pdf are run from this
// program's folder: build them in the same build.
#include "demo/DemoDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

namespace {

QString beside(const char* program) {
    return QCoreApplication::applicationDirPath() + u'/' + QLatin1String(program);
}

// Seconds of wall time, or a negative number when the program failed.
double timed(const QString& program, const QStringList& args, QByteArray* out = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    const double seconds = t.nsecsElapsed() / 1e9;
    if (out)
        *out = p.readAllStandardOutput();
    return seconds;
}

QStringList branches(const QString& url) {
    QStringList codes;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("filiais"));
        db.setDatabaseName(url.mid(url.indexOf(u':') + 1));
        if (db.open()) {
            QSqlQuery q(QStringLiteral("SELECT CDFILIAL FROM FILIAL ORDER BY CDFILIAL"), db);
            while (q.next())
                codes << q.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("filiais"));
    return codes;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) // or every child complains
        qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("ERP_REPORTS_DIR"))
        qputenv("ERP_REPORTS_DIR", ERP_SOURCE_DIR "/reports");
    QString url;
    int clients = 100000;
    if (argc == 3 && std::strcmp(argv[1], "--rows") == 0) {
        clients = std::atoi(argv[2]);
    } else if (argc == 2 && std::strncmp(argv[1], "sqlite:", 7) == 0) {
        url = QString::fromLocal8Bit(argv[1]);
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: report_command [--rows N | sqlite:FILE]\n");
        return 2;
    }
    if (url.isEmpty()) {
        url = QStringLiteral("sqlite:%1/bench.db").arg(dir.path());
        QElapsedTimer t;
        t.start();
        DemoDatabase::create(url, clients);
        std::printf("sqlite: %d clients written in %.1f s\n", clients, t.elapsed() / 1000.0);
    }

    QByteArray line;
    const double engineWall =
        timed(beside("report_pdf"), {"--child", "engine", url, dir.filePath("engine.pdf")}, &line);
    double engine = 0;
    int rows = 0;
    if (engineWall < 0 || std::sscanf(line.constData(), "%lf %d", &engine, &rows) != 2) {
        std::printf("  report_pdf --child engine failed\n");
        return 1;
    }
    std::printf("  engine (report_pdf, every branch, one PDF)  : %7.3f s  %7d rows\n", engine, rows);

    const QStringList codes = branches(url);
    QFile requests(dir.filePath(QStringLiteral("filiais.txt")));
    if (codes.isEmpty() || !requests.open(QIODevice::WriteOnly))
        return 1;
    for (const QString& code : codes)
        requests.write(QStringLiteral("--filial %1 -o %2\n").arg(code, dir.filePath(code + ".pdf")).toUtf8());
    requests.close();
    const QString host = beside("erp-host");
    const QStringList common{"report", "--database", url, "--relatorio", "1", "--quiet"};
    const double one =
        timed(host, common + QStringList{"--filial", codes.first(), "-o", dir.filePath("one.pdf")});
    const double all = timed(host, common + QStringList{"--pedidos", requests.fileName()});
    if (one < 0 || all < 0) {
        std::printf("  erp-host report failed\n");
        return 1;
    }
    std::printf("  erp-host report, branch %s alone           : %7.3f s (wall)\n", qPrintable(codes.first()),
                one);
    std::printf("  erp-host report, %lld branches, one call     : %7.3f s (wall)\n", qlonglong(codes.size()),
                all);
    std::printf("  every branch / engine                       : %7.2f x (goal: within 1.2x)\n",
                all / engine);
    return 0;
}
