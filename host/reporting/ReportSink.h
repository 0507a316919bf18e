#pragma once
// Where a report run's rows go: the preview's document, a PDF, a table file. The engine hands every
// output the same things in the same order (begin, the rows, finish), and every output counts its
// groups and total through ReportGroups, so pages and tables always agree.
#include "host_export.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

// What stands above the rows: the pages' header, a table's title block.
struct HOST_EXPORT ReportHeading {
    QString title;
    QString branch;
    QDateTime issued;
    QStringList criteria; // how the report was filtered, one line each
};

class HOST_EXPORT ReportSink {
public:
    ReportSink() = default;
    virtual ~ReportSink();
    ReportSink(const ReportSink&) = delete;
    ReportSink& operator=(const ReportSink&) = delete;

    // Once, before the first row (the criteria are known once the run has read its keys).
    // cancelled is asked inside long work between rows (a row of many pages); true stops it with
    // EAbort. It may be empty, and is not asked after finish().
    virtual void begin(const ReportHeading& heading, std::function<bool()> cancelled) = 0;
    // A row as the columns show it, in report order, with its group's key and caption (empty when
    // the report does not group).
    virtual void addRow(const QStringList& cells, const QString& groupKey, const QString& groupTitle) = 0;
    // After the last row: a file replaces its target only here, and a sink dropped before it (an
    // error, a cancelled run) leaves nothing behind. Throws EHostError naming the file.
    virtual void finish() = 0;
    // Pages made so far, by an output of pages; 0 for a table.
    virtual int pageCount() const { return 0; }
};

// Where a report's groups begin and end, and what each group and the whole report count: the one
// rule every output follows. A group begins at the first row and wherever the group key changes.
class HOST_EXPORT ReportGroups {
public:
    explicit ReportGroups(bool grouping) : m_grouping(grouping) {}
    virtual ~ReportGroups();

    // The rows in report order; the key and caption are ignored when the report does not group.
    void addRow(const QStringList& cells, const QString& groupKey, const QString& groupTitle);
    // Ends the last group, then the report.
    void finish();
    int rowCount() const { return m_rows; }

protected:
    // A group begins with the row about to come (told after the previous group ended).
    virtual void groupStarted(const QString& title) = 0;
    // rowCount() is this row's index while it is told.
    virtual void row(const QStringList& cells, const QString& groupTitle) = 0;
    // The group that began at groupStart() ended with count rows.
    virtual void groupEnded(int count) = 0;
    // No more rows: total of them (0 when none came).
    virtual void ended(int total) = 0;

    bool grouping() const { return m_grouping; }
    int groupStart() const { return m_groupStart; }

public:
    // Where the rows stand between two of them, for an output that takes them again from there (a
    // page of the preview laid out again from its first row).
    struct Position {
        int rows = 0;
        int groupStart = 0;
        QString groupKey;
    };
    Position position() const { return {m_rows, m_groupStart, m_groupKey}; }
    void setPosition(const Position& p) {
        m_rows = p.rows;
        m_groupStart = p.groupStart;
        m_groupKey = p.groupKey;
    }

private:
    bool m_grouping;
    int m_rows = 0;
    int m_groupStart = 0;
    QString m_groupKey;
};
