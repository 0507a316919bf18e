#pragma once
// A report written to a file a user opens elsewhere, in one of the formats of one table: PDF (the
// pages as printed), XLSX (the table that sorts and filters whole, its counts and total below it,
// ready to print) or CSV (the plain table for any spreadsheet). The preview's export menu, the
// command line and the session printer all read the table. Every file appears only when completely
// written; an error names the file and its cause and leaves nothing behind.
#include "host_export.h"

#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ReportDefinition;
class ReportDocument;
class ReportSink;

namespace ReportExport HOST_EXPORT {

enum class Format { Pdf, Xlsx, Csv };

// What a format's writer is given besides the definition.
struct Target {
    QString path;
    QPageLayout layout;                         // the pages', for a format of pages
    std::function<void(int pages)> pageWritten; // told the pages written so far; may be empty
};

struct FormatInfo {
    Format format;
    QString name;       // "pdf": the file suffix, the session printer's prefix, the command's --formato
    QString title;      // "planilha do Excel (XLSX)": how a sentence names it
    QString into;       // "numa planilha do Excel": where the session printer's setting writes
    QString menuText;   // the preview's export menu entry
    QString fileFilter; // the file dialog's
    bool paged;         // the pages as printed (the page layout matters), not a table
    bool plainText;     // text a pipe can take: the report command's standard output
    // Opens a writer on target.path. A target that cannot be written throws EHostError naming the
    // file, before any row is fetched.
    std::unique_ptr<ReportSink> (*open)(const ReportDefinition& definition, const Target& target);
};

// Every format, in the order menus and messages list them.
const std::vector<FormatInfo>& formats();
const FormatInfo& info(Format format);
std::unique_ptr<ReportSink> open(Format format, const ReportDefinition& definition, const Target& target);

// "pdf", "xlsx", "csv": the file suffix, and the prefix of the session printer's setting.
QString suffix(Format format);
std::optional<Format> formatOfSuffix(const QString& suffix);
// The file dialog's filter for that format, and its caption ("Exportar PDF", ...).
QString fileFilter(Format format);
QString dialogCaption(Format format);
// Each format's text made by pattern (%1 its name, %2 its title, %3 where it writes), listed as a
// sentence does: "pdf, xlsx ou csv" from "%1" and "ou" (no conjunction: commas only). only: the
// formats it lists (all when empty).
QString listed(const QString& pattern, const QString& conjunction,
               const std::function<bool(const FormatInfo&)>& only = {});

// The message for a file that could not be written, naming it.
QString cannotWrite(const QString& path, const QString& reason);
// Why path cannot be a file to write (a folder, or in no folder), or empty.
QString targetProblem(const QString& path);

// Writes a report that has run, its criteria block under the title, in the document's page layout.
// Throws EHostError naming the file.
void write(const ReportDocument& document, const QString& path, Format format);

} // namespace ReportExport
