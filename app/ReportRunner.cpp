// The report command's run: the module's screen opened in a main window that is never shown, its
// controls set as the user would set them, and its own print action, so that its validation, its
// parameter handler and its messages are the window's.
#include "HostStartup.h"
#include "ReportCommand.h"

#include "core/Errors.h"
#include "core/HostSettings.h"
#include "core/MessageSink.h"
#include "core/OfficeSettings.h"
#include "data/Branches.h"
#include "data/TADOIBStringField.h"
#include "data/TDataSet.h"
#include "data/TDataSource.h"
#include "data/dtmDBGeral.h"
#include "demo/DemoDatabase.h"
#include "dialogs/LookupService.h"
#include "forms/TApplication.h"
#include "forms/TCheckBox.h"
#include "forms/TRadioButton.h"
#include "library/FiliProc.h"
#include "library/TDateEditPlus.h"
#include "packages/ModuleRegistry.h"
#include "packages/PackageLoader.h"
#include "reporting/ReportController.h"
#include "reporting/TfrmDadosGerRel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLocale>
#include <QMainWindow>
#include <QMdiArea>
#include <QSet>
#include <QTemporaryDir>
#include <atomic>
#include <csignal>
#include <unistd.h>

using HostStartup::printLine;

namespace {

const QString Prefix = QStringLiteral("erp-host report: ");

// Set by SIGINT or SIGTERM (Ctrl+C, a job's time limit): the running report stops between rows and
// its file is dropped unwritten, and no other request starts.
volatile std::sig_atomic_t g_stop = 0;

// Nobody is there to read a dialog: errors are kept for the request that caused them, information
// goes to stderr, and whatever would be asked is refused.
class ConsoleSink : public MessageSink {
public:
    explicit ConsoleSink(bool quiet) : m_quiet(quiet) {}
    void showError(const QString& text) override { m_errors << text; }
    void showInformation(const QString& text) override {
        if (!m_quiet)
            printLine(stderr, Prefix + text);
    }
    std::optional<QString> promptText(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<Credentials> promptLogin(const QString&, const QString& prompt, const QString&) override {
        m_errors << prompt +
                        QStringLiteral(" Sem janela, o usuário e a senha vêm de ISC_USER e ISC_PASSWORD.");
        return std::nullopt;
    }
    QStringList take() { return std::exchange(m_errors, {}); }

private:
    bool m_quiet;
    QStringList m_errors;
};

// The screen's lookups answered with the request's codes: a code is a row's key or the code the
// list shows first (a neighbourhood's code picks it in every city that has it).
class RequestLookup : public LookupService {
public:
    void answerNext(const QStringList& codes) { m_codes = codes; }
    std::optional<QStringList> chooseFromList(const LookupRequest& request) override {
        if (!m_codes)
            return std::nullopt;
        const QStringList wanted = *std::exchange(m_codes, std::nullopt);
        const TDataSet* data = request.dataSource->DataSet();
        const int key = data->columnOf(request.keyField);
        int shown = -1;
        for (TADOIBStringField* field : data->Fields())
            if (field->Visible()) {
                shown = data->columnOf(field->FieldName());
                break;
            }
        const QSet<QString> want(wanted.begin(), wanted.end());
        QSet<QString> found;
        QSet<QString> taken;
        QStringList keys;
        const QueryRowsModel* rows = data->model();
        for (int r = 0; r < rows->rowCount(); ++r) {
            const QString k = rows->text(r, key);
            const QString s = shown >= 0 ? rows->text(r, shown) : QString();
            const bool byKey = want.contains(k);
            const bool byCode = shown >= 0 && want.contains(s);
            if (byKey)
                found.insert(k);
            if (byCode)
                found.insert(s);
            if ((byKey || byCode) && !taken.contains(k)) {
                taken.insert(k);
                keys << k;
            }
        }
        QStringList missing;
        for (const QString& code : wanted)
            if (!found.contains(code))
                missing << code;
        if (!missing.isEmpty())
            throw EHostError((missing.size() == 1 ? QStringLiteral("%1: o código %2 não está na lista.")
                                                  : QStringLiteral("%1: os códigos %2 não estão na lista."))
                                 .arg(request.title, missing.join(QStringLiteral(", "))));
        return keys;
    }

private:
    std::optional<QStringList> m_codes;
};

bool stderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

class Runner {
public:
    Runner(const ReportCommandLine& command, ConsoleSink& sink, RequestLookup& lookup)
        : m_command(command), m_sink(sink), m_lookup(lookup),
          m_progress(!command.quiet && stderrIsTerminal()) {}

