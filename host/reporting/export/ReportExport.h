#pragma once
// A report written to a file a user opens elsewhere: PDF (the pages as printed), XLSX (the table that
// sorts and filters whole, its counts and total below it, ready to print) or CSV (the plain table for
// any spreadsheet). Every file appears only when completely written; an error names the file and its
// cause and leaves nothing behind.
#include "host_export.h"

#include <QString>
#include <QStringList>
#include <optional>

class ReportDocument;

namespace ReportExport HOST_EXPORT {

enum class Format { Pdf, Xlsx, Csv };

// "pdf", "xlsx", "csv": the file suffix, and the prefix of the session printer's setting.
QString suffix(Format format);
std::optional<Format> formatOfSuffix(const QString& suffix);
// The file dialog's filter for that format, and its caption ("Exportar PDF", ...).
QString fileFilter(Format format);
QString dialogCaption(Format format);

// The message for a file that could not be written, naming it.
QString cannotWrite(const QString& path, const QString& reason);
// Why path cannot be a file to write (a folder, or in no folder), or empty.
QString targetProblem(const QString& path);

// Writes a report that has run, its criteria block under the title. Throws EHostError naming the
// file.
void write(const ReportDocument& document, const QString& path, Format format);

} // namespace ReportExport
