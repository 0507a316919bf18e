#include "reporting/export/ReportExport.h"

#include "core/Errors.h"
#include "reporting/ReportDocument.h"
#include "reporting/export/CsvTableWriter.h"
#include "reporting/export/PdfReportWriter.h"
#include "reporting/export/XlsxTableWriter.h"

#include <QFileInfo>

namespace {

template <typename Writer>
std::unique_ptr<ReportSink> table(const ReportDefinition& def, const ReportExport::Target& target) {
    return std::make_unique<Writer>(target.path, def);
}

std::unique_ptr<ReportSink> pdf(const ReportDefinition& def, const ReportExport::Target& target) {
    return std::make_unique<PdfReportWriter>(target.path, def, target.layout, target.pageWritten);
}

} // namespace

const std::vector<ReportExport::FormatInfo>& ReportExport::formats() {
    static const std::vector<FormatInfo> all{
        {Format::Pdf, QStringLiteral("pdf"), QStringLiteral("PDF"), QStringLiteral("num PDF"),
         QStringLiteral("&PDF..."), QStringLiteral("Documentos PDF (*.pdf)"), true, false, pdf},
        {Format::Xlsx, QStringLiteral("xlsx"), QStringLiteral("planilha do Excel (XLSX)"),
         QStringLiteral("numa planilha do Excel"), QStringLiteral("Planilha do &Excel (XLSX)..."),
         QStringLiteral("Planilhas do Excel (*.xlsx)"), false, false, table<XlsxTableWriter>},
        {Format::Csv, QStringLiteral("csv"), QStringLiteral("CSV"),
         QStringLiteral("num texto separado por ponto e vírgula"),
         QStringLiteral("&CSV (separado por ponto e vírgula)..."),
         QStringLiteral("Texto separado por ponto e vírgula (*.csv)"), false, true, table<CsvTableWriter>},
    };
    return all;
}

const ReportExport::FormatInfo& ReportExport::info(Format format) {
    for (const FormatInfo& f : formats())
        if (f.format == format)
            return f;
    return formats().front();
}

std::unique_ptr<ReportSink> ReportExport::open(Format format, const ReportDefinition& definition,
                                               const Target& target) {
    return info(format).open(definition, target);
}

QString ReportExport::suffix(Format format) {
    return info(format).name;
}

std::optional<ReportExport::Format> ReportExport::formatOfSuffix(const QString& text) {
    for (const FormatInfo& f : formats())
        if (text.compare(f.name, Qt::CaseInsensitive) == 0)
            return f.format;
    return std::nullopt;
}

QString ReportExport::fileFilter(Format format) {
    return info(format).fileFilter;
}

QString ReportExport::dialogCaption(Format format) {
    return QStringLiteral("Exportar %1").arg(suffix(format).toUpper());
}

QString ReportExport::listed(const QString& pattern, const QString& conjunction,
                             const std::function<bool(const FormatInfo&)>& only) {
    QStringList items;
    for (const FormatInfo& f : formats())
        if (!only || only(f))
            items << QString(pattern)
                         .replace(QLatin1String("%1"), f.name)
                         .replace(QLatin1String("%2"), f.title)
                         .replace(QLatin1String("%3"), f.into);
    if (items.size() < 2 || conjunction.isEmpty())
        return items.join(QStringLiteral(", "));
    const QString last = items.takeLast();
    return items.join(QStringLiteral(", ")) + u' ' + conjunction + u' ' + last;
}

QString ReportExport::cannotWrite(const QString& path, const QString& reason) {
    return QStringLiteral("Não foi possível gravar o arquivo '%1': %2.").arg(path, reason);
}

QString ReportExport::targetProblem(const QString& path) {
    const QFileInfo target(path);
    if (path.trimmed().isEmpty())
        return QStringLiteral("o nome do arquivo não foi informado");
    if (target.isDir())
        return QStringLiteral("é uma pasta, não um arquivo");
    if (!QFileInfo(target.absolutePath()).isDir())
        return QStringLiteral("a pasta '%1' não existe").arg(target.absolutePath());
    return {};
}

void ReportExport::write(const ReportDocument& document, const QString& path, Format format) {
    if (!document.isComplete())
        throw EHostError(
            QStringLiteral("O relatório '%1' ainda não terminou; exporte-o quando estiver completo.")
                .arg(document.title()));
    // The rows go through the same writer as a run's, laid out on the document's pages.
    const std::unique_ptr<ReportSink> sink =
        open(format, document.definition(), {path, document.pageLayout(), {}});
    sink->begin({document.title(), document.branch(), document.issued(), document.criteria()}, {});
    document.forEachRow([&](const ReportRowStore::Row& row) {
        sink->addRow(row.cells, row.groupKey, row.groupTitle);
        return true;
    });
    sink->finish();
}
