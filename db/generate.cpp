// erp-dbgen: writes the schema and N generated clients into an empty SQLite, Firebird or PostgreSQL
// database (a server database that is missing is created).
//   erp-dbgen [--clients N] URL
//   erp-dbgen --clients 100000 sqlite:/tmp/big.db
//   erp-dbgen --clients 100000 firebird://127.0.0.1/var/lib/firebird/3.0/data/erp/big.fdb
//   erp-dbgen --clients 100000 postgres://127.0.0.1:55432/big
#include "core/Errors.h"
#include "demo/DemoDatabase.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Cria o esquema e os clientes de demonstração num banco vazio."));
    parser.addHelpOption();
    QCommandLineOption clients(
        QStringList{"n", "clients"},
        QStringLiteral("Número de clientes (padrão %1).").arg(DemoDatabase::DefaultClients),
        QStringLiteral("N"), QString::number(DemoDatabase::DefaultClients));
    parser.addOption(clients);
    parser.addPositionalArgument(
        QStringLiteral("URL"),
        QStringLiteral("sqlite:CAMINHO, firebird:CAMINHO, firebird://SERVIDOR[:PORTA]/CAMINHO ou "
                       "postgres://SERVIDOR[:PORTA]/BANCO"));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);
    bool ok = false;
    const int n = parser.value(clients).toInt(&ok);
    if (!ok || n < 0) {
        std::fprintf(stderr, "erp-dbgen: número de clientes inválido: %s\n",
                     qPrintable(parser.value(clients)));
        return 2;
    }
    const QString url = parser.positionalArguments().first();
    QElapsedTimer timer;
    timer.start();
    try {
        DemoDatabase::create(url, n, [&](int done) {
            if (done % 10000 == 0 || done == n)
                std::fprintf(stderr, "\r%d de %d clientes", done, n);
        });
    } catch (const EHostError& e) {
        std::fprintf(stderr, "\nerp-dbgen: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "\n%d clientes gravados em %s em %.1f s\n", n, qPrintable(url),
                 timer.elapsed() / 1000.0);
    return 0;
}
