#pragma once
// Runs a report definition: builds its parameter list from the SQL's placeholders, lets the screen
// fill it (BeforeGetQueryParams), loads the list parameters into the key table, binds every value
// and fetches the rows in one explicit transaction held until the last row, handing each row to a
// sink as it is read: the preview's document (ReportFeed), a file of one of the export formats, or
// rows kept for printing.
// It shows nothing: whoever runs it turns the progress it reports into a dialog, if any.
#include "data/dtmDBGeral.h"
#include "host_export.h"
#include "reporting/ReportDefinition.h"

#include <QSqlDatabase>
#include <functional>
#include <memory>

class ReportDocument;
class ReportSink;
class TParams;
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
};

namespace ReportEngine HOST_EXPORT {
// Runs the report into sink: begin() with the heading once the criteria are read, every row, then
// finish(). Returns the rows. Throws EHostError (with a message for the user) or EAbort (cancelled);
// the sink is then left unfinished.
int run(const ReportDefinition& definition, const ReportRun& run, ReportSink& sink);
// The report run and kept whole, laid out in the definition's pages. Throws as above.
std::unique_ptr<ReportDocument> run(const ReportDefinition& definition, const ReportRun& run);
// The parameters of a run, filled by the screen (BeforeGetQueryParams); EAbort when it cancels.
std::unique_ptr<TParams> fillParams(const ReportDefinition& definition, const ReportRun& run);
// The parameter list of a definition's query on that database, every parameter unset.
std::unique_ptr<TParams> makeParams(const ReportDefinition& definition, DatabaseKind kind);
// Empty when the definition may be saved: complete, only reading, and its SQL prepares on db.
QString checkForSave(const ReportDefinition& definition, QSqlDatabase db, DatabaseKind kind);
} // namespace ReportEngine
