#include "CommandLine.h"

#include "core/Errors.h"
#include "data/DatabaseUrl.h"
#include "reporting/SessionPrinters.h"
#include "reporting/export/ReportExport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// "pdf:ARQUIVO grava a impressão num PDF, xlsx:ARQUIVO numa planilha do Excel e ...".
QString printerHelp() {
    QString formats = ReportExport::listed(QStringLiteral("%1:ARQUIVO %3"), QStringLiteral("e"));
    formats.insert(formats.indexOf(u' '), QStringLiteral(" grava a impressão"));
    return QStringLiteral("Impressora da sessão: %1.").arg(formats);
}

QString bad(const QString& option, const QString& why) {
    return QStringLiteral("erp-host: --%1: %2").arg(option, why);
}

// Every check names the option and says what is expected; the first failure wins.
QString validate(HostOptions& o) {
    if (!o.database.isEmpty()) {
        try {
            DatabaseUrl::parse(o.database);
        } catch (const EHostError& e) {
            return bad(QStringLiteral("database"), e.message().simplified());
        }
    }
    static const QRegularExpression branchCode(QStringLiteral("^[A-Za-z0-9_-]{1,10}$"));
    if (!o.filial.isEmpty() && !branchCode.match(o.filial).hasMatch())
        return bad(
            QStringLiteral("filial"),
            QStringLiteral("código de filial inválido '%1' (até 10 letras ou dígitos).").arg(o.filial));
    for (auto [name, dir] : {std::pair{QStringLiteral("reports"), &o.reportsDir},
                             std::pair{QStringLiteral("modules"), &o.modulesDir}}) {
        if (dir->isEmpty())
            continue;
        const QFileInfo info(*dir);
        if (!info.isDir())
            return bad(name, QStringLiteral("a pasta '%1' não existe.").arg(*dir));
        if (!info.isReadable())
            return bad(name, QStringLiteral("sem permissão de leitura na pasta '%1'.").arg(*dir));
        *dir = info.absoluteFilePath();
    }
    if (!o.open.isEmpty()) {
        const QString upper = o.open.toUpper();
        if (!CommandLine::screens().contains(upper))
            return bad(QStringLiteral("open"),
                       QStringLiteral("tela desconhecida '%1' (telas disponíveis: %2).")
                           .arg(o.open, CommandLine::screens().join(", ")));
        o.open = upper;
    }
    if (!o.printer.isEmpty()) {
        std::optional<SessionPrinters::FileTarget> target = SessionPrinters::fileTarget(o.printer);
        if (!target || target->path.isEmpty())
            return bad(QStringLiteral("printer"),
                       QStringLiteral("impressora inválida '%1' (use %2).")
                           .arg(o.printer,
                                ReportExport::listed(QStringLiteral("%1:ARQUIVO"), QStringLiteral("ou"))));
        const QFileInfo file(target->path);
        if (file.isDir())
            return bad(QStringLiteral("printer"),
                       QStringLiteral("'%1' é uma pasta, não um arquivo.").arg(file.filePath()));
        const QFileInfo folder(file.absolutePath());
        if (!folder.isDir() || !folder.isWritable())
            return bad(QStringLiteral("printer"),
                       QStringLiteral("não é possível gravar na pasta '%1'.").arg(folder.filePath()));
        target->path = file.absoluteFilePath();
        o.printer = SessionPrinters::fileSetting(*target);
    }
    static const QRegularExpression languageCode(QStringLiteral("^[a-z]{2}(_[A-Z]{2})?$"));
    if (!languageCode.match(o.language).hasMatch())
        return bad(QStringLiteral("idioma"),
                   QStringLiteral("idioma inválido '%1' (por exemplo: pt, en, es).").arg(o.language));
    return {};
}

} // namespace

QStringList CommandLine::screens() {
    return {QStringLiteral("QMT31800")};
}

