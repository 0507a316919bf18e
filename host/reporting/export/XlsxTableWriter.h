#pragma once
// XLSX through libxlsxwriter in its constant-memory mode: each row goes to disk when the next one
// starts, so memory stays flat however many rows come. One sheet: the title, branch, issue and the
// criteria lines above the table; the column headers frozen with an autofilter down to the last
// row; every cell text (codes keep their leading zeros) except the "date" columns, which are real
// dates shown dd/mm/aaaa ("daymonth" columns stay the text dd/mm: a day without a year is no date);
// group captions, group counts and the total as rows where the pages show them, the counts as
// numbers; column widths from the longest text of each column.
#include "host_export.h"
#include "reporting/export/TableWriter.h"

#include <QTemporaryFile>
#include <memory>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

class HOST_EXPORT XlsxTableWriter : public TableWriter {
public:
    XlsxTableWriter(const QString& path, const ReportDefinition& definition, const TableHeading& heading);
    ~XlsxTableWriter() override;

protected:
    void groupHeader(const QString& title) override;
    void row(const QStringList& cells, const QString& groupTitle) override;
    void count(const QString& label, int count, bool total) override;
    void commit() override;

private:
    void text(int column, const QString& value, lxw_format* format);
    void check(int error);
    [[noreturn]] void fail(const QString& reason);

    QString m_path;
    // The workbook is written here, in the target's folder, and copied over the target at the end.
    std::unique_ptr<QTemporaryFile> m_out;
    QByteArray m_outName, m_tempDir;
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_title = nullptr;
    lxw_format* m_header = nullptr;
    lxw_format* m_text = nullptr;
    lxw_format* m_date = nullptr;
    lxw_format* m_group = nullptr;
    lxw_format* m_count = nullptr;
    lxw_format* m_countNumber = nullptr;
    lxw_format* m_total = nullptr;
    lxw_format* m_totalNumber = nullptr;
    int m_row = 0;       // the next row to write
    int m_headerRow = 0; // the column headers' row
    std::vector<bool> m_isDate;
    std::vector<int> m_width; // characters, the widest text of each column
};
