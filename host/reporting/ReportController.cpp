#include "reporting/ReportController.h"
#include "library/FiliProc.h"

#include "core/Errors.h"
#include "core/HostSettings.h"
#include "core/MessageSink.h"
#include "data/Branches.h"
#include "data/dtmDBGeral.h"
#include "forms/TComboBox.h"
#include "library/TMessages.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportDialogs.h"
#include "reporting/ReportDocument.h"
#include "reporting/ReportEditRequest.h"
#include "reporting/ReportEngine.h"
#include "reporting/ReportProgressDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <memory>

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

// A file name from a title: lower case, no accents, words joined by "_".
QString fileStem(const QString& title) {
    QString out;
    for (QChar c : title.normalized(QString::NormalizationForm_D)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.unicode() < 128 && c.isLetterOrNumber())
            out += c.toLower();
        else if (!out.endsWith(u'_'))
            out += u'_';
    }
    while (out.startsWith(u'_'))
        out.remove(0, 1);
    while (out.endsWith(u'_'))
        out.chop(1);
    return out.isEmpty() ? QStringLiteral("relatorio") : out.left(60);
}

bool lessEntry(const ReportEntry& a, const ReportEntry& b) {
    if (a.order != b.order)
        return a.order < b.order;
    return a.title.localeAwareCompare(b.title) < 0;
}

std::vector<ReportEntry> scan(const QString& reportsDir, const QString& code, QStringList* errors) {
    std::vector<ReportEntry> out;
    const QDir folder(QDir(reportsDir).filePath(code));
    if (code.isEmpty() || !folder.exists())
        return out;
    const QFileInfoList files =
        folder.entryInfoList({QStringLiteral("*.json")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo& file : files) {
        try {
            const ReportDefinition def = ReportDefinition::load(file.absoluteFilePath());
            out.push_back({def.title, file.absoluteFilePath(), def.order});
        } catch (const EHostError& e) {
            if (!errors)
                throw;
            *errors << e.message();
        }
    }
    std::stable_sort(out.begin(), out.end(), lessEntry);
    return out;
}

} // namespace

struct ReportController::Private {
    // Printer set-up, per definition file, for the rest of the session.
    QHash<QString, std::shared_ptr<QPrinter>> printers;
};

ReportController::ReportController(QObject* parent) : QObject(parent), d(new Private) {}
ReportController::~ReportController() {
    delete d;
}

std::vector<ReportEntry> ReportController::listReports(const QString& reportsDir, const QString& code) {
    return scan(reportsDir, code, nullptr);
}

void ReportController::setContext(const ReportContext& context) {
    m_context = context;
}

QString ReportController::message(const QString& key) const {
    if (m_context.messages && m_context.messages->HasKey(key))
        return m_context.messages->Msg(key);
    return fallbackMessage(key);
}

QString ReportController::folder() const {
    return QDir(HostSettings::reportsDir()).filePath(m_context.code);
}

void ReportController::reload() {
    QStringList errors;
    m_entries = scan(HostSettings::reportsDir(), m_context.code, &errors);
    if (m_context.reportNames) {
        QStringList titles;
        for (const ReportEntry& e : m_entries)
            titles << e.title;
        m_context.reportNames->SetItems(titles);
        m_context.reportNames->SetItemIndex(titles.isEmpty() ? -1 : 0);
    }
    // The readable definitions are listed; the others are reported by name.
    if (!errors.isEmpty())
        throw EHostError(errors.join(u'\n'));
}

ReportDefinition ReportController::definitionAt(int index) const {
    if (index < 0 || index >= int(m_entries.size()) || !QFileInfo::exists(m_entries[size_t(index)].path))
        MensErro(fillPercentS(message(QStringLiteral("Arq_Rel_Err")),
                              {m_context.code, QDir::toNativeSeparators(folder())}),
                 true);
    return ReportDefinition::load(m_entries[size_t(index)].path);
}

void ReportController::setCancelCheck(std::function<bool(qint64)> check) {
    m_cancelCheck = std::move(check);
}

std::unique_ptr<ReportDocument> ReportController::runReport(const ReportDefinition& def,
                                                            const QString& path) {
    dtmDBGeral& data = dtmDBGeral::instance();
    data.ensureOpen();
    ReportProgressDialog progress(m_context.window, def.title);
    ReportRun run;
    run.db = dtmDBGeral::database();
    run.kind = data.kind();
    run.designer = m_context.designer;
    if (m_cancelCheck)
        run.progress = m_cancelCheck;
    else
        run.progress = [&progress](qint64 rows) { return progress(rows); };
    run.branch = Branches::caption(run.db, FiliProc());
    std::unique_ptr<ReportDocument> doc = ReportEngine::run(def, run);
    if (const auto printer = d->printers.value(path))
        doc->setPageLayout(printer->pageLayout());
    return doc;
}

void ReportController::preview(int index) {
    const ReportDefinition def = definitionAt(index);
    std::unique_ptr<ReportDocument> doc = runReport(def, m_entries[size_t(index)].path);
    ReportDialogs::instance().previewReport(*doc);
}