int CommandLine::exitStatus(CommandLineResult::Action action) {
    return action == CommandLineResult::Action::Error ? 2 : 0;
}

CommandLineResult CommandLine::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "ERP — Dados do Cliente: abre a tela de relatórios de clientes (QMT31800) sobre o banco de dados.\n"
        "erp-host report [opções] grava um relatório num arquivo sem abrir janela (erp-host report "
        "--help)."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Mostra esta ajuda e sai."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Mostra a versão e sai."));
    const QCommandLineOption database(
        QStringLiteral("database"),
        QStringLiteral(
            "Banco de dados: sqlite:ARQUIVO, firebird:ARQUIVO, firebird://SERVIDOR[:PORTA]/ARQUIVO ou "
            "postgres://SERVIDOR[:PORTA]/BANCO. "
            "Padrão: o 'banco' da configuração do usuário (~/.config/erp-host/erp-host.conf) ou do sistema "
            "(/etc/erp-host/erp-host.conf), senão o banco de demonstração na pasta de dados do usuário, "
            "criado "
            "na primeira execução."),
        QStringLiteral("URL"));
    const QCommandLineOption filial(
        QStringLiteral("filial"),
        QStringLiteral(
            "Filial da sessão. Padrão: a 'filial' da configuração, senão a primeira filial do banco."),
        QStringLiteral("CÓDIGO"));
    const QCommandLineOption reports(
        QStringLiteral("reports"),
        QStringLiteral("Pasta das definições de relatório (uma subpasta por código)."),
        QStringLiteral("PASTA"));
    const QCommandLineOption modules(QStringLiteral("modules"),
                                     QStringLiteral("Pasta dos módulos (Pkg_qmt31800.so)."),
                                     QStringLiteral("PASTA"));
    const QCommandLineOption open(
        QStringLiteral("open"), QStringLiteral("Abre a tela ao iniciar (QMT31800)."), QStringLiteral("TELA"));
    const QCommandLineOption printer(QStringLiteral("printer"), printerHelp(), QStringLiteral("pdf:ARQUIVO"));
    const QCommandLineOption idioma(QStringLiteral("idioma"),
                                    QStringLiteral("Idioma da interface dos módulos (padrão: pt)."),
                                    QStringLiteral("IDIOMA"));
    parser.addOptions({help, version, database, filial, reports, modules, open, printer, idioma});

    CommandLineResult result;
    auto error = [&](const QString& line) {
        result.action = CommandLineResult::Action::Error;
        result.text = line;
        return result;
    };
    if (!parser.parse(arguments))
        return error(QStringLiteral("erp-host: %1 Use --help para ver as opções.").arg(parser.errorText()));
    if (parser.isSet(help)) {
        result.action = CommandLineResult::Action::Help;
        // The help text reads the program name from the running application.
        if (QCoreApplication::instance())
            result.text = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLineResult::Action::Version;
        result.text = QStringLiteral("erp-host " ERP_VERSION);
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return error(QStringLiteral("erp-host: argumento inesperado '%1'. Use --help para ver as opções.")
                         .arg(parser.positionalArguments().first()));

    // An option given twice takes its last value; one given with an empty value is a mistake.
    HostOptions& o = result.options;
    const std::pair<const QCommandLineOption*, QString*> valued[] = {
        {&database, &o.database},  {&filial, &o.filial}, {&reports, &o.reportsDir},
        {&modules, &o.modulesDir}, {&open, &o.open},     {&printer, &o.printer},
        {&idioma, &o.language}};
    for (auto [option, field] : valued) {
        if (!parser.isSet(*option))
            continue;
        *field = parser.values(*option).constLast().trimmed();
        if (field->isEmpty())
            return error(bad(option->names().constFirst(),
                             QStringLiteral("informe um valor (%1).").arg(option->valueName())));
    }
    if (const QString why = validate(o); !why.isEmpty())
        return error(why);
    return result;
}
