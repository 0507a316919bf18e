#include "reporting/export/PdfReportWriter.h"

#include "core/Errors.h"
#include "reporting/ReportDocument.h"
#include "reporting/ReportLayout.h"
#include "reporting/export/ReportExport.h"
#include "reporting/pdf/PdfWriter.h"

#include <optional>

// Draws each page as its rows arrive; the writer sends it to the file when the next one starts.
struct PdfReportWriter::Impl : ReportLayout::Sink {
    Impl(const QString& path, const ReportDefinition& definition, const QPageLayout& layout,
         std::function<void(int)> written)
        : path(path), def(definition), layout(layout), measurer(TextMeasurer::shared()), writer(measurer),
          canvas(writer), written(std::move(written)) {}

    void pageStarted(int index) override {
        writer.newPage();
        painter->header(canvas, index);
    }
    void placed(const ReportLayout::Item& item, const ReportLayout::Piece* pieces,
                const QStringList& cells) override {
        painter->item(canvas, item, pieces, cells);
    }
    void pageFinished(int index) override {
        painter->footer(canvas);
        if (written)
            written(index + 1);
    }

    const QString path;
    const ReportDefinition def;
    const QPageLayout layout;
    const TextMeasurer& measurer;
    PdfWriter writer; // dropped unclosed by a run that fails or is cancelled: no file is left
    ReportLayout::PdfCanvas canvas;
    std::function<void(int)> written;
    ReportLayout::Geometry geometry;
    std::optional<ReportLayout::Painter> painter;
    std::optional<ReportLayout::Paginator> paginator;
};

PdfReportWriter::PdfReportWriter(const QString& path, const ReportDefinition& definition,
                                 const QPageLayout& layout, std::function<void(int)> pageWritten)
    : d(std::make_unique<Impl>(path, definition, layout, std::move(pageWritten))) {
    if (const QString problem = ReportExport::targetProblem(path); !problem.isEmpty())
        throw EHostError(ReportExport::cannotWrite(path, problem));
}

PdfReportWriter::~PdfReportWriter() = default;

void PdfReportWriter::begin(const ReportHeading& heading, std::function<bool()> cancelled) {
    d->geometry = ReportLayout::geometry(d->def, d->layout, d->measurer, heading.criteria);
    d->painter.emplace(d->def, d->geometry, d->measurer, heading.branch, heading.issued);
    d->paginator.emplace(d->def, d->geometry, d->measurer, *d);
    d->paginator->setCancelCheck(std::move(cancelled));
    try {
        d->writer.begin(d->path, d->layout.fullRect(QPageLayout::Point).size(),
                        ReportDocument::pdfOptions(d->def, d->layout));
    } catch (const PdfWriteError& e) {
        throw EHostError(e.message());
    }
}

void PdfReportWriter::addRow(const QStringList& cells, const QString& groupKey, const QString& groupTitle) {
    try {
        d->paginator->addRow(cells, groupKey, groupTitle);
    } catch (const PdfWriteError& e) {
        throw EHostError(e.message());
    }
}

void PdfReportWriter::finish() {
    try {
        d->paginator->finish();
        d->writer.close();
    } catch (const PdfWriteError& e) {
        throw EHostError(e.message());
    }
}

int PdfReportWriter::pageCount() const {
    return d->paginator ? d->paginator->pageCount() : 0;
}
