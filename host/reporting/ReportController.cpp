#include "reporting/ReportController.h"

#include "core/CellText.h"
#include "core/Errors.h"
#include "core/MessageSink.h"
#include "data/Branches.h"
#include "data/dtmDBGeral.h"
#include "library/FiliProc.h"
#include "library/TMessages.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportDialogs.h"
#include "reporting/ReportDocument.h"
#include "reporting/ReportEditRequest.h"
#include "reporting/ReportEngine.h"
#include "reporting/ReportTask.h"
#include "reporting/TParams.h"
#include "reporting/export/ReportExport.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrinter>

namespace {

// The texts the base form's message table holds, for a controller used without one.
QString fallbackMessage(const QString& key) {
    if (key == u"Arq_Rel_Err")
        return QStringLiteral("O arquivo contendo a definição do relatório de código '%s' não foi encontrado "
                              "no diretório '%s'.");
    if (key == u"NovoCaption")
        return QStringLiteral("Título do relatório");
    if (key == u"NovoPrompt")
        return QStringLiteral("Informe o título do relatório:");
    return key;
}

// "%s" placeholders, filled in order.
QString fillPercentS(QString text, const QStringList& values) {
    for (const QString& v : values) {
        const qsizetype at = text.indexOf(QLatin1String("%s"));
        if (at < 0)
            break;
        text.replace(at, 2, v);
    }
    return text;
}

QString titleTakenMessage(const QString& title) {
    return QStringLiteral("Já existe um relatório com o título '%1'.").arg(title);
}

} // namespace

ReportController::ReportController(QObject* parent) : QObject(parent) {}
ReportController::~ReportController() = default;

void ReportController::setContext(const ReportContext& context) {
    m_context = context;
    m_catalogue.setCode(context.code);
}

QString ReportController::message(const QString& key) const {
    if (m_context.messages && m_context.messages->HasKey(key))
        return m_context.messages->Msg(key);
    return fallbackMessage(key);
}

void ReportController::reload() {
    QStringList errors = m_catalogue.reload();
    emit listed(m_catalogue.titles());
    // Without the folder no report can run: said when the screen opens, not at the first action.
    if (!QFileInfo(m_catalogue.folder()).isDir())
        errors.prepend(missingDefinitionMessage());
    // The readable definitions are listed; the others are reported by name.
    if (!errors.isEmpty())
        throw EHostError(errors.join(u'\n'));
}

QString ReportController::missingDefinitionMessage() const {
    return fillPercentS(message(QStringLiteral("Arq_Rel_Err")),
                        {m_context.code, QDir::toNativeSeparators(m_catalogue.folder())});
}

int ReportController::variantAt(int index) const {
    return m_catalogue.variantAt(index);
}

ReportDefinition ReportController::definitionAt(int index) const {
    if (!m_catalogue.exists(index))
        MensErro(missingDefinitionMessage(), true);
    // A definition that cannot be read says so, naming its file, for every action.
    return ReportDefinition::load(m_catalogue.at(index).path);
}

void ReportController::setCancelCheck(std::function<bool(qint64)> check) {
    m_cancelCheck = std::move(check);
}

ReportRun ReportController::makeRun() const {
    dtmDBGeral& data = dtmDBGeral::instance();
    data.ensureOpen();
    ReportRun run;
    run.db = dtmDBGeral::database();
    run.kind = data.kind();
    run.designer = m_context.designer;
    run.branch = cellText(Branches::caption(run.db, FiliProc()));
    return run;
}

namespace {

// The run as the worker thread sees it: its own connection, its progress told to the task's window,
// and a cancel check besides the window's.
ReportRun onWorker(ReportRun run, QSqlDatabase db, ReportProgress& progress,
                   const std::function<bool(qint64)>& check) {
    run.db = db;
    run.designer = nullptr;
    run.progress = [&progress, check](qint64 rows) {
        progress.rows = rows;
        return (check && check(rows)) || progress.cancelled;
    };
    return run;
}

} // namespace

