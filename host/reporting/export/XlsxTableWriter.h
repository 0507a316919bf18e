#pragma once
// XLSX through libxlsxwriter in its constant-memory mode: each row goes to disk when the next one
// starts, so memory stays flat however many rows come. The first sheet holds the title, branch,
// issue and criteria lines above the table; the table is one block that sorts and filters whole:
// the column headers (frozen, repeated on every printed page, with an autofilter down to the last
// row), then one row per record and nothing else. A report that groups gets a first column "Grupo"
// with each row's group caption, as the CSV does; the group counts and the total stand below the
// table, each number in the column beside its label. Every text is a string cell, never a formula
// (codes keep their leading zeros); the "date" columns are real dates shown dd/mm/aaaa ("daymonth"
// columns stay the text dd/mm: a day without a year is no date). A table longer than a sheet goes on
// in "<sheet> (2)" and further sheets, each with the column headers. The sheets print as the report
// does: its orientation, paper and margins, one page wide, "Página &P de &N" in the footer.
// The workbook is built in an unnamed file in the target's folder (QSaveFile) and gets the target's
// name only when complete, so neither an error nor a killed process leaves a file behind.
#include "reporting/export/TableWriter.h"

#include <QSaveFile>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

class XlsxTableWriter : public TableWriter {
public:
    XlsxTableWriter(const QString& path, const ReportDefinition& definition);
    ~XlsxTableWriter() override;

    // A text as a cell holds it: the rule of cellText(), a literal "_xHHHH_" escaped so that a
    // reader does not take it for a character, cut at a character boundary with "…" to fit a cell.
    static QString cellValue(const QString& text);

protected:
    void heading(const ReportHeading& heading) override;
    void groupHeader(const QString& title) override;
    void row(const QStringList& cells, const QString& groupTitle) override;
    void count(const QString& label, int count, bool total) override;
    void commit() override;

private:
    struct GroupCount {
        QString caption;
        int count;
    };
    void addSheet();
    void openTable();
    void endTable();
    void text(int column, const QString& value, lxw_format* format);
    void number(int column, double value, lxw_format* format);
    void check(int error);
    void checkRowFiles();
    [[noreturn]] void fail(const QString& reason);
    [[noreturn]] void failWriting(int errnum);

    QString m_path;
    QSaveFile m_out;
    QByteArray m_outName, m_tempDir;
    lxw_workbook* m_book = nullptr;
    std::vector<lxw_worksheet*> m_sheets;
    lxw_worksheet* m_sheet = nullptr;
    QString m_sheetName;
    lxw_format* m_title = nullptr;
    lxw_format* m_header = nullptr;
    lxw_format* m_text = nullptr;
    lxw_format* m_date = nullptr;
    lxw_format* m_countNumber = nullptr;
    lxw_format* m_total = nullptr;
    lxw_format* m_totalNumber = nullptr;
    int m_row = 0;       // the next row to write on the current sheet
    int m_headerRow = 0; // the column headers' row on the current sheet
    int m_offset = 0;    // 1 when the first column is "Grupo"
    int m_columns = 0;   // of the table, "Grupo" included
    bool m_tableOpen = false;
    std::vector<bool> m_isDate;
    std::vector<int> m_width; // characters, the widest text of each column
    QString m_groupTitle;
    QString m_countLabel, m_totalLabel;
    int m_totalCount = 0;
    std::vector<GroupCount> m_counts;
};
