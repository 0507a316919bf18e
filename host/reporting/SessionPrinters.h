#pragma once
// Where the session prints: the session's printer setting (HostSettings::printer: empty for the
// system's default printer, a printer's name, or a file: "pdf:PATH", "xlsx:PATH" or "csv:PATH"),
// and the printer set up for each report definition, kept for the rest of the session.
#include "host_export.h"
#include "reporting/export/ReportExport.h"

#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QPageLayout;
class QPrinter;
class ReportDefinition;
class ReportDocument;

class HOST_EXPORT SessionPrinters {
public:
    SessionPrinters();
    ~SessionPrinters();

    // A printer setting that writes a file.
    struct FileTarget {
        ReportExport::Format format;
        QString path; // possibly empty
    };
    // The file of a "pdf:PATH", "xlsx:PATH" or "csv:PATH" setting; nothing when it names a printer.
    static std::optional<FileTarget> fileTarget(const QString& setting);
    // The setting that prints to that file.
    static QString fileSetting(const FileTarget& file);

    // The page layout set up for a definition file, if any.
    std::optional<QPageLayout> pageLayout(const QString& definitionPath) const;

    // Prints the report on the session's printer: a file through writeFile (given the file and the
    // page layout, it runs the report straight into the file), else what run() lays out on the
    // printer set up for that definition, the named one or the system's default (through
    // printDocument). The printer is
    // checked before the report runs. Errors are EHostError with a message for the user.
    void print(const QString& definitionPath, const ReportDefinition& definition,
               const std::function<std::unique_ptr<ReportDocument>()>& run,
               const std::function<void(const FileTarget& file, const QPageLayout& layout)>& writeFile,
               const std::function<void(const ReportDocument& document, QPrinter& printer)>& printDocument);

    // Printer set-up for a definition file; kept when the user confirms.
    void setup(const QString& definitionPath, const ReportDefinition& definition);

private:
    QHash<QString, std::shared_ptr<QPrinter>> m_printers;
};
