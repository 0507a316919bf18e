#include "reporting/export/CsvTableWriter.h"

#include "core/CellText.h"
#include "core/Errors.h"
#include "core/WriteFailure.h"
#include "reporting/export/ReportExport.h"

#include <QRegularExpression>
#include <cerrno>

namespace {

// What a spreadsheet would evaluate on opening the file (the characters OWASP lists for CSV injection).
bool looksLikeFormula(const QString& text) {
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    if (first == u'=' || first == u'@' || first == u'\t' || first == u'\r')
        return true;
    if (first != u'-' && first != u'+')
        return false;
    static const QRegularExpression signedNumber(QStringLiteral("^[-+][0-9]+([.,][0-9]+)*$"));
    return !signedNumber.match(text).hasMatch();
}

} // namespace

CsvTableWriter::CsvTableWriter(const QString& path, const ReportDefinition& definition)
    : TableWriter(definition), m_path(path), m_file(path) {
    if (const QString problem = ReportExport::targetProblem(path); !problem.isEmpty())
        throw EHostError(ReportExport::cannotWrite(path, problem));
    if (!m_file.open(QIODevice::WriteOnly))
        fail(errno);
    m_line = "\xEF\xBB\xBF";
    QStringList headers;
    if (m_def.group.enabled())
        headers << QStringLiteral("Grupo");
    for (const ReportColumn& c : m_def.columns)
        headers << c.header;
    writeLine(headers);
}

void CsvTableWriter::fail(int errnum) {
    throw EHostError(
        ReportExport::cannotWrite(m_path, writeFailureReason(m_path, m_file.errorString(), errnum)));
}

QByteArray CsvTableWriter::field(const QString& text) {
    QString value = cellText(text);
    if (looksLikeFormula(value))
        value.prepend(u'\'');
    QByteArray bytes = value.toUtf8();
    if (!bytes.contains(';') && !bytes.contains('"') && !bytes.contains('\n') && !bytes.contains('\r') &&
        !bytes.contains('\t'))
        return bytes;
    bytes.replace('"', "\"\"");
    return '"' + bytes + '"';
}

void CsvTableWriter::writeLine(const QStringList& fields) {
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            m_line += ';';
        m_line += field(fields[i]);
    }
    m_line += "\r\n";
    // Stops at the first failed write: a full disk ends the run now, not after the last row.
    errno = 0;
    if (m_file.write(m_line) != m_line.size())
        fail(errno);
    m_line.clear();
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
    // QSaveFile::commit() does not see a failure of the last flush (on a full disk it then names an
    // empty file), so the buffer is written out and checked first.
    errno = 0;
    if (!m_file.flush() || !m_file.commit())
        fail(errno);
}
