#include "ReportCommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>

namespace {

const QString Program = QStringLiteral("erp-host report");

// The formats a pipe can take, as the messages name them ("CSV").
QString standardOutputTitles() {
    return ReportExport::listed(QStringLiteral("%2"), QStringLiteral("ou"),
                                [](const ReportExport::FormatInfo& f) { return f.plainText; });
}

// The options one request takes, on the command line or on a line of the file of requests.
struct RequestOptions {
    QCommandLineOption report{
        QStringLiteral("relatorio"),
        QStringLiteral("O relatório: o título na lista da tela ou a posição nela, a "
                       "partir de 0 (0 Aniversariantes do Mês, 1 Clientes por Ramo de "
                       "Atividade, 2 Aniversariantes do Período, 3 Clientes por Tipo)."),
        QStringLiteral("NOME|N")};
    QCommandLineOption month{QStringLiteral("mes"), QStringLiteral("Mês dos aniversariantes do mês."),
                             QStringLiteral("MM/AAAA")};
    QCommandLineOption from{QStringLiteral("de"),
                            QStringLiteral("Início do período. Sem o ano: o ano corrente."),
                            QStringLiteral("DD/MM[/AAAA]")};
    QCommandLineOption to{QStringLiteral("ate"),
                          QStringLiteral("Fim do período. Sem o ano: o do início, ou o seguinte quando a "
                                         "data cairia antes dele (15/12 a 15/01 atravessa o ano)."),
                          QStringLiteral("DD/MM[/AAAA]")};
    QCommandLineOption clients{QStringLiteral("clientes"),
                               QStringLiteral("Lista de clientes: códigos separados por vírgula, ou @ARQUIVO "
                                              "com um código por linha. Padrão: todos."),
                               QStringLiteral("LISTA")};
    QCommandLineOption lines{QStringLiteral("ramos"),
                             QStringLiteral("Lista de ramos de atividade (como --clientes). Padrão: todos."),
                             QStringLiteral("LISTA")};
    QCommandLineOption districts{QStringLiteral("bairros"),
                                 QStringLiteral("Lista de bairros (como --clientes): o código do bairro, "
                                                "em todos os municípios que o têm. Padrão: todos."),
                                 QStringLiteral("LISTA")};
    QCommandLineOption origins{QStringLiteral("origens"),
                               QStringLiteral("Origens: orcamento, encomenda, separadas por vírgula. "
                                              "Padrão: as duas."),
                               QStringLiteral("LISTA")};
    QCommandLineOption types{QStringLiteral("tipos"),
                             QStringLiteral("Tipos de cliente: fisica, juridica, outros, separados por "
                                            "vírgula. Padrão: todos."),
                             QStringLiteral("LISTA")};
    QCommandLineOption branch{
        QStringLiteral("filial"),
        QStringLiteral(
            "Filial do relatório. Padrão: a 'filial' da configuração, senão a primeira filial do banco."),
        QStringLiteral("CÓDIGO")};
    QCommandLineOption output{
        {QStringLiteral("o"), QStringLiteral("saida")},
        QStringLiteral("Arquivo a gravar; o formato vem da extensão (%1). - grava %2 "
                       "na saída padrão.")
            .arg(ReportExport::listed(QStringLiteral(".%1"), {}), standardOutputTitles()),
        QStringLiteral("ARQUIVO")};
    QCommandLineOption format{QStringLiteral("formato"),
                              QStringLiteral("Formato do arquivo, qualquer que seja a extensão: %1.")
                                  .arg(ReportExport::listed(QStringLiteral("%1"), QStringLiteral("ou"))),
                              QStringLiteral("FORMATO")};

    QList<QCommandLineOption> all() const {
        return {report, month, from, to, clients, lines, districts, origins, types, branch, output, format};
    }
};

struct Failure {
    QString text;
};

QString bad(const QCommandLineOption& option, const QString& why) {
    return QStringLiteral("%1: --%2: %3").arg(Program, option.names().constLast(), why);
}

// "a,b" or "@FILE" (one code a line; blank lines and lines starting with # are skipped).
QStringList codes(const QCommandLineOption& option, const QString& value) {
    QStringList found;
    if (value.startsWith(u'@')) {
        const QString path = value.mid(1);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            throw Failure{bad(
                option,
                QStringLiteral("não foi possível ler o arquivo '%1': %2.").arg(path, file.errorString()))};
        QTextStream in(&file);
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (!line.isEmpty() && !line.startsWith(u'#'))
                found << line;
        }
        if (found.isEmpty())
            throw Failure{bad(option, QStringLiteral("o arquivo '%1' não tem nenhum código.").arg(path))};
        return found;
    }
    for (const QString& part : value.split(u','))
        if (!part.trimmed().isEmpty())
            found << part.trimmed();
    if (found.isEmpty())
        throw Failure{bad(option, QStringLiteral("informe ao menos um código."))};
    return found;
}

