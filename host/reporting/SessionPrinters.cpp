#include "reporting/SessionPrinters.h"

#include "core/Errors.h"
#include "core/HostSettings.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportDialogs.h"
#include "reporting/ReportDocument.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

SessionPrinters::SessionPrinters() = default;
SessionPrinters::~SessionPrinters() = default;

std::optional<SessionPrinters::FileTarget> SessionPrinters::fileTarget(const QString& setting) {
    const qsizetype colon = setting.indexOf(u':');
    if (colon < 0)
        return std::nullopt;
    const std::optional<ReportExport::Format> format = ReportExport::formatOfSuffix(setting.left(colon));
    if (!format || setting.left(colon) != ReportExport::suffix(*format))
        return std::nullopt;
    return FileTarget{*format, setting.mid(colon + 1)};
}

QString SessionPrinters::fileSetting(const FileTarget& file) {
    return ReportExport::suffix(file.format) + u':' + file.path;
}

std::optional<QPageLayout> SessionPrinters::pageLayout(const QString& definitionPath) const {
    if (const auto printer = m_printers.value(definitionPath))
        return printer->pageLayout();
    return std::nullopt;
}

void SessionPrinters::print(const QString& definitionPath, const ReportDefinition& def,
                            const std::function<std::unique_ptr<ReportDocument>()>& run,
                            const std::function<void(const FileTarget&, const QPageLayout&)>& writeFile,
                            const std::function<void(const ReportDocument&, QPrinter&)>& printDocument) {
    const QString target = HostSettings::printer();
    if (const std::optional<FileTarget> file = fileTarget(target)) {
        if (file->path.trimmed().isEmpty())
            throw EHostError(
                QStringLiteral(
                    "A impressora da sessão é um arquivo %1, mas o nome do arquivo não foi informado.")
                    .arg(ReportExport::suffix(file->format).toUpper()));
        writeFile(*file, pageLayout(definitionPath).value_or(def.page.layout()));
        return;
    }
    std::shared_ptr<QPrinter> printer = m_printers.value(definitionPath);
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
    std::unique_ptr<ReportDocument> doc = run();
    printer->setDocName(def.title);
    printDocument(*doc, *printer);
    if (printer->printerState() == QPrinter::Error)
        throw EHostError(QStringLiteral("A impressora '%1' recusou o relatório '%2'.")
                             .arg(printer->printerName(), def.title));
}

void SessionPrinters::setup(const QString& definitionPath, const ReportDefinition& def) {
    // The dialog works on a new printer, so that a cancelled set-up leaves the kept one untouched.
    const std::shared_ptr<QPrinter> kept = m_printers.value(definitionPath);
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    const QString target = HostSettings::printer();
    const std::optional<FileTarget> file = fileTarget(target);
    // A file of pages is set up as the PDF printer shows it; a table keeps only the page set-up.
    if (file && ReportExport::info(file->format).paged) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(file->path);
    } else if (kept) {
        printer->setPrinterName(kept->printerName());
        printer->setCopyCount(kept->copyCount());
        printer->setDuplex(kept->duplex());
        printer->setColorMode(kept->colorMode());
    } else if (!target.isEmpty() && !file) {
        printer->setPrinterName(target);
    }
    printer->setPageLayout(kept ? kept->pageLayout() : def.page.layout());
    printer->setDocName(def.title);
    if (ReportDialogs::instance().setupPrinter(*printer))
        m_printers.insert(definitionPath, printer);
}
