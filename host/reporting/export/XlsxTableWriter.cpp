#include "reporting/export/XlsxTableWriter.h"

#include "core/Errors.h"

#include <QDate>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>
#include <xlsxwriter.h>

namespace {

constexpr int kMaxText = 32767; // a cell's limit
constexpr int kMinWidth = 6, kMaxWidth = 60;

QByteArray utf8(const QString& text) {
    return (text.size() > kMaxText ? text.left(kMaxText) : text).toUtf8();
}

// A sheet name may not hold []:*?/\, nor pass 31 characters.
QString sheetName(const QString& title) {
    QString name;
    for (const QChar c : title)
        name += QStringLiteral("[]:*?/\\").contains(c) ? QChar(' ') : c;
    name = name.simplified().left(31);
    while (name.startsWith('\'') || name.endsWith('\''))
        name = name.startsWith('\'') ? name.mid(1) : name.chopped(1);
    return name.isEmpty() ? QStringLiteral("Relatório") : name;
}

// The library's words, without their full stop (the message adds its own).
QString reason(int error) {
    QString text = QString::fromUtf8(lxw_strerror(lxw_error(error))).trimmed();
    while (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

} // namespace

XlsxTableWriter::XlsxTableWriter(const QString& path, const ReportDefinition& definition,
                                 const TableHeading& heading)
    : TableWriter(definition), m_path(path) {
    if (const QString problem = ReportExport::targetProblem(path); !problem.isEmpty())
        throw EHostError(ReportExport::cannotWrite(path, problem));
    const QFileInfo target(path);
    m_out = std::make_unique<QTemporaryFile>(target.absolutePath() + QStringLiteral("/.") +
                                             target.fileName() + QStringLiteral(".XXXXXX"));
    if (!m_out->open())
        throw EHostError(ReportExport::cannotWrite(path, m_out->errorString()));
    m_out->close(); // the workbook writes it by name
    m_outName = QFile::encodeName(m_out->fileName());
    m_tempDir = QFile::encodeName(target.absolutePath());

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_tempDir.data(); // the rows wait on the target's disk, not in a memory-backed /tmp
    m_book = workbook_new_opt(m_outName.constData(), &options);
    if (!m_book)
        fail(QStringLiteral("a planilha não pôde ser iniciada"));
    const QByteArray title = utf8(heading.title);
    lxw_doc_properties properties{};
    properties.title = const_cast<char*>(title.constData());
    workbook_set_properties(m_book, &properties);

    m_sheet = workbook_add_worksheet(m_book, sheetName(heading.title).toUtf8().constData());
    if (!m_sheet)
        m_sheet = workbook_add_worksheet(m_book, QStringLiteral("Relatório").toUtf8().constData());
    if (!m_sheet)
        fail(QStringLiteral("a planilha não pôde ser iniciada"));

    m_title = workbook_add_format(m_book);
    format_set_bold(m_title);
    format_set_font_size(m_title, 14);
    m_header = workbook_add_format(m_book);
    format_set_bold(m_header);
    format_set_bottom(m_header, LXW_BORDER_THIN);
    m_text = workbook_add_format(m_book);
    format_set_num_format(m_text, "@");
    m_date = workbook_add_format(m_book);
    format_set_num_format(m_date, "dd/mm/yyyy");
    format_set_align(m_date, LXW_ALIGN_LEFT);
    m_group = workbook_add_format(m_book);
    format_set_bold(m_group);
    format_set_bg_color(m_group, 0xDDDDDD);
    m_count = workbook_add_format(m_book);
    format_set_top(m_count, LXW_BORDER_HAIR);
    m_countNumber = workbook_add_format(m_book);
    format_set_top(m_countNumber, LXW_BORDER_HAIR);
    format_set_num_format(m_countNumber, "#,##0");
    m_total = workbook_add_format(m_book);
    format_set_bold(m_total);
    format_set_top(m_total, LXW_BORDER_THIN);
    m_totalNumber = workbook_add_format(m_book);
    format_set_bold(m_totalNumber);
    format_set_top(m_totalNumber, LXW_BORDER_THIN);
    format_set_num_format(m_totalNumber, "#,##0");

    // Above the table: the title, the branch, the issue and the criteria, then an empty row.
    text(0, heading.title, m_title);
    ++m_row;
    text(0, QStringLiteral("Filial: %1").arg(heading.branch), nullptr);
    ++m_row;
    text(0, QStringLiteral("Emissão: %1").arg(heading.issued.toString(QStringLiteral("dd/MM/yyyy HH:mm"))),
         nullptr);
    ++m_row;
    for (const QString& line : heading.criteria) {
        text(0, line, nullptr);
        ++m_row;
    }
    ++m_row;

    m_headerRow = m_row;
    for (int c = 0; c < m_def.columns.size(); ++c) {
        const ReportColumn& column = m_def.columns[c];
        m_isDate.push_back(column.format == u"date");
        // Room for the autofilter's button beside the header.
        m_width.push_back(int(column.header.size()) + 3);
        text(c, column.header, m_header);
    }
    ++m_row;
}

XlsxTableWriter::~XlsxTableWriter() {
    // A run that did not finish: the workbook is dropped unwritten and the temporary file removed.
    if (!m_book)
        return;
    // Freeing a workbook leaves its sheet's row file open; only closing it closes that.
    if (m_sheet && m_sheet->optimize_tmpfile) {
        std::fclose(m_sheet->optimize_tmpfile);
        m_sheet->optimize_tmpfile = nullptr;
    }
    lxw_workbook_free(m_book);
}

void XlsxTableWriter::fail(const QString& reason) {
    throw EHostError(ReportExport::cannotWrite(m_path, reason));
}

void XlsxTableWriter::check(int error) {
    if (error != LXW_NO_ERROR)
        fail(reason(error));
}

void XlsxTableWriter::text(int column, const QString& value, lxw_format* format) {
    check(worksheet_write_string(m_sheet, lxw_row_t(m_row), lxw_col_t(column), utf8(value).constData(),
                                 format));
}

void XlsxTableWriter::groupHeader(const QString& title) {
    text(0, title, m_group);
    for (int c = 1; c < m_def.columns.size(); ++c)
        check(worksheet_write_blank(m_sheet, lxw_row_t(m_row), lxw_col_t(c), m_group));
    ++m_row;
}

void XlsxTableWriter::row(const QStringList& cells, const QString&) {
    for (int c = 0; c < m_def.columns.size(); ++c) {
        const QString& cell = c < cells.size() ? cells[c] : QString();
        if (cell.isEmpty())
            continue;
        m_width[size_t(c)] = std::max(m_width[size_t(c)], int(cell.size()));
        if (m_isDate[size_t(c)]) {
            const QDate d = QDate::fromString(cell, QStringLiteral("dd/MM/yyyy"));
            // Spreadsheets count days from 1900; an earlier date stays as it is shown.
            if (d.isValid() && d.year() >= 1900) {
                lxw_datetime when{d.year(), d.month(), d.day(), 0, 0, 0};
                check(worksheet_write_datetime(m_sheet, lxw_row_t(m_row), lxw_col_t(c), &when, m_date));
                continue;
            }
        }
        text(c, cell, m_text);
    }
    ++m_row;
}

void XlsxTableWriter::count(const QString& label, int count, bool total) {
    // The label at the left, the number in the last column, as the pages show them.
    const int last = std::max(1, int(m_def.columns.size()) - 1);
    // The autofilter covers the headers down to the row above the total. The rows go to disk one at
    // a time, so it is set while that row is still the one being written.
    if (total && !m_def.columns.isEmpty())
        check(worksheet_autofilter(m_sheet, lxw_row_t(m_headerRow), 0, lxw_row_t(m_row - 1),
                                   lxw_col_t(m_def.columns.size() - 1)));
    text(0, label, total ? m_total : m_count);
    for (int c = 1; c < last; ++c)
        check(worksheet_write_blank(m_sheet, lxw_row_t(m_row), lxw_col_t(c), total ? m_total : m_count));
    check(worksheet_write_number(m_sheet, lxw_row_t(m_row), lxw_col_t(last), count,
                                 total ? m_totalNumber : m_countNumber));
    if (size_t(last) < m_width.size())
        m_width[size_t(last)] = std::max(m_width[size_t(last)], int(QString::number(count).size()));
    ++m_row;
}

void XlsxTableWriter::commit() {
    const int columns = int(m_def.columns.size());
    worksheet_freeze_panes(m_sheet, lxw_row_t(m_headerRow + 1), 0);
    for (int c = 0; c < columns; ++c)
        check(worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c),
                                   std::clamp(m_width[size_t(c)] + 1, kMinWidth, kMaxWidth), nullptr));
    const lxw_error closed = workbook_close(m_book);
    m_book = nullptr; // closing frees it, written or not
    if (closed != LXW_NO_ERROR)
        fail(reason(closed));

    // The workbook replaces the target in one step.
    QFile in(m_out->fileName());
    if (!in.open(QIODevice::ReadOnly))
        fail(in.errorString());
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly))
        fail(out.errorString());
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty())
        if (out.write(chunk) != chunk.size())
            fail(out.errorString());
    if (in.error() != QFileDevice::NoError)
        fail(in.errorString());
    if (!out.commit())
        fail(out.errorString());
}