// Words of a fixed set, each given as the user would write it: "orçamento", "Orcamento" or "o".
QStringList choices(const QCommandLineOption& option, const QString& value,
                    const std::vector<std::pair<QString, QString>>& known) {
    QStringList found;
    QStringList names;
    for (const auto& [word, code] : known)
        names << word;
    for (const QString& part : value.split(u',', Qt::SkipEmptyParts)) {
        const QString word = part.trimmed().normalized(QString::NormalizationForm_D).toLower();
        QString plain;
        for (QChar c : word)
            if (c.category() != QChar::Mark_NonSpacing)
                plain += c;
        auto it = std::find_if(known.begin(), known.end(), [&](const auto& k) {
            return plain == k.first || plain == k.second.toLower();
        });
        if (it == known.end())
            throw Failure{bad(option, QStringLiteral("'%1' não é um dos valores: %2.")
                                          .arg(part.trimmed(), names.join(QStringLiteral(", "))))};
        if (!found.contains(it->second))
            found << it->second;
    }
    if (found.isEmpty())
        throw Failure{bad(option, QStringLiteral("informe ao menos um de: %1.").arg(names.join(", ")))};
    return found;
}

// A date "DD/MM/AAAA" from "DD/MM[/AAAA]"; without the year, the given one, or the one after it when
// the day would come before after (an end of period that crosses the new year).
QString dayOf(const QCommandLineOption& option, const QString& value, int year,
              const std::optional<std::pair<int, int>>& after = std::nullopt) {
    static const QRegularExpression shape(QStringLiteral("^(\\d{1,2})/(\\d{1,2})(?:/(\\d{4}))?$"));
    const QRegularExpressionMatch m = shape.match(value);
    if (!m.hasMatch())
        throw Failure{
            bad(option, QStringLiteral("data inválida '%1' (use DD/MM ou DD/MM/AAAA).").arg(value))};
    const int day = m.captured(1).toInt();
    const int month = m.captured(2).toInt();
    if (!m.captured(3).isEmpty())
        year = m.captured(3).toInt();
    else if (after && std::pair(month, day) < *after)
        ++year;
    // An impossible day (31/02) goes to the screen as typed: its own check refuses it.
    return QStringLiteral("%1/%2/%3")
        .arg(day, 2, 10, QChar(u'0'))
        .arg(month, 2, 10, QChar(u'0'))
        .arg(year, 4, 10, QChar(u'0'));
}

