#pragma once
// The report windows, shown modally: printer set-up, preview and designer. The application
// installs the Qt ones; tests install scripted ones. Until then each is refused.
#include "host_export.h"
#include <QString>
#include <memory>
#include <optional>

class QPrinter;
class ReportDocument;
struct ReportEditRequest;

class HOST_EXPORT ReportDialogs {
public:
    virtual ~ReportDialogs();

    // Printer and page set-up; false when cancelled.
    virtual bool setupPrinter(QPrinter& printer) = 0;
    // The printer's own dialog for printing a report of that many pages: printer, copies and page
    // range; false when cancelled. Unless overridden, the printer set-up.
    virtual bool setupPrint(QPrinter& printer, int pageCount);
    // Shows a laid-out report until the user closes the preview.
    virtual void previewReport(ReportDocument& document) = 0;
    // The report designer; true when the user saved.
    virtual bool editReport(ReportEditRequest& request) = 0;
    // Where to write an exported report: a path, or nothing when the user cancelled.
    virtual std::optional<QString> chooseExportFile(const QString& caption, const QString& suggestedName,
                                                    const QString& filter) = 0;

    static ReportDialogs& instance();
    // Installs the dialogs (the application's or a test's); returns the previous ones.
    static std::unique_ptr<ReportDialogs> install(std::unique_ptr<ReportDialogs> dialogs);
};
