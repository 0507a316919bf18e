#pragma once
// A report's rows written as a table, one row after another as they are fetched: the group caption
// above each group, its count below it and the total at the end, where the pages place them. Each
// format says what it keeps of those; the file appears only in finish(), and a writer dropped
// before that (an error, a cancelled run) leaves nothing behind.
#include "host_export.h"
#include "reporting/ReportDefinition.h"
#include "reporting/export/ReportExport.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>

// What stands above the table.
struct HOST_EXPORT TableHeading {
    QString title;
    QString branch;
    QDateTime issued;
    QStringList criteria; // how the report was filtered, one line each
};

class HOST_EXPORT TableWriter {
public:
    // Opens a writer of that format (not PDF) on path. A target that cannot be written throws
    // EHostError naming the file before any row is fetched.
    static std::unique_ptr<TableWriter> create(ReportExport::Format format, const QString& path,
                                               const ReportDefinition& definition,
                                               const TableHeading& heading);
    virtual ~TableWriter();
    TableWriter(const TableWriter&) = delete;
    TableWriter& operator=(const TableWriter&) = delete;

    // A row as the columns show it, with its group's key and caption (empty when not grouping).
    void addRow(const QStringList& cells, const QString& groupKey, const QString& groupTitle);
    // The last group's count and the total; then the file replaces the target. Throws EHostError.
    void finish();
    int rowCount() const { return m_rows; }

protected:
    explicit TableWriter(const ReportDefinition& definition) : m_def(definition) {}
    virtual void groupHeader(const QString& title) = 0;
    virtual void row(const QStringList& cells, const QString& groupTitle) = 0;
    virtual void count(const QString& label, int count, bool total) = 0;
    virtual void commit() = 0;

    const ReportDefinition m_def;

private:
    int m_rows = 0;
    int m_groupStart = 0;
    QString m_groupKey;
};
