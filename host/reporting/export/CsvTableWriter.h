#pragma once
// CSV as Brazilian spreadsheets open it: ";" between fields, UTF-8 with a byte order mark, CRLF
// line ends, a field quoted when it holds ";", a quote, a TAB or a line break (quotes doubled
// inside). One header row, then one line per row and nothing else: no title, no group captions, no
// counts, so that the file stays a table. A report that groups gets a first column "Grupo" with each
// row's group caption, which the pages show above the group. Dates are dd/mm/aaaa, as shown.
// A spreadsheet takes a field that starts with "=", "+", "-", "@", TAB or CR for a formula, so such a
// field gets a leading apostrophe and opens as the text it is; a plain signed number ("-12,50") keeps
// its sign, since no formula can be made of it.
#include "host_export.h"
#include "reporting/export/TableWriter.h"

#include <QSaveFile>

class HOST_EXPORT CsvTableWriter : public TableWriter {
public:
    CsvTableWriter(const QString& path, const ReportDefinition& definition);
    // One field as written between separators, after the rule of cellText().
    static QByteArray field(const QString& text);

protected:
    void groupHeader(const QString&) override {}
    void row(const QStringList& cells, const QString& groupTitle) override;
    void count(const QString&, int, bool) override {}
    void commit() override;

private:
    void writeLine(const QStringList& fields);
    [[noreturn]] void fail(int errnum);

    QString m_path;
    QSaveFile m_file;
    QByteArray m_line;
};