    ~Runner() {
        PackageLoader::instance().unloadAll();
        delete m_window;
        dtmDBGeral::instance().close();
    }

    // Opens the database and the screen; the message when either cannot be.
    QString start();
    // Writes one request; the message when it was refused or failed.
    QString run(const ReportRequest& request);

private:
    template <class T = QWidget> T* control(const char* name) const {
        T* found = m_form->findChild<T*>(QLatin1String(name));
        if (!found)
            throw EHostError(
                QStringLiteral("A tela Dados do Cliente não tem o controle '%1'.").arg(QLatin1String(name)));
        return found;
    }
    QString errors() { return m_sink.take().join(u'\n'); }
    int reportIndex(const QString& report) const;
    QString setFilters(const ReportRequest& r);
    void showProgress(qint64 rows);

    const ReportCommandLine& m_command;
    ConsoleSink& m_sink;
    RequestLookup& m_lookup;
    bool m_progress;
    QMainWindow* m_window = nullptr;
    TfrmDadosGerRel* m_form = nullptr;
    QString m_firstBranch;
    QString m_title;
    QElapsedTimer m_clock;
    std::atomic<qint64> m_lastShown{0};
    std::atomic<bool> m_shown{false};
};

QString Runner::start() {
    // As the window: the command line, then the user's and the system's settings, then the demo.
    QString url = OfficeSettings::value(QStringLiteral("banco"), m_command.options.database).value;
    try {
        if (url.isEmpty()) {
            QString notice;
            url = DemoDatabase::ensureDefault(&notice);
            if (!notice.isEmpty())
                m_sink.showInformation(notice);
        }
        dtmDBGeral::instance().open(url);
    } catch (const EHostError& e) {
        return e.message();
    }
    // A request without --filial prints for the settings' branch, else the first of the table.
    try {
        m_firstBranch = Branches::first(dtmDBGeral::database(), url);
    } catch (const EHostError& e) {
        return e.message();
    }
    if (const QString configured = OfficeSettings::value(QStringLiteral("filial")).value;
        !configured.isEmpty())
        m_firstBranch = configured;

    // The screen lives in a main window of its own that is never shown.
    m_window = new QMainWindow;
    auto* area = new QMdiArea(m_window);
    m_window->setCentralWidget(area);
    TApplication::instance().setMainWindow(m_window, area);
    const QStringList candidates = HostStartup::moduleCandidates(m_command.options.modulesDir);
    const auto path = std::find_if(candidates.begin(), candidates.end(),
                                   [](const QString& p) { return QFileInfo::exists(p); });
    if (path == candidates.end())
        return QStringLiteral(
                   "O módulo Pkg_qmt31800.so não foi encontrado. Procurado em: %1. Use --modules PASTA.")
            .arg(candidates.join(QStringLiteral(", ")));
    TApplication::guard([&] { PackageLoader::instance().load(*path).IniProc(); });
    m_form = qobject_cast<TfrmDadosGerRel*>(TApplication::instance().activeForm());
    if (const QString why = errors(); !why.isEmpty())
        return why;
    if (!m_form)
        return QStringLiteral("A tela Dados do Cliente não abriu.");
    m_form->reports().setCancelCheck([this](qint64 rows) {
        showProgress(rows);
        return g_stop != 0;
    });
    m_clock.start();
    return {};
}

// One line, rewritten in place a few times a second, while the rows are read (on the worker thread).
void Runner::showProgress(qint64 rows) {
    if (!m_progress)
        return;
    const qint64 now = m_clock.elapsed();
    qint64 last = m_lastShown;
    if (now - last < 250 || !m_lastShown.compare_exchange_strong(last, now))
        return;
    m_shown = true;
    std::fprintf(stderr, "\r\033[K%s: %lld %s", m_title.toLocal8Bit().constData(),
                 static_cast<long long>(rows), rows == 1 ? "registro lido" : "registros lidos");
    std::fflush(stderr);
}

int Runner::reportIndex(const QString& report) const {
    const QComboBox* combo = m_form->cbbReportNames;
    bool number = false;
    const int position = report.toInt(&number);
    if (number)
        return position >= 0 && position < combo->count() ? position : -1;
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i).simplified().compare(report.simplified(), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString Runner::setFilters(const ReportRequest& r) {
    const QString title = m_form->cbbReportNames->currentText();
    auto unused = [&](const QString& filter, const char* option) {
        return QStringLiteral("O relatório '%1' não tem o filtro %2 (--%3).")
            .arg(title, filter, QLatin1String(option));
    };
    auto* dates = control<QGroupBox>("grbDtAn");
    auto* from = control<TDateEditPlus>("depDeDtAn");
    auto* to = control<TDateEditPlus>("depAteDtAn");
    const bool monthly = dates->isEnabled() && from->EditStyle() == 1;
    const bool period = dates->isEnabled() && to->isEnabled();
    if (!r.month.isEmpty() && !monthly)
        return unused(QStringLiteral("mês"), "mes");
    if (!r.from.isEmpty() && !period)
        return unused(QStringLiteral("período"), "de");
    if (!r.to.isEmpty() && !period)
        return unused(QStringLiteral("período"), "ate");
    if (dates->isEnabled()) {
        const QString first = monthly ? r.month : r.from;
        first.isEmpty() ? from->Clear() : from->SetText(first);
        if (period)
            r.to.isEmpty() ? to->Clear() : to->SetText(r.to);
    }

    const struct {
        const char *group, *all, *list, *button, *option;
        QString name;
        const std::optional<QStringList>& codes;
    } lists[] = {
        {"grbCliente", "rbtTCliente", "rbtLCliente", "sbtCliente", "clientes", QStringLiteral("de clientes"),
         r.clients},
        {"grbRamoAtiv", "rbtTRamoAtiv", "rbtLRamoAtiv", "sbtRamoAtiv", "ramos",
         QStringLiteral("de ramos de atividade"), r.lines},
        {"grbBairro", "rbtTBairro", "rbtLBairro", "sbtBairro", "bairros", QStringLiteral("de bairros"),
         r.districts},
    };
    for (const auto& l : lists) {
        auto* list = control<TRadioButton>(l.list);
        const bool usable = control(l.group)->isEnabled() && list->isEnabled();
        if (l.codes && !usable)
            return unused(l.name, l.option);
        if (!usable)
            continue;
        if (!l.codes) {
            control<TRadioButton>(l.all)->SetChecked(true);
            continue;
        }
        list->SetChecked(true);
        m_lookup.answerNext(*l.codes);
        control<QAbstractButton>(l.button)->click();
        m_lookup.answerNext({});
        if (const QString why = errors(); !why.isEmpty())
            return why;
    }

    const struct {
        const char *group, *option;
        QString name;
        const std::optional<QStringList>& chosen;
        std::vector<std::pair<const char*, QString>> boxes;
    } checks[] = {
        {"grbTpOrcamento",
         "origens",
         QStringLiteral("de origem"),
         r.origins,
         {{"chbOrcamento", QStringLiteral("O")}, {"chbEncomenda", QStringLiteral("E")}}},
        {"grbTipoClie",
         "tipos",
         QStringLiteral("de tipo de cliente"),
         r.clientTypes,
         {{"chbFisica", QStringLiteral("F")},
          {"chbJuridica", QStringLiteral("J")},
          {"chbOutros", QStringLiteral("O")}}},
    };
    for (const auto& c : checks) {
        if (!control(c.group)->isEnabled()) {
            if (c.chosen)
                return unused(c.name, c.option);
            continue;
        }
        for (const auto& [box, code] : c.boxes)
            control<TCheckBox>(box)->SetChecked(!c.chosen || c.chosen->contains(code));
    }
    return errors();
}

QString Runner::run(const ReportRequest& r) {
    m_sink.take();
    const QString branch = r.branch.isEmpty() ? m_firstBranch : r.branch;
    if (const QString why = Branches::problem(dtmDBGeral::database(), branch, dtmDBGeral::instance().url());
        !why.isEmpty())
        return why;
    SetFilial(branch);

    const int index = reportIndex(r.report);
    if (index < 0) {
        QStringList known;
        for (int i = 0; i < m_form->cbbReportNames->count(); ++i)
            known << QStringLiteral("%1 %2").arg(i).arg(m_form->cbbReportNames->itemText(i));
        return QStringLiteral("O relatório '%1' não está na lista da tela Dados do Cliente (%2).")
            .arg(r.report, known.join(QStringLiteral(", ")));
    }
    // What a user's pick does: the entry changes, then the combo reports the activation.
    m_form->cbbReportNames->setCurrentIndex(index);
    emit m_form->cbbReportNames->activated(index);
    m_title = m_form->cbbReportNames->currentText();
    try {
        if (const QString why = setFilters(r); !why.isEmpty())
            return why;
    } catch (const EHostError& e) {
        return e.message();
    }

    // Standard output gets the file once it is whole: a failed run prints nothing there.
    QTemporaryDir scratch;
    const bool toStdout = r.output == QLatin1String("-");
    const QString path = toStdout
                             ? scratch.filePath(QStringLiteral("relatorio.") + ReportExport::suffix(r.format))
                             : QFileInfo(r.output).absoluteFilePath();
    HostSettings::setPrinter(ReportExport::suffix(r.format) + u':' + path);
    m_lastShown = m_clock.elapsed();
    m_shown = false;
    control<QAbstractButton>("sbtPrint")->click();
    if (m_shown)
        std::fputs("\r\033[K", stderr);
    if (const QString why = errors(); !why.isEmpty())
        return why;
    if (g_stop)
        return QStringLiteral("Interrompido: o relatório '%1' não foi gravado em '%2'.").arg(m_title, path);
    if (!QFileInfo::exists(path))
        return QStringLiteral("O relatório '%1' não foi gravado em '%2'.").arg(m_title, path);
    if (toStdout) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("Não foi possível ler '%1': %2.").arg(path, file.errorString());
        QFile out;
        out.open(stdout, QIODevice::WriteOnly);
        while (!file.atEnd())
            if (out.write(file.read(1 << 16)) < 0)
                return QStringLiteral("Não foi possível escrever o relatório na saída padrão: %1.")
                    .arg(out.errorString());
        if (!out.flush())
            return QStringLiteral("Não foi possível escrever o relatório na saída padrão: %1.")
                .arg(out.errorString());
    } else if (m_progress) {
        printLine(stderr, Prefix + QStringLiteral("'%1' gravado em %2").arg(m_title, path));
    }
    return {};
}

} // namespace

int ReportCommand::run(const ReportCommandLine& command, int& argc, char** argv) {
    // The screen is made of widgets; without a display they live on the offscreen platform.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Cron and services start without a session's runtime folder, which nothing here needs: Qt's
    // notice about it would only be noise in the job's mail.
    static QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (!text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
                previous(type, context, text);
        });
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("erp-host"));
    app.setApplicationVersion(QStringLiteral(ERP_VERSION));
    HostStartup::installQtTranslations(app, command.options.language);
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    HostStartup::locateData(command.options);
    HostStartup::findUserName();
    ModuleRegistry::setLanguage(command.options.language);
    TApplication::instance().initialise();
    auto sink = std::make_unique<ConsoleSink>(command.quiet);
    auto lookup = std::make_unique<RequestLookup>();
    ConsoleSink& messages = *sink;
    RequestLookup& answers = *lookup;
    MessageSink::install(std::move(sink));
    LookupService::install(std::move(lookup));

    for (int signal : {SIGINT, SIGTERM})
        std::signal(signal, [](int) { g_stop = 1; });
    Runner runner(command, messages, answers);
    if (const QString why = runner.start(); !why.isEmpty()) {
        printLine(stderr, Prefix + why);
        return 1;
    }
    int failed = 0;
    for (const ReportRequest& request : command.requests) {
        if (g_stop) {
            printLine(stderr, Prefix + QStringLiteral(
                                           "interrompido; os relatórios que faltavam não foram gravados."));
            return 1;
        }
        const QString why = runner.run(request);
        if (why.isEmpty())
            continue;
        ++failed;
        const QString target =
            request.output == QLatin1String("-") ? QStringLiteral("saída padrão") : request.output;
        printLine(stderr, Prefix +
                              (request.where.isEmpty()
                                   ? QString()
                                   : request.where + QStringLiteral(" (") + target + QStringLiteral("): ")) +
                              why);
    }
    if (failed > 0 && command.requests.size() > 1)
        printLine(stderr, Prefix + QStringLiteral("%1 de %2 relatórios não foram gravados.")
                                       .arg(failed)
                                       .arg(command.requests.size()));
    return failed == 0 ? 0 : 1;
}