void parseRequest(QCommandLineParser& parser, const RequestOptions& o, const QDate& today, ReportRequest& r) {
    auto value = [&](const QCommandLineOption& option) -> QString {
        if (!parser.isSet(option))
            return {};
        const QString v = parser.values(option).constLast().trimmed();
        if (v.isEmpty())
            throw Failure{bad(option, QStringLiteral("informe um valor (%1).").arg(option.valueName()))};
        return v;
    };
    r.report = value(o.report);
    if (r.report.isEmpty())
        throw Failure{
            QStringLiteral("%1: informe o relatório (--relatorio NOME ou --relatorio N). Use --help "
                           "para ver as opções.")
                .arg(Program)};
    if (const QString month = value(o.month); !month.isEmpty()) {
        static const QRegularExpression shape(QStringLiteral("^(\\d{1,2})/(\\d{4})$"));
        const QRegularExpressionMatch m = shape.match(month);
        if (!m.hasMatch())
            throw Failure{bad(o.month, QStringLiteral("mês inválido '%1' (use MM/AAAA).").arg(month))};
        r.month = QStringLiteral("%1/%2").arg(m.captured(1).toInt(), 2, 10, QChar(u'0')).arg(m.captured(2));
    }
    const QString from = value(o.from);
    const QString to = value(o.to);
    if (!r.month.isEmpty() && (!from.isEmpty() || !to.isEmpty()))
        throw Failure{bad(o.month, QStringLiteral("use --mes ou --de/--ate, não os dois."))};
    if (!from.isEmpty())
        r.from = dayOf(o.from, from, today.year());
    if (!to.isEmpty()) {
        std::optional<std::pair<int, int>> start;
        int year = today.year();
        if (!r.from.isEmpty()) {
            start = std::pair(r.from.mid(3, 2).toInt(), r.from.left(2).toInt());
            year = r.from.mid(6).toInt();
        }
        r.to = dayOf(o.to, to, year, start);
    }
    const std::pair<const QCommandLineOption*, std::optional<QStringList>*> lists[] = {
        {&o.clients, &r.clients}, {&o.lines, &r.lines}, {&o.districts, &r.districts}};
    for (auto [option, field] : lists)
        if (const QString v = value(*option); !v.isEmpty())
            *field = codes(*option, v);
    if (const QString v = value(o.origins); !v.isEmpty())
        r.origins = choices(o.origins, v,
                            {{QStringLiteral("orcamento"), QStringLiteral("O")},
                             {QStringLiteral("encomenda"), QStringLiteral("E")}});
    if (const QString v = value(o.types); !v.isEmpty())
        r.clientTypes = choices(o.types, v,
                                {{QStringLiteral("fisica"), QStringLiteral("F")},
                                 {QStringLiteral("juridica"), QStringLiteral("J")},
                                 {QStringLiteral("outros"), QStringLiteral("O")}});
    r.branch = value(o.branch);
    static const QRegularExpression branchCode(QStringLiteral("^[A-Za-z0-9_-]{1,10}$"));
    if (!r.branch.isEmpty() && !branchCode.match(r.branch).hasMatch())
        throw Failure{
            bad(o.branch,
                QStringLiteral("código de filial inválido '%1' (até 10 letras ou dígitos).").arg(r.branch))};
    r.output = value(o.output);
    if (r.output.isEmpty())
        throw Failure{
            QStringLiteral("%1: informe o arquivo a gravar (-o ARQUIVO, ou -o - para a saída padrão).")
                .arg(Program)};
    const QString format = value(o.format);
    std::optional<ReportExport::Format> chosen;
    if (!format.isEmpty()) {
        chosen = ReportExport::formatOfSuffix(format.toLower());
        if (!chosen)
            throw Failure{bad(o.format, QStringLiteral("formato desconhecido '%1' (%2).")
                                            .arg(format, ReportExport::listed(QStringLiteral("%1"),
                                                                              QStringLiteral("ou"))))};
    }
    if (r.output == QLatin1String("-")) {
        if (chosen && !ReportExport::info(*chosen).plainText)
            throw Failure{
                bad(o.format, QStringLiteral("a saída padrão recebe só %1.").arg(standardOutputTitles()))};
        if (!chosen)
            for (const ReportExport::FormatInfo& f : ReportExport::formats())
                if (f.plainText && !chosen)
                    chosen = f.format;
        r.format = *chosen;
        return;
    }
    if (!chosen)
        chosen = ReportExport::formatOfSuffix(QFileInfo(r.output).suffix().toLower());
    if (!chosen)
        throw Failure{bad(
            o.output, QStringLiteral("o formato de '%1' não vem da extensão (%2): use --formato.")
                          .arg(r.output, ReportExport::listed(QStringLiteral(".%1"), QStringLiteral("ou"))))};
    r.format = *chosen;
}

QString helpText(QCommandLineParser& parser) {
    // Qt names the program as it was typed (argv[0]); the help names the command.
    QString text = parser.helpText();
    const QString usage = QStringLiteral("Uso: ");
    if (text.startsWith(usage))
        text = usage + Program + text.mid(text.indexOf(u' ', usage.size()));
    return text +
           QStringLiteral(
               "\nO relatório sai como a tela Dados do Cliente o imprimiria com os mesmos filtros, sem abrir "
               "janela. Filtros que o relatório escolhido não usa são recusados.\n\n"
               "Arquivo de pedidos (--pedidos): um relatório por linha, com as opções acima (as da linha de "
               "comando valem para todas as linhas); linhas vazias e as que começam por # são ignoradas. "
               "Todos rodam numa só conexão, um depois do outro; cada falha é dita com a linha.\n\n"
               "Saída: 0 quando todos os arquivos foram gravados por inteiro; 1 quando um pedido foi "
               "recusado "
               "ou falhou (a mensagem na saída de erros; o arquivo de destino fica como estava); 2 para "
               "opções inválidas.\n\n"
               "Exemplo (crontab, dia 1 de cada mês às 6h):\n"
               "  0 6 1 * * erp-host report --database firebird://servidor/erp.fdb --relatorio 0 "
               "--mes $(date +\\%m/\\%Y) --filial 01 -o /srv/relatorios/aniversariantes-01.pdf --quiet\n");
}

} // namespace

bool ReportCommand::wanted(const QStringList& arguments) {
    return arguments.size() > 1 && arguments.at(1) == QLatin1String("report");
}

