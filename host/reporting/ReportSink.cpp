#include "reporting/ReportSink.h"

ReportSink::~ReportSink() = default;
ReportGroups::~ReportGroups() = default;

void ReportGroups::addRow(const QStringList& cells, const QString& groupKey, const QString& groupTitle) {
    if (m_grouping && (m_rows == 0 || groupKey != m_groupKey)) {
        if (m_rows > 0)
            groupEnded(m_rows - m_groupStart);
        m_groupStart = m_rows;
        m_groupKey = groupKey;
        groupStarted(groupTitle);
    }
    static const QString none;
    row(cells, m_grouping ? groupTitle : none);
    ++m_rows;
}

void ReportGroups::finish() {
    if (m_grouping && m_rows > 0)
        groupEnded(m_rows - m_groupStart);
    ended(m_rows);
}
