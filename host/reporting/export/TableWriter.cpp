#include "reporting/export/TableWriter.h"

#include "core/Errors.h"
#include "reporting/export/CsvTableWriter.h"
#include "reporting/export/XlsxTableWriter.h"

std::unique_ptr<TableWriter> TableWriter::create(ReportExport::Format format, const QString& path,
                                                 const ReportDefinition& definition,
                                                 const TableHeading& heading) {
    switch (format) {
    case ReportExport::Format::Xlsx:
        return std::make_unique<XlsxTableWriter>(path, definition, heading);
    case ReportExport::Format::Csv:
        return std::make_unique<CsvTableWriter>(path, definition);
    case ReportExport::Format::Pdf:
        break;
    }
    throw EHostError(QStringLiteral("O arquivo '%1' não é uma tabela (XLSX ou CSV).").arg(path));
}

TableWriter::~TableWriter() = default;

void TableWriter::addRow(const QStringList& cells, const QString& groupKey, const QString& groupTitle) {
    if (m_def.group.enabled() && (m_rows == 0 || groupKey != m_groupKey)) {
        if (m_rows > 0)
            count(m_def.group.countLabel, m_rows - m_groupStart, false);
        m_groupStart = m_rows;
        m_groupKey = groupKey;
        groupHeader(groupTitle);
    }
    row(cells, groupTitle);
    ++m_rows;
}

void TableWriter::finish() {
    if (m_def.group.enabled() && m_rows > 0)
        count(m_def.group.countLabel, m_rows - m_groupStart, false);
    count(m_def.totalLabel, m_rows, true);
    commit();
}
