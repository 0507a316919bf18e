#include "reporting/export/XlsxTableWriter.h"

#include "core/CellText.h"
#include "core/Errors.h"
#include "core/WriteFailure.h"
#include "reporting/export/ReportExport.h"

#include <QDate>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextBoundaryFinder>
#include <cerrno>
#include <cstdio>
#include <xlsxwriter.h>

namespace {

constexpr qsizetype kMaxText = 32767; // a cell's limit, in UTF-16 units
constexpr int kMaxRows = LXW_ROW_MAX;
constexpr int kMinWidth = 6, kMaxWidth = 60;
constexpr double kMmPerInch = 25.4;
constexpr double kFooterMm = 8; // room for the page numbers above the bottom margin
const QString kGroupColumn = QStringLiteral("Grupo");

// A reader turns "_xHHHH_" into the character HHHH, so an underscore that starts such a text is
// written as "_x005F_" (the underscore itself).
QString escaped(const QString& text) {
    if (!text.contains(QLatin1String("_x")))
        return text;
    static const QRegularExpression code(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    QString out = text;
    return out.replace(code, QStringLiteral("_x005F_"));
}

// A sheet name may not hold []:*?/\, nor pass 31 characters.
QString sheetName(const QString& title) {
    QString name;
    for (const QChar c : cellText(title))
        name += QStringLiteral("[]:*?/\\").contains(c) ? QChar(' ') : c;
    name = cellText(name.simplified().left(31));
    while (name.startsWith('\'') || name.endsWith('\''))
        name = name.startsWith('\'') ? name.mid(1) : name.chopped(1);
    return name.isEmpty() ? QStringLiteral("Relatório") : name;
}

// "Clientes por Tipo (2)"; a name too long for the number keeps its first word: "Clientes (2)".
QString continuedSheetName(const QString& first, int number) {
    const QString suffix = QStringLiteral(" (%1)").arg(number);
    if (first.size() + suffix.size() <= 31)
        return first + suffix;
    return cellText(first.section(u' ', 0, 0).left(31 - suffix.size())) + suffix;
}

uint8_t paperCode(const QString& paper) {
    if (paper == u"Letter")
        return 1;
    if (paper == u"Legal")
        return 5;
    if (paper == u"A3")
        return 8;
    return 9; // A4
}

bool isFileError(int error) {
    switch (error) {
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_PARAMETER_ERROR:
    case LXW_ERROR_ZIP_BAD_ZIP_FILE:
    case LXW_ERROR_ZIP_INTERNAL_ERROR:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return true;
    default:
        return false;
    }
}

} // namespace

QString XlsxTableWriter::cellValue(const QString& text) {
    const QString plain = cellText(text);
    QString value = escaped(plain);
    if (value.size() <= kMaxText)
        return value;
    // Room for the mark and for what the escapes add; the cut falls between two characters as the
    // reader sees them, never inside a surrogate pair or before a combining accent.
    qsizetype keep = std::max<qsizetype>(0, kMaxText - 1 - (value.size() - plain.size()));
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, plain);
    graphemes.setPosition(keep);
    if (!graphemes.isAtBoundary())
        keep = std::max<qsizetype>(0, graphemes.toPreviousBoundary());
    return escaped(plain.left(keep)) + QChar(0x2026);
}

XlsxTableWriter::XlsxTableWriter(const QString& path, const ReportDefinition& definition)
    : TableWriter(definition), m_path(path), m_out(path) {
    if (const QString problem = ReportExport::targetProblem(path); !problem.isEmpty())
        throw EHostError(ReportExport::cannotWrite(path, problem));
    // On Linux the save file is unnamed until commit; the library writes the workbook into it by
    // the descriptor's name, so a killed process leaves nothing beside the target.
    errno = 0;
    if (!m_out.open(QIODevice::WriteOnly))
        failWriting(errno);
    m_outName = "/proc/self/fd/" + QByteArray::number(m_out.handle());
    m_tempDir = QFile::encodeName(QFileInfo(path).absolutePath());

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    // The rows wait on the target's disk, not in a memory-backed /tmp; the library unlinks its
    // files as it creates them.
    options.tmpdir = m_tempDir.data();
    options.use_zip64 = LXW_TRUE; // a million rows pass the 4 GB of a plain zip's parts
    m_book = workbook_new_opt(m_outName.constData(), &options);
    if (!m_book)
        fail(QStringLiteral("faltou memória para iniciar a planilha"));

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
    m_countNumber = workbook_add_format(m_book);
    format_set_num_format(m_countNumber, "#,##0");
    m_total = workbook_add_format(m_book);
    format_set_bold(m_total);
    format_set_top(m_total, LXW_BORDER_THIN);
    m_totalNumber = workbook_add_format(m_book);
    format_set_bold(m_totalNumber);
    format_set_top(m_totalNumber, LXW_BORDER_THIN);
    format_set_num_format(m_totalNumber, "#,##0");

    m_offset = m_def.group.enabled() ? 1 : 0;
    if (m_offset) {
        m_isDate.push_back(false);
        m_width.push_back(int(kGroupColumn.size()) + 3);
    }
    for (const ReportColumn& column : m_def.columns) {
        m_isDate.push_back(column.format == u"date");
        // Room for the autofilter's button beside the header.
        m_width.push_back(int(column.header.size()) + 3);
    }

    m_columns = int(m_width.size());
    m_width.resize(std::max<size_t>(m_width.size(), 2)); // the counts' column below a one-column table
}