ReportCommandLine ReportCommand::parse(const QStringList& arguments, const QDate& today) {
    ReportCommandLine result;
    const RequestOptions o;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "ERP — Dados do Cliente: grava um relatório de clientes (QMT318) num arquivo PDF, XLSX ou CSV, "
        "sem janela, com os filtros da tela."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Mostra esta ajuda e sai."));
    const QCommandLineOption database(
        QStringLiteral("database"),
        QStringLiteral("Banco de dados: sqlite:ARQUIVO, firebird:ARQUIVO, "
                       "firebird://SERVIDOR[:PORTA]/ARQUIVO ou postgres://SERVIDOR[:PORTA]/BANCO. Padrão: o "
                       "'banco' da configuração do "
                       "usuário ou do sistema (erp-host.conf), senão o banco de demonstração."),
        QStringLiteral("URL"));
    const QCommandLineOption reports(QStringLiteral("reports"),
                                     QStringLiteral("Pasta das definições de relatório."),
                                     QStringLiteral("PASTA"));
    const QCommandLineOption modules(QStringLiteral("modules"),
                                     QStringLiteral("Pasta dos módulos (Pkg_qmt31800.so)."),
                                     QStringLiteral("PASTA"));
    const QCommandLineOption idioma(QStringLiteral("idioma"),
                                    QStringLiteral("Idioma dos módulos (padrão: pt)."),
                                    QStringLiteral("IDIOMA"));
    const QCommandLineOption requests(QStringLiteral("pedidos"),
                                      QStringLiteral("Arquivo com um pedido de relatório por linha."),
                                      QStringLiteral("ARQUIVO"));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Nada além das mensagens de erro na saída de erros."));
    parser.addOptions({help, database, reports, modules, idioma, requests, quiet});
    parser.addOptions(o.all());

    auto error = [&](const QString& line) {
        result.action = CommandLineResult::Action::Error;
        result.text = line;
        return result;
    };
    QStringList args = arguments;
    args.removeAt(1); // "report"
    if (!parser.parse(args))
        return error(
            QStringLiteral("%1: %2 Use --help para ver as opções.").arg(Program, parser.errorText()));
    if (parser.isSet(help)) {
        result.action = CommandLineResult::Action::Help;
        if (QCoreApplication::instance())
            result.text = helpText(parser);
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return error(QStringLiteral("%1: argumento inesperado '%2'. Use --help para ver as opções.")
                         .arg(Program, parser.positionalArguments().first()));
    result.quiet = parser.isSet(quiet);

    // The host's own checks of the options it shares with the window.
    QStringList hostArgs{arguments.first()};
    for (const QCommandLineOption* option : {&database, &reports, &modules, &idioma})
        if (parser.isSet(*option))
            hostArgs << QStringLiteral("--") + option->names().constFirst()
                     << parser.values(*option).constLast();
    const CommandLineResult host = CommandLine::parse(hostArgs);
    if (host.action == CommandLineResult::Action::Error)
        return error(QString(host.text).replace(QStringLiteral("erp-host:"), Program + u':'));
    result.options = host.options;

    // What the command line says of a request holds for every line of the file, which may change it.
    QStringList common{arguments.first()};
    for (const QCommandLineOption& option : o.all())
        if (parser.isSet(option))
            common << QStringLiteral("--") + option.names().constLast() << parser.values(option).constLast();
    try {
        if (!parser.isSet(requests)) {
            ReportRequest r;
            parseRequest(parser, o, today, r);
            result.requests << r;
            return result;
        }
        const QString path = parser.value(requests);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return error(bad(
                requests,
                QStringLiteral("não foi possível ler o arquivo '%1': %2.").arg(path, file.errorString())));
        QTextStream in(&file);
        for (int number = 1; !in.atEnd(); ++number) {
            const QString line = in.readLine().trimmed();
            if (line.isEmpty() || line.startsWith(u'#'))
                continue;
            QCommandLineParser lineParser;
            lineParser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
            lineParser.addOptions(o.all());
            ReportRequest r;
            r.where = QStringLiteral("linha %1 de %2").arg(number).arg(path);
            const QStringList tokens = QProcess::splitCommand(line);
            if (!lineParser.parse(common + tokens))
                throw Failure{QStringLiteral("%1: %2: %3").arg(Program, r.where, lineParser.errorText())};
            if (!lineParser.positionalArguments().isEmpty())
                throw Failure{QStringLiteral("%1: %2: argumento inesperado '%3'.")
                                  .arg(Program, r.where, lineParser.positionalArguments().first())};
            try {
                parseRequest(lineParser, o, today, r);
            } catch (const Failure& f) {
                throw Failure{
                    QString(f.text).replace(Program + u':', Program + u':' + u' ' + r.where + u':')};
            }
            result.requests << r;
        }
        if (result.requests.isEmpty())
            return error(bad(requests, QStringLiteral("o arquivo '%1' não tem nenhum pedido.").arg(path)));
    } catch (const Failure& f) {
        return error(f.text);
    }
    return result;
}