std::unique_ptr<ReportDocument> ReportController::startDocument(const ReportDefinition& def,
                                                                const QString& path, ReportTask& task) {
    ReportRun run = makeRun();
    // The screen fills the parameters here, on its own thread; the worker only binds them.
    std::shared_ptr<const TParams> params = ReportEngine::fillParams(def, run);
    run.params = params.get();
    auto doc = std::make_unique<ReportDocument>(def, run.branch, QDateTime::currentDateTime());
    if (const std::optional<QPageLayout> layout = m_printers.pageLayout(path))
        doc->setPageLayout(*layout);
    ReportDocument* target = doc.get();
    connect(&task, &ReportTask::finished, target, [&task, target] {
        const QString error = task.errorMessage();
        if (!error.isEmpty())
            target->fail(error);
        else if (!task.progress().cancelled)
            target->complete();
    });
    const QSqlDatabase source = run.db;
    run.db = QSqlDatabase();
    task.start(
        [def, run, params, target, check = m_cancelCheck](QSqlDatabase db, ReportProgress& progress) {
            ReportFeed feed(*target);
            ReportEngine::run(def, onWorker(run, db, progress, check), feed);
        },
        source, dtmDBGeral::instance().url());
    return doc;
}

std::unique_ptr<ReportDocument> ReportController::runReport(const ReportDefinition& def,
                                                            const QString& path) {
    std::unique_ptr<ReportDocument> doc;
    ReportTask task(m_context.window, def.title);
    doc = startDocument(def, path, task);
    task.wait();
    return doc;
}

void ReportController::previewReport(const ReportDefinition& def, const QString& path) {
    std::unique_ptr<ReportDocument> doc;
    ReportTask task(m_context.window, def.title);
    doc = startDocument(def, path, task);
    task.wait([&] { return doc->pageCount() > 0; });
    ReportDialogs::instance().previewReport(*doc);
    // Closed before the last row came: the rest is not read.
    task.cancel();
    if (!doc->failure().isEmpty())
        throw EHostError(doc->failure());
}

void ReportController::writeFile(const ReportDefinition& def, const SessionPrinters::FileTarget& file,
                                 const QPageLayout& layout) {
    // A file that cannot be written is said before the report asks anything.
    if (const QString problem = ReportExport::targetProblem(file.path); !problem.isEmpty())
        throw EHostError(ReportExport::cannotWrite(file.path, problem));
    ReportRun run = makeRun();
    std::shared_ptr<const TParams> params = ReportEngine::fillParams(def, run);
    run.params = params.get();
    const QSqlDatabase source = run.db;
    run.db = QSqlDatabase();
    ReportTask task(m_context.window, def.title);
    task.start(
        [&, run](QSqlDatabase db, ReportProgress& progress) {
            const std::unique_ptr<ReportSink> sink = ReportExport::open(
                file.format, def, {file.path, layout, [&progress](int pages) { progress.pages = pages; }});
            ReportEngine::run(def, onWorker(run, db, progress, m_cancelCheck), *sink);
        },
        source, dtmDBGeral::instance().url());
    task.wait();
}

void ReportController::preview(int index) {
    // The definition first: a missing one is said before its entry is looked at.
    const ReportDefinition def = definitionAt(index);
    previewReport(def, m_catalogue.at(index).path);
}

void ReportController::print(int index) {
    const ReportDefinition def = definitionAt(index);
    const QString path = m_catalogue.at(index).path;
    m_printers.print(
        path, def, [&] { return runReport(def, path); },
        [&](const SessionPrinters::FileTarget& file, const QPageLayout& layout) {
            writeFile(def, file, layout);
        },
        [&](const ReportDocument& doc, QPrinter& printer) {
            ReportTask::print(m_context.window, doc, printer);
        });
}

void ReportController::printerSetup(int index) {
    const ReportDefinition def = definitionAt(index);
    m_printers.setup(m_catalogue.at(index).path, def);
}

void ReportController::saveAs(int index) {
    const ReportDefinition def = definitionAt(index);
    const std::optional<QString> answer = MessageSink::instance().promptText(
        message(QStringLiteral("NovoCaption")), message(QStringLiteral("NovoPrompt")), def.title);
    if (!answer)
        return;
    const QString title = answer->simplified();
    if (title.isEmpty())
        MensErro(QStringLiteral("O título do relatório deve ser informado."), true);
    if (m_catalogue.titleTaken(title))
        MensErro(titleTakenMessage(title), true);
    emit added(m_catalogue.saveCopy(def, title, index).listText());
}