void ReportController::print(int index) {
    const ReportDefinition def = definitionAt(index);
    const QString path = m_entries[size_t(index)].path;
    const QString target = HostSettings::printer();
    if (target.startsWith(QLatin1String("pdf:"))) {
        const QString file = target.mid(4);
        if (file.trimmed().isEmpty())
            throw EHostError(QStringLiteral(
                "A impressora da sessão é um arquivo PDF, mas o nome do arquivo não foi informado."));
        runReport(def, path)->exportPdf(file);
        return;
    }
    std::shared_ptr<QPrinter> printer = d->printers.value(path);
    if (!printer) {
        const QPrinterInfo info =
            target.isEmpty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(target);
        if (info.isNull())
            throw EHostError(
                target.isEmpty()
                    ? QStringLiteral(
                          "Não há impressora disponível para imprimir o relatório '%1'. Instale uma "
                          "impressora ou defina um arquivo PDF como impressora da sessão.")
                          .arg(def.title)
                    : QStringLiteral("A impressora '%1' não está disponível para imprimir o relatório '%2'.")
                          .arg(target, def.title));
        printer = std::make_shared<QPrinter>(info, QPrinter::HighResolution);
        printer->setPageLayout(def.page.layout());
    }
    std::unique_ptr<ReportDocument> doc = runReport(def, path);
    printer->setDocName(def.title);
    doc->print(*printer);
    if (printer->printerState() == QPrinter::Error)
        throw EHostError(QStringLiteral("A impressora '%1' recusou o relatório '%2'.")
                             .arg(printer->printerName(), def.title));
}

void ReportController::printerSetup(int index) {
    const ReportDefinition def = definitionAt(index);
    const QString path = m_entries[size_t(index)].path;
    // The dialog works on a new printer, so that a cancelled set-up leaves the kept one untouched.
    const std::shared_ptr<QPrinter> kept = d->printers.value(path);
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    const QString target = HostSettings::printer();
    if (target.startsWith(QLatin1String("pdf:"))) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(target.mid(4));
    } else if (kept) {
        printer->setPrinterName(kept->printerName());
        printer->setCopyCount(kept->copyCount());
        printer->setDuplex(kept->duplex());
        printer->setColorMode(kept->colorMode());
    } else if (!target.isEmpty()) {
        printer->setPrinterName(target);
    }
    printer->setPageLayout(kept ? kept->pageLayout() : def.page.layout());
    printer->setDocName(def.title);
    if (ReportDialogs::instance().setupPrinter(*printer))
        d->printers.insert(path, printer);
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
    int order = 0;
    for (const ReportEntry& e : m_entries) {
        if (e.title.compare(title, Qt::CaseInsensitive) == 0)
            MensErro(QStringLiteral("Já existe um relatório com o título '%1'.").arg(title), true);
        order = qMax(order, e.order + 1);
    }
    const QDir dir(folder());
    QString path = dir.filePath(fileStem(title) + QStringLiteral(".json"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1_%2.json").arg(fileStem(title)).arg(n));

    ReportDefinition copy = def;
    copy.title = title;
    copy.order = order;
    copy.save(path);

    m_entries.push_back({title, path, order});
    if (TComboBox* combo = m_context.reportNames) {
        const int keep = combo->ItemIndex();
        combo->AddItem(title);
        combo->SetItemIndex(keep);
    }
}

void ReportController::edit(int index) {
    const ReportDefinition def = definitionAt(index);
    const QString path = m_entries[size_t(index)].path;
    ReportEditRequest request;
    request.definition = def;
    request.path = path;
    request.code = m_context.code;
    request.validate = [this, index](const ReportDefinition& changed) -> QString {
        for (int i = 0; i < int(m_entries.size()); ++i)
            if (i != index &&
                m_entries[size_t(i)].title.compare(changed.title.trimmed(), Qt::CaseInsensitive) == 0)
                return QStringLiteral("Já existe um relatório com o título '%1'.")
                    .arg(changed.title.trimmed());
        dtmDBGeral& data = dtmDBGeral::instance();
        if (!data.isOpen())
            return QStringLiteral("O banco de dados não está aberto; a consulta não pôde ser verificada.");
        return ReportEngine::checkForSave(changed, dtmDBGeral::database(), data.kind());
    };
    request.test = [this, path](const ReportDefinition& changed) {
        try {
            std::unique_ptr<ReportDocument> doc = runReport(changed, path);
            ReportDialogs::instance().previewReport(*doc);
        } catch (const EAbort&) {
        } catch (const EHostError& e) {
            MessageSink::instance().showError(e.message());
        }
    };
    if (!ReportDialogs::instance().editReport(request))
        return;
    request.definition.title = request.definition.title.trimmed();
    const QString problem = request.validate(request.definition);
    if (!problem.isEmpty())
        throw EHostError(problem);
    request.definition.save(path);

    ReportEntry& entry = m_entries[size_t(index)];
    entry.title = request.definition.title;
    entry.order = request.definition.order;
    if (TComboBox* combo = m_context.reportNames; combo && index < combo->count()) {
        const QSignalBlocker block(combo);
        combo->setItemText(index, entry.title);
    }
}
