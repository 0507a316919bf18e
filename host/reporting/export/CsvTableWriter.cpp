#include "reporting/export/CsvTableWriter.h"

#include "core/Errors.h"
#include "reporting/export/ReportExport.h"

CsvTableWriter::CsvTableWriter(const QString& path, const ReportDefinition& definition)
    : TableWriter(definition), m_path(path), m_file(path) {
    if (const QString problem = ReportExport::targetProblem(path); !problem.isEmpty())
        throw EHostError(ReportExport::cannotWrite(path, problem));
    if (!m_file.open(QIODevice::WriteOnly))
        throw EHostError(ReportExport::cannotWrite(path, m_file.errorString()));
    m_file.write("\xEF\xBB\xBF");
    QStringList headers;
    if (m_def.group.enabled())
        headers << QStringLiteral("Grupo");
    for (const ReportColumn& c : m_def.columns)
        headers << c.header;
    writeLine(headers);
}

QByteArray CsvTableWriter::field(const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(';') && !bytes.contains('"') && !bytes.contains('\n') && !bytes.contains('\r'))
        return bytes;
    bytes.replace('"', "\"\"");
    return '"' + bytes + '"';
}

void CsvTableWriter::writeLine(const QStringList& fields) {
    m_line.clear();
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            m_line += ';';
        m_line += field(fields[i]);
    }
    m_line += "\r\n";
    m_file.write(m_line);
}

void CsvTableWriter::row(const QStringList& cells, const QString& groupTitle) {
    if (!m_def.group.enabled()) {
        writeLine(cells);
        return;
    }
    QStringList fields;
    fields.reserve(cells.size() + 1);
    fields << groupTitle << cells;
    writeLine(fields);
}

void CsvTableWriter::commit() {
    if (!m_file.commit())
        throw EHostError(ReportExport::cannotWrite(m_path, m_file.errorString()));
}