void ReportController::edit(int index) {
    const ReportDefinition def = definitionAt(index);
    const QString path = m_catalogue.at(index).path;
    ReportEditRequest request;
    request.definition = def;
    request.path = path;
    request.code = m_context.code;
    // The live page reads its rows with the screen's current filters; filters the screen cannot give
    // now leave the parameters unset.
    if (dtmDBGeral::instance().isOpen()) {
        try {
            request.branch = makeRun().branch;
        } catch (const EHostError&) {
        }
        request.params = [this, def]() -> std::shared_ptr<const TParams> {
            try {
                return ReportEngine::fillParams(def, makeRun());
            } catch (const EAbort&) {
            } catch (const EHostError&) {
            }
            return nullptr;
        };
    }
    request.validate = [this, index, def](const ReportDefinition& changed) -> QString {
        // The screen's filter rules follow the position: a report cannot be moved by editing it.
        if (changed.order != def.order || changed.variant != def.variant)
            return QStringLiteral("A posição do relatório na lista (order %1) não pode ser mudada no editor.")
                .arg(def.order);
        if (m_catalogue.titleTaken(changed.title.trimmed(), index))
            return titleTakenMessage(changed.title.trimmed());
        dtmDBGeral& data = dtmDBGeral::instance();
        if (!data.isOpen())
            return QStringLiteral("O banco de dados não está aberto; a consulta não pôde ser verificada.");
        return ReportEngine::checkForSave(changed, dtmDBGeral::database(), data.kind());
    };
    request.test = [this, path](const ReportDefinition& changed) {
        try {
            previewReport(changed, path);
        } catch (const EAbort&) {
        } catch (const EHostError& e) {
            MessageSink::instance().showError(e.message());
        }
    };
    // Where the change would go is known (or its impossibility said) before the designer opens.
    if (m_catalogue.at(index).layer == ReportLayer::Package)
        request.confirmSave = [title = def.title, target = m_catalogue.updateTarget(index)] {
            return MessageSink::instance().confirm(
                QStringLiteral("Salvar"),
                QStringLiteral("'%1' é um relatório padrão. Salvar as alterações em '%2'?\nO padrão continua "
                               "guardado e volta com \"Restaurar o padrão\".")
                    .arg(title, QDir::toNativeSeparators(target)),
                QStringLiteral("Salvar"));
        };
    if (!ReportDialogs::instance().editReport(request))
        return;
    request.definition.title = request.definition.title.trimmed();
    const QString problem = request.validate(request.definition);
    if (!problem.isEmpty())
        throw EHostError(problem);
    // The package's file stays as shipped; its first change goes above it, once the user says so.
    if (request.confirmSave && !request.saveConfirmed && !request.confirmSave())
        return;
    emit renamed(index, m_catalogue.update(index, request.definition).listText());
}

void ReportController::restoreDefault(int index) {
    // A corrupt file too can be removed: it is not read, only named.
    if (!m_catalogue.exists(index))
        MensErro(missingDefinitionMessage(), true);
    const ReportEntry& entry = m_catalogue.at(index);
    if (entry.shipped.isEmpty())
        MensErro(entry.isShipped()
                     ? QStringLiteral("O relatório '%1' não foi alterado: já é o padrão.").arg(entry.title)
                     : QStringLiteral("O relatório '%1' não é um relatório padrão; para apagá-lo use "
                                      "\"Excluir relatório…\".")
                           .arg(entry.title),
                 true);
    if (!MessageSink::instance().confirm(
            QStringLiteral("Restaurar o padrão"),
            QStringLiteral("Restaurar o relatório padrão no lugar de '%1'?\nAs alterações gravadas em '%2' "
                           "serão apagadas.")
                .arg(entry.title, entry.layered.join(QStringLiteral("', '"))),
            QStringLiteral("Restaurar")))
        return;
    const size_t count = m_catalogue.entries().size();
    m_catalogue.removeLayered(index);
    if (m_catalogue.entries().size() == count)
        emit renamed(index, m_catalogue.at(index).listText());
    else
        emit listed(m_catalogue.titles());
}

void ReportController::remove(int index) {
    // A corrupt file too can be removed: it is not read, only named.
    if (!m_catalogue.exists(index))
        MensErro(missingDefinitionMessage(), true);
    const ReportEntry& entry = m_catalogue.at(index);
    if (entry.isShipped())
        MensErro(QStringLiteral("O relatório '%1' é um relatório padrão e não pode ser excluído.%2")
                     .arg(entry.title, entry.shipped.isEmpty()
                                           ? QString()
                                           : QStringLiteral(" Para desfazer as alterações use \"Restaurar o "
                                                            "padrão\".")),
                 true);
    if (!MessageSink::instance().confirm(
            QStringLiteral("Excluir relatório"),
            QStringLiteral("Excluir o relatório '%1'?\nO arquivo '%2' será apagado.")
                .arg(entry.title, entry.layered.join(QStringLiteral("', '"))),
            QStringLiteral("Excluir")))
        return;
    const size_t count = m_catalogue.entries().size();
    m_catalogue.removeLayered(index);
    if (m_catalogue.entries().size() + 1 == count)
        emit removed(index);
    else
        emit listed(m_catalogue.titles());
}
