#include "reporting/export/ReportExport.h"

#include "reporting/ReportDocument.h"
#include "reporting/export/TableWriter.h"

#include <QFileInfo>

QString ReportExport::suffix(Format format) {
    switch (format) {
    case Format::Xlsx:
        return QStringLiteral("xlsx");
    case Format::Csv:
        return QStringLiteral("csv");
    case Format::Pdf:
        break;
    }
    return QStringLiteral("pdf");
}

std::optional<ReportExport::Format> ReportExport::formatOfSuffix(const QString& text) {
    for (Format f : {Format::Pdf, Format::Xlsx, Format::Csv})
        if (text.compare(suffix(f), Qt::CaseInsensitive) == 0)
            return f;
    return std::nullopt;
}

QString ReportExport::fileFilter(Format format) {
    switch (format) {
    case Format::Xlsx:
        return QStringLiteral("Planilhas do Excel (*.xlsx)");
    case Format::Csv:
        return QStringLiteral("Texto separado por ponto e vírgula (*.csv)");
    case Format::Pdf:
        break;
    }
    return QStringLiteral("Documentos PDF (*.pdf)");
}

QString ReportExport::dialogCaption(Format format) {
    return QStringLiteral("Exportar %1").arg(suffix(format).toUpper());
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
    if (format == Format::Pdf) {
        document.exportPdf(path);
        return;
    }
    const std::unique_ptr<TableWriter> writer =
        TableWriter::create(format, path, document.definition(),
                            {document.title(), document.branch(), document.issued(), document.criteria()});
    document.forEachRow([&](const ReportRowStore::Row& row) {
        writer->addRow(row.cells, row.groupKey, row.groupTitle);
        return true;
    });
    writer->finish();
}