void XlsxTableWriter::heading(const ReportHeading& heading) {
    const QByteArray title = cellValue(heading.title).toUtf8();
    lxw_doc_properties properties{};
    properties.title = const_cast<char*>(title.constData());
    workbook_set_properties(m_book, &properties);
    m_sheetName = sheetName(heading.title);
    addSheet();
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
    openTable();
}

XlsxTableWriter::~XlsxTableWriter() {
    // A run that did not finish: the workbook is dropped unwritten and the save file discarded.
    if (!m_book)
        return;
    // Freeing a workbook leaves its sheets' row files open; only closing it closes them.
    for (lxw_worksheet* sheet : m_sheets)
        if (sheet->optimize_tmpfile) {
            std::fclose(sheet->optimize_tmpfile);
            sheet->optimize_tmpfile = nullptr;
        }
    lxw_workbook_free(m_book);
}

void XlsxTableWriter::fail(const QString& reason) {
    throw EHostError(ReportExport::cannotWrite(m_path, reason));
}

void XlsxTableWriter::failWriting(int errnum) {
    // Qt's words for errno, translated as every other file message of the host is.
    const QString system = errnum != 0 ? qt_error_string(errnum) : m_out.errorString();
    fail(writeFailureReason(m_path, system, errnum));
}

void XlsxTableWriter::check(int error) {
    const int errnum = errno;
    if (error == LXW_NO_ERROR)
        return;
    if (isFileError(error))
        failWriting(errnum);
    if (error == LXW_ERROR_MEMORY_MALLOC_FAILED)
        fail(QStringLiteral("faltou memória para montar a planilha"));
    fail(QStringLiteral("a biblioteca de planilhas recusou os dados (erro %1)").arg(error));
}

// The library writes its row files with stdio and does not look at the result; a full disk shows
// here, so the run stops instead of writing on into nothing.
void XlsxTableWriter::checkRowFiles() {
    for (lxw_worksheet* sheet : m_sheets)
        if (FILE* rows = sheet->optimize_tmpfile) {
            errno = 0;
            if (std::fflush(rows) != 0 || std::ferror(rows))
                failWriting(errno);
        }
}

void XlsxTableWriter::addSheet() {
    const int number = int(m_sheets.size()) + 1;
    QString name = number == 1 ? m_sheetName : continuedSheetName(m_sheetName, number);
    lxw_worksheet* sheet = workbook_add_worksheet(m_book, name.toUtf8().constData());
    if (!sheet && number == 1) {
        m_sheetName = name = QStringLiteral("Relatório");
        sheet = workbook_add_worksheet(m_book, name.toUtf8().constData());
    }
    if (!sheet)
        fail(QStringLiteral("a planilha '%1' não pôde ser criada").arg(name));
    m_sheets.push_back(sheet);
    m_sheet = sheet;
    m_row = 0;

    // Printed as the report: its paper, orientation and margins, one page wide however many pages
    // long, the page numbers in the footer.
    const ReportPageSetup& page = m_def.page;
    if (page.orientation == QPageLayout::Landscape)
        worksheet_set_landscape(sheet);
    else
        worksheet_set_portrait(sheet);
    worksheet_set_paper(sheet, paperCode(page.paper));
    const QMarginsF& m = page.marginsMm;
    worksheet_set_margins(sheet, m.left() / kMmPerInch, m.right() / kMmPerInch, m.top() / kMmPerInch,
                          (m.bottom() + kFooterMm) / kMmPerInch);
    lxw_header_footer_options footer{};
    footer.margin = std::max(m.bottom(), 3.0) / kMmPerInch;
    check(worksheet_set_footer_opt(sheet, "&CPágina &P de &N", &footer));
    worksheet_fit_to_pages(sheet, 1, 0);
}

