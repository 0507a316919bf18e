#pragma once
// A report's rows written as a table, one row after another as they are fetched: the group caption
// above each group, its count below it and the total at the end, where the pages place them (the
// groups as ReportGroups finds them). Each format says what it keeps of those; the file appears only
// in finish(), and a writer dropped before that (an error, a cancelled run) leaves nothing behind.
#include "host_export.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportSink.h"

#include <QString>
#include <QStringList>

class HOST_EXPORT TableWriter : public ReportSink, protected ReportGroups {
public:
    ~TableWriter() override;

    void begin(const ReportHeading& heading, std::function<bool()> cancelled) override;
    void addRow(const QStringList& cells, const QString& groupKey, const QString& groupTitle) override {
        ReportGroups::addRow(cells, groupKey, groupTitle);
    }
    // The last group's count and the total; then the file replaces the target. Throws EHostError.
    void finish() override;
    using ReportGroups::rowCount;

protected:
    // A target that cannot be written throws EHostError naming the file, before any row is fetched.
    explicit TableWriter(const ReportDefinition& definition)
        : ReportGroups(definition.group.enabled()), m_def(definition) {}
    // What stands above the table, once before the first row; nothing by default.
    virtual void heading(const ReportHeading&) {}
    virtual void groupHeader(const QString& title) = 0;
    virtual void count(const QString& label, int count, bool total) = 0;
    virtual void commit() = 0;

    const ReportDefinition m_def;

private:
    void groupStarted(const QString& title) final { groupHeader(title); }
    void groupEnded(int rows) final { count(m_def.group.countLabel, rows, false); }
    void ended(int total) final { count(m_def.totalLabel, total, true); }
};
