#pragma once
// Runs a report definition: builds its parameter list from the SQL's placeholders, lets the screen
// fill it (BeforeGetQueryParams), loads the list parameters into the key table, binds every value
// and fetches the rows in one explicit transaction held until the last row; then lays them out, or
// writes them to a PDF file as they arrive.
// It shows nothing: whoever runs it turns the progress it reports into a dialog, if any.
#include "data/dtmDBGeral.h"
#include "host_export.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportDocument.h"
#include "reporting/export/ReportExport.h"

#include <QSqlDatabase>
#include <functional>
#include <memory>

class TParams;
class TParam;
class TReportDesignerDialog;

struct HOST_EXPORT ReportRun {
    QSqlDatabase db;
    DatabaseKind kind = Dialect::sqlite().kind();
    TReportDesignerDialog* designer = nullptr; // raises BeforeGetQueryParams; may be null
    QString branch;                            // shown in the page header
    // Told the rows fetched so far: once with 0 as the fetch begins, then after every row, on the
    // thread that fetches. Returning true cancels the run (EAbort). May be empty.
    std::function<bool(qint64 rowsFetched)> progress;
    // The parameters, already filled (the screen is not asked again); when null the run fills them.
    const TParams* params = nullptr;
    // When set, told the pages written so far.
    std::function<void(int pages)> pageWritten;
};

struct HOST_EXPORT ReportPdfResult {
    int rows = 0;
    int pages = 0;
};

namespace ReportEngine HOST_EXPORT {
// Throws EHostError (with a message for the user) or EAbort (cancelled).
std::unique_ptr<ReportDocument> run(const ReportDefinition& definition, const ReportRun& run);
// Runs the report straight into a PDF file: each row goes to the page being filled and each page to
// the file as it is finished, so nothing grows with the rows. The file appears only when the whole
// report is written. Throws as run() does.
ReportPdfResult writePdf(const ReportDefinition& definition, const ReportRun& run, const QString& path,
                         const QPageLayout& layout);
// The parameters of a run, filled by the screen (BeforeGetQueryParams); EAbort when it cancels.
std::unique_ptr<TParams> fillParams(const ReportDefinition& definition, const ReportRun& run);
// Reads the rows on this thread (a report's worker) into a document that lives on another, and lays
// them out here (ReportFeed): the document's thread receives finished pages with their rows, the
// first page as soon as it is full. The document must outlive the call and completes when told.
// Throws as run() does.
void fetchInto(const ReportDefinition& definition, const ReportRun& run, ReportDocument& document);
// The same into an XLSX or CSV table (see TableWriter), the criteria block above the table: the rows
// written.
int writeTable(const ReportDefinition& definition, const ReportRun& run, const QString& path,
               ReportExport::Format format);
// The parameter list of a definition's query on that database, every parameter unset.
std::unique_ptr<TParams> makeParams(const ReportDefinition& definition, DatabaseKind kind);
// What a parameter binds as: dates as QDateTime, an unset parameter as NULL.
QVariant bindValue(const TParam& param);
// Empty when the definition may be saved: complete, only reading, and its SQL prepares on db.
QString checkForSave(const ReportDefinition& definition, QSqlDatabase db, DatabaseKind kind);
} // namespace ReportEngine