void XlsxTableWriter::openTable() {
    m_headerRow = m_row;
    if (m_offset)
        text(0, kGroupColumn, m_header);
    for (int c = 0; c < m_def.columns.size(); ++c)
        text(m_offset + c, m_def.columns[c].header, m_header);
    ++m_row;
    worksheet_freeze_panes(m_sheet, lxw_row_t(m_row), 0);
    check(worksheet_repeat_rows(m_sheet, lxw_row_t(m_headerRow), lxw_row_t(m_headerRow)));
    m_tableOpen = true;
}

void XlsxTableWriter::endTable() {
    if (!m_tableOpen)
        return;
    m_tableOpen = false;
    // The rows go to disk one at a time, so the filter is set while its last row is still the one
    // being written.
    check(worksheet_autofilter(m_sheet, lxw_row_t(m_headerRow), 0, lxw_row_t(m_row - 1),
                               lxw_col_t(m_columns - 1)));
}

void XlsxTableWriter::text(int column, const QString& value, lxw_format* format) {
    check(worksheet_write_string(m_sheet, lxw_row_t(m_row), lxw_col_t(column),
                                 cellValue(value).toUtf8().constData(), format));
}

void XlsxTableWriter::number(int column, double value, lxw_format* format) {
    check(worksheet_write_number(m_sheet, lxw_row_t(m_row), lxw_col_t(column), value, format));
}

void XlsxTableWriter::groupHeader(const QString& title) {
    m_groupTitle = title;
}

void XlsxTableWriter::row(const QStringList& cells, const QString& groupTitle) {
    if (m_row >= kMaxRows) {
        endTable();
        addSheet();
        openTable();
    }
    if (m_offset && !groupTitle.isEmpty()) {
        m_width[0] = std::max(m_width[0], int(groupTitle.size()));
        text(0, groupTitle, m_text);
    }
    for (int c = 0; c < m_def.columns.size(); ++c) {
        const QString& cell = c < cells.size() ? cells[c] : QString();
        if (cell.isEmpty())
            continue;
        const size_t column = size_t(m_offset + c);
        m_width[column] = std::max(m_width[column], int(cell.size()));
        if (m_isDate[column]) {
            const QDate d = QDate::fromString(cell, QStringLiteral("dd/MM/yyyy"));
            // Spreadsheets count days from 1900; an earlier date stays as it is shown.
            if (d.isValid() && d.year() >= 1900) {
                lxw_datetime when{d.year(), d.month(), d.day(), 0, 0, 0};
                check(worksheet_write_datetime(m_sheet, lxw_row_t(m_row), lxw_col_t(column), &when, m_date));
                continue;
            }
        }
        text(int(column), cell, m_text);
    }
    ++m_row;
    if (m_row % 4096 == 0)
        checkRowFiles();
}

void XlsxTableWriter::count(const QString& label, int count, bool total) {
    if (total) {
        m_totalLabel = label;
        m_totalCount = count;
    } else {
        m_countLabel = label;
        m_counts.push_back({m_groupTitle, count});
    }
}

void XlsxTableWriter::commit() {
    endTable();
    // Below the table, after an empty row: each group's count beside its caption, then the total.
    const size_t needed = 2 + (m_offset ? 1 + m_counts.size() : 0);
    if (size_t(m_row) + needed > size_t(kMaxRows))
        addSheet();
    else
        ++m_row;
    auto widen = [&](int column, const QString& text) {
        m_width[size_t(column)] = std::max(m_width[size_t(column)], int(text.size()));
    };
    if (m_offset) {
        text(0, kGroupColumn, m_header);
        text(1, m_countLabel, m_header);
        widen(1, m_countLabel);
        ++m_row;
        for (const GroupCount& group : m_counts) {
            text(0, group.caption, nullptr);
            number(1, group.count, m_countNumber);
            ++m_row;
        }
    }
    text(0, m_totalLabel, m_total);
    number(1, m_totalCount, m_totalNumber);
    widen(0, m_totalLabel);
    widen(1, QString::number(m_totalCount));
    ++m_row;

    for (lxw_worksheet* sheet : m_sheets)
        for (size_t c = 0; c < m_width.size(); ++c)
            check(worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c),
                                       std::clamp(m_width[c] + 1, kMinWidth, kMaxWidth), nullptr));
    checkRowFiles();
    errno = 0;
    const lxw_error closed = workbook_close(m_book);
    const int errnum = errno;
    m_book = nullptr; // closing frees it, written or not
    m_sheets.clear();
    if (closed != LXW_NO_ERROR) {
        errno = errnum;
        check(closed);
    }
    errno = 0;
    if (!m_out.commit())
        failWriting(errno);
}
