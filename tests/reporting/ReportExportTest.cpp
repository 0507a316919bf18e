// Reports exported as XLSX and CSV, read back from the written files: the rows and values the report
// shows (codes with leading zeros, accents, dates), from the preview's document and straight from the
// query through the session printer, on SQLite and on the Firebird server; how the workbook filters and
// prints; hostile names read back; what a target that cannot be written and a cancelled run leave
// behind, and that nothing is named beside it before the end; a table longer than one sheet.
#include "reporting/export/ReportExport.h"
#include "HostileNames.h"
#include "ReportHarness.h"
#include "ReportTestData.h"
#include "core/Errors.h"
#include "core/HostSettings.h"
#include "data/dtmDBGeral.h"
#include "reporting/ReportController.h"
#include "reporting/ReportDocument.h"
#include "reporting/ReportDocument_p.h"
#include "reporting/ReportSink.h"
#include "reporting/SessionPrinters.h"
#include "reporting/export/CsvTableWriter.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

using Format = ReportExport::Format;
using Table = QList<QStringList>;

// Clients whose codes a spreadsheet would spoil: leading zeros, and a key of the full 21 characters.
void addSpoilableClients() {
    QSqlDatabase db = dtmDBGeral::database();
    for (const auto& [code, name, birth] :
         {std::tuple{"000123", "João Açaí Ávila", QDate(1992, 3, 10)},
          std::tuple{"000000000000000000042", "Ângela; \"Ótima\" Ltda", QDate(1961, 3, 15)}}) {
        QSqlQuery q(db);
        ASSERT_TRUE(q.prepare("INSERT INTO CLIENTE (CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMFANTCLIE, "
                              "NMRAZSOCCLIE, DTNASCCLIE, CDATIVCLI, CDFILIAL, IDTPORCAEVEN) "
                              "VALUES (?, 'F', '000.000.000-00', ?, ?, ?, 'A1', '01', 'O')"));
        for (const QVariant& v : {QVariant(QString::fromLatin1(code)), QVariant(QString::fromUtf8(name)),
                                  QVariant(QString::fromUtf8(name)), QVariant(birth)})
            q.addBindValue(v);
        ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    }
}

// The text of a cell's <t> or <v> as a reader shows it: "_xHHHH_" is the character HHHH.
QString cellText(QXmlStreamReader& xml) {
    static const QRegularExpression escape("_x([0-9A-Fa-f]{4})_");
    QString text;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"t" || xml.name() == u"v") {
            QString part = xml.readElementText();
            for (auto m = escape.match(part); m.hasMatch(); m = escape.match(part, m.capturedStart() + 1))
                part.replace(m.capturedStart(), m.capturedLength(),
                             QChar(m.captured(1).toUShort(nullptr, 16)));
            text += part;
        } else if (xml.name() == u"is") {
            text += cellText(xml);
        } else {
            xml.skipCurrentElement();
        }
    }
    return text;
}

int columnOf(QStringView ref) {
    int column = 0;
    for (QChar c : ref) {
        if (!c.isLetter())
            break;
        column = column * 26 + (c.unicode() - 'A' + 1);
    }
    return column - 1;
}

QByteArray unzipped(const QString& xlsx, const QString& member) {
    QProcess unzip;
    unzip.start("unzip", {"-p", xlsx, member});
    if (!unzip.waitForFinished(60000) || unzip.exitCode() != 0)
        return {};
    return unzip.readAllStandardOutput();
}

// A sheet's rows from the first, an empty one where the sheet has none; each cell's text. A cell that
// is not a string (a number, a formula's value) is "#" and its value.
Table readXlsx(const QString& path, int sheet = 1) {
    QXmlStreamReader xml(unzipped(path, QStringLiteral("xl/worksheets/sheet%1.xml").arg(sheet)));
    Table rows;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != u"row")
            continue;
        while (rows.size() < xml.attributes().value("r").toInt() - 1)
            rows << QStringList();
        QStringList row;
        while (xml.readNextStartElement()) {
            const int column = columnOf(xml.attributes().value("r"));
            const bool number = !xml.attributes().hasAttribute("t");
            QString text = cellText(xml);
            if (number && !text.isEmpty())
                text.prepend('#');
            while (row.size() <= column)
                row << QString();
            row[column] = text;
        }
        rows << row;
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return rows;
}

// RFC 4180 with ";" between fields.
Table readCsv(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF")) << "no byte order mark";
    const QString text = QString::fromUtf8(bytes.mid(3));
    Table rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ';') {
            row << field;
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row << field;
            rows << row;
            row.clear();
            field.clear();
            ++i;
        } else if (c == '\r' || c == '\n') {
            ADD_FAILURE() << "a line break outside quotes splits the row: " << field.toStdString();
            field += c;
        } else {
            field += c;
        }
    }
    EXPECT_TRUE(row.isEmpty() && field.isEmpty()) << "the last line has no line end";
    return rows;
}

// What the file must hold for the report a document shows, from the column headers down.
Table expectedTable(const ReportDocument& doc, Format format) {
    const ReportDefinition& def = doc.definition();
    const ReportRows& rows = doc.rows();
    const int columns = int(def.columns.size());
    const bool grouping = def.group.enabled();
    Table table;
    QStringList headers;
    for (const ReportColumn& c : def.columns)
        headers << c.header;
    if (format == Format::Csv) {
        table << (grouping ? QStringList{"Grupo"} + headers : headers);
        for (int r = 0; r < doc.rowCount(); ++r)
            table << (grouping ? QStringList{ReportDocumentRows::groupTitle(doc, r)} + rows.cells[size_t(r)]
                               : rows.cells[size_t(r)]);
        return table;
    }
    // XLSX: the table as in the CSV but with dates as day numbers; below it, after an empty row, each
    // group's count beside its caption and the total beside its label.
    table << (grouping ? QStringList{"Grupo"} + headers : headers);
    QList<QPair<QString, int>> counts;
    for (int r = 0; r < doc.rowCount(); ++r) {
        const QString caption = grouping ? ReportDocumentRows::groupTitle(doc, r) : QString();
        if (grouping && (r == 0 || rows.groupKeys[size_t(r)] != rows.groupKeys[size_t(r - 1)]))
            counts.append({caption, 0});
        if (grouping)
            ++counts.last().second;
        QStringList cells = rows.cells[size_t(r)];
        for (int c = 0; c < columns; ++c)
            if (def.columns[c].format == u"date" && !cells[c].isEmpty())
                cells[c] = QStringLiteral("#%1").arg(
                    QDate(1899, 12, 30).daysTo(QDate::fromString(cells[c], "dd/MM/yyyy")));
        if (grouping)
            cells.prepend(caption);
        while (!cells.isEmpty() && cells.last().isEmpty())
            cells.removeLast();
        table << cells;
    }
    table << QStringList();
    if (grouping) {
        table << QStringList{"Grupo", def.group.countLabel};
        for (const auto& [caption, n] : counts)
            table << QStringList{caption, QStringLiteral("#%1").arg(n)};
    }
    table << QStringList{def.totalLabel, QStringLiteral("#%1").arg(doc.rowCount())};
    return table;
}

QString dump(const Table& table) {
    QStringList lines;
    for (const QStringList& row : table)
        lines << row.join(" | ");
    return lines.join('\n');
}

using Harness = ReportHarness;

struct ExportCase {
    const char* name;
    Format format;
    int report;    // 2 lists birthdays with their dates; 1 groups by line of business
    bool streamed; // through the session printer, straight from the query; else from the preview
};

void PrintTo(const ExportCase& c, std::ostream* os) {
    *os << c.name;
}

class ExportedTable : public BackendTest<std::tuple<TestBackend, ExportCase>> {
protected:
    SharedConnectionKept kept;
    void open(TestBackend b) override {
        openTestDatabase(b);
        addSpoilableClients();
    }
};

TEST_P(ExportedTable, HoldsTheReportsRowsAndValues) {
    const ExportCase& c = std::get<1>(GetParam());
    QTemporaryDir dir;
    const QString path = dir.filePath("relatório." + ReportExport::suffix(c.format));
    Harness h;
    std::unique_ptr<ReportDocument> shown;
    TestEnv::dialogs().onPreview = [&](ReportDocument& doc) {
        shown = std::make_unique<ReportDocument>(doc.definition(), doc.rows(), doc.branch(), doc.issued());
        if (!c.streamed)
            ReportExport::write(doc, path, c.format);
    };
    h.controller.preview(c.report);
    ASSERT_TRUE(shown);
    if (c.streamed) {
        HostSettings::setPrinter(ReportExport::suffix(c.format) + ':' + path);
        h.controller.print(c.report);
    }
    ASSERT_TRUE(TestEnv::dialogs().errors().isEmpty())
        << TestEnv::dialogs().errors().join('\n').toStdString();

    // The clients a spreadsheet would spoil are there, as the report shows them.
    QStringList codes;
    for (int r = 0; r < shown->rowCount(); ++r)
        codes << ReportDocumentRows::cell(*shown, r, "CDCLIENTE");
    ASSERT_TRUE(codes.contains("000123") && codes.contains("000000000000000000042"))
        << codes.join(' ').toStdString();

    Table got = c.format == Format::Xlsx ? readXlsx(path) : readCsv(path);
    const Table expected = expectedTable(*shown, c.format);
    if (c.format == Format::Xlsx) {
        ASSERT_FALSE(got.isEmpty());
        EXPECT_EQ(got.first().value(0), shown->title());
        // Title, branch and issue above the table; the table starts at the column headers.
        int headerRow = 1;
        while (!got.isEmpty() && got.first() != expected.first()) {
            got.removeFirst();
            ++headerRow;
        }
        // Filtered and sorted as one block of whole rows; printed as the report, one page wide, the
        // column headers on every page.
        const QString sheet = unzipped(path, "xl/worksheets/sheet1.xml") + unzipped(path, "xl/workbook.xml");
        for (const QString& setup :
             {QStringLiteral("<autoFilter ref=\"A%1:%2%3\"/>")
                  .arg(headerRow)
                  .arg(QChar(char16_t('A' + expected.first().size() - 1)))
                  .arg(headerRow + shown->rowCount()),
              QStringLiteral("<pageSetUpPr fitToPage=\"1\"/>"),
              QStringLiteral("<pageSetup paperSize=\"9\" fitToHeight=\"0\" orientation=\"landscape\"/>"),
              QStringLiteral("<oddFooter>&amp;CPágina &amp;P de &amp;N</oddFooter>"),
              QStringLiteral("\"_xlnm.Print_Titles\" localSheetId=\"0\">'%1'!$%2:$%2<")
                  .arg(shown->title())
                  .arg(headerRow)})
            EXPECT_TRUE(sheet.contains(setup)) << setup.toStdString();
        const bool dates = std::any_of(shown->definition().columns.begin(), shown->definition().columns.end(),
                                       [](const ReportColumn& column) { return column.format == u"date"; });
        if (dates) {
            EXPECT_TRUE(unzipped(path, "xl/styles.xml").contains("formatCode=\"dd/mm/yyyy\""));
        }
    }
    EXPECT_EQ(got, expected) << "got:\n"
                             << dump(got).toStdString() << "\nexpected:\n"
                             << dump(expected).toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QFileInfo(path).fileName()});
}

const ExportCase kExportCases[] = {
    {"xlsx_dates_streamed", Format::Xlsx, 2, true},
    {"xlsx_groups_from_preview", Format::Xlsx, 1, false},
    {"csv_dates_from_preview", Format::Csv, 2, false},
    {"csv_groups_streamed", Format::Csv, 1, true},
};

std::string exportCaseName(const ::testing::TestParamInfo<std::tuple<TestBackend, ExportCase>>& info) {
    return backendName(std::get<0>(info.param)).toLower().toStdString() + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(SQLite, ExportedTable,
                         ::testing::Combine(::testing::Values(TestBackend::SQLite),
                                            ::testing::ValuesIn(kExportCases)),
                         exportCaseName);
INSTANTIATE_TEST_SUITE_P(Servers, ExportedTable,
                         ::testing::Combine(::testing::Values(TestBackend::Firebird, TestBackend::PostgreSQL),
                                            ::testing::ValuesIn(kExportCases)),
                         exportCaseName);

struct TargetCase {
    const char* name;
    Format format;
    bool streamed;
    const char* target; // under the test's folder
};

void PrintTo(const TargetCase& c, std::ostream* os) {
    *os << c.name;
}

class ExportTarget : public ::testing::TestWithParam<TargetCase> {
protected:
    SharedConnectionKept kept;
    void SetUp() override {
        TestEnv::reset();
        openTestDatabase(TestBackend::SQLite);
    }
};

// The message names the file, the report did not run, and no file was left anywhere.
TEST_P(ExportTarget, ThatCannotBeWrittenIsNamedAndLeavesNothing) {
    const TargetCase& c = GetParam();
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("pasta.xlsx");
    const QString path = dir.filePath(c.target);
    Harness h;
    QString message;
    try {
        if (c.streamed) {
            HostSettings::setPrinter(ReportExport::suffix(c.format) + ':' + path);
            h.controller.print(2);
        } else {
            TestEnv::dialogs().onPreview = [&](ReportDocument& doc) {
                ReportExport::write(doc, path, c.format);
            };
            h.controller.preview(2);
        }
    } catch (const EHostError& e) {
        message = e.message();
    }
    EXPECT_TRUE(message.startsWith("Não foi possível gravar o arquivo '" + path + "'"))
        << message.toStdString();
    if (c.streamed) {
        EXPECT_EQ(h.filler.calls, 0) << "the report ran although its file could not be written";
    }
    QStringList left;
    for (QDirIterator it(dir.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        left << QDir(dir.path()).relativeFilePath(it.next());
    EXPECT_EQ(left, QStringList{"pasta.xlsx"});
}

INSTANTIATE_TEST_SUITE_P(
    Exports, ExportTarget,
    ::testing::Values(TargetCase{"xlsx_streamed_folder_missing", Format::Xlsx, true, "nao-existe/saida.xlsx"},
                      TargetCase{"xlsx_preview_is_a_folder", Format::Xlsx, false, "pasta.xlsx"},
                      TargetCase{"csv_streamed_is_a_folder", Format::Csv, true, "pasta.xlsx"},
                      TargetCase{"csv_preview_folder_missing", Format::Csv, false, "nao-existe/saida.csv"}),
    [](const auto& info) { return std::string(info.param.name); });

class CancelledExport : public ExportTarget {};

// A run cancelled after its first row leaves the former file as it was, nothing beside it and no file
// open.
TEST_P(CancelledExport, LeavesTheFormerFileAlone) {
    const TargetCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(c.target);
    QFile former(path);
    ASSERT_TRUE(former.open(QIODevice::WriteOnly));
    former.write("former");
    former.close();
    Harness h;
    HostSettings::setPrinter(ReportExport::suffix(c.format) + ':' + path);
    h.controller.setCancelCheck([](qint64 rows) { return rows >= 1; });
    const auto openFiles = [] {
        return QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System).size();
    };
    const qsizetype before = openFiles();
    EXPECT_THROW(h.controller.print(2), EAbort);
    EXPECT_EQ(openFiles(), before) << "the cancelled run left a file open";
    ASSERT_TRUE(former.open(QIODevice::ReadOnly));
    EXPECT_EQ(former.readAll(), "former");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{c.target});
}

INSTANTIATE_TEST_SUITE_P(Exports, CancelledExport,
                         ::testing::Values(TargetCase{"xlsx", Format::Xlsx, true, "saida.xlsx"},
                                           TargetCase{"csv", Format::Csv, true, "saida.csv"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct CsvField {
    const char* text;
    const char* written;
};

class CsvFields : public ::testing::TestWithParam<CsvField> {};

TEST_P(CsvFields, AreQuotedOnlyWhereASpreadsheetNeedsIt) {
    EXPECT_EQ(CsvTableWriter::field(QString::fromUtf8(GetParam().text)), QByteArray(GetParam().written));
}

INSTANTIATE_TEST_SUITE_P(Exports, CsvFields,
                         ::testing::Values(CsvField{"000123", "000123"}, CsvField{"São João", "São João"},
                                           CsvField{"a;b", "\"a;b\""}, CsvField{"o \"x\"", "\"o \"\"x\"\"\""},
                                           CsvField{"linha\r\noutra", "\"linha\r\noutra\""},
                                           CsvField{"a, b", "a, b"}));

struct SettingCase {
    const char* setting;
    std::optional<Format> format;
    const char* path;
};

class PrinterSetting : public ::testing::TestWithParam<SettingCase> {};

TEST_P(PrinterSetting, NamesAFileOnlyWithAKnownPrefix) {
    const SettingCase& c = GetParam();
    const auto target = SessionPrinters::fileTarget(c.setting);
    ASSERT_EQ(target.has_value(), c.format.has_value()) << c.setting;
    if (!target)
        return;
    EXPECT_EQ(target->format, *c.format);
    EXPECT_EQ(target->path, c.path);
    EXPECT_EQ(SessionPrinters::fileSetting(*target), c.setting);
}

INSTANTIATE_TEST_SUITE_P(Exports, PrinterSetting,
                         ::testing::Values(SettingCase{"pdf:/tmp/a.pdf", Format::Pdf, "/tmp/a.pdf"},
                                           SettingCase{"xlsx:/tmp/a.xlsx", Format::Xlsx, "/tmp/a.xlsx"},
                                           SettingCase{"csv:C:/saida.csv", Format::Csv, "C:/saida.csv"},
                                           SettingCase{"csv:", Format::Csv, ""},
                                           SettingCase{"HP LaserJet", std::nullopt, ""},
                                           SettingCase{"docx:/tmp/a.docx", std::nullopt, ""},
                                           SettingCase{"XLSX:/tmp/a.xlsx", std::nullopt, ""}));

// One column, "Nome"; when grouping, each row is a group of its own, so that every value goes out as
// a cell and as a group caption.
ReportDefinition namesReport(const QString& title, bool grouping) {
    ReportDefinition def;
    def.title = title;
    def.columns = {ReportColumn()};
    def.columns[0].field = "NOME";
    def.columns[0].header = "Nome";
    if (grouping)
        def.group.field = def.group.header = "NOME";
    return def;
}

ReportHeading namesHeading(const QString& title, const QStringList& criteria = {}) {
    return {title, "01", QDateTime(QDate(2026, 3, 1), QTime(8, 0)), criteria};
}

std::unique_ptr<ReportSink> opened(Format format, const QString& path, const ReportDefinition& def,
                                   const ReportHeading& heading) {
    std::unique_ptr<ReportSink> sink = ReportExport::open(format, def, {path, def.page.layout(), {}});
    sink->begin(heading, {});
    return sink;
}

class HostileNames : public ::testing::TestWithParam<Format> {};

// Read back by readers of our own (RFC 4180; unzip and an XML parser decoding "_xHHHH_" as
// spreadsheets do): each value as stored after the cellText() rule, never a number or a formula; in
// CSV formula-looking text starts with an apostrophe; XLSX cuts an over-long cell between two
// characters with "…".
TEST_P(HostileNames, ComeBackAsStoredAndNeverAsFormulas) {
    const Format format = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath("nomes." + ReportExport::suffix(format));
    QStringList values, shown;
    for (const HostileName& h : kHostileNames) {
        values << h.value();
        shown << (format == Format::Csv && h.formula ? "'" : "") + h.expected();
    }
    values << longHostileName();
    shown << (format == Format::Xlsx ? QStringView(u"\U0001F600").toString().repeated(16383) + u'…'
                                     : longHostileName());
    {
        const auto writer = opened(format, path, namesReport("Nomes", true), namesHeading("Nomes", values));
        for (qsizetype i = 0; i < values.size(); ++i)
            writer->addRow({values[i]}, QString::number(i), values[i]);
        // Nothing has a name in the folder before the end, so a process killed now leaves nothing.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList());
        writer->finish();
    }
    Table expected{{"Grupo", "Nome"}};
    for (const QString& s : shown)
        expected << QStringList{s, s};
    if (format == Format::Csv) {
        EXPECT_EQ(readCsv(path), expected);
        return;
    }
    // Title, branch, issue, the criteria, an empty row, then the table.
    const Table got = readXlsx(path);
    Table criteria;
    for (const QString& s : shown)
        criteria << QStringList{s};
    EXPECT_EQ(got.mid(3, shown.size()), criteria);
    EXPECT_EQ(got.mid(3 + shown.size() + 1, expected.size()), expected);
}

INSTANTIATE_TEST_SUITE_P(Exports, HostileNames, ::testing::Values(Format::Csv, Format::Xlsx),
                         [](const auto& info) { return ReportExport::suffix(info.param).toStdString(); });

// Past a sheet's 1,048,576 rows the table goes on in a second sheet under the column headers, and
// the total follows the last row.
TEST(XlsxRows, PastOneSheetGoOnInTheNext) {
    if (qEnvironmentVariable("ERP_LARGE_TESTS") == u"0")
        GTEST_SKIP() << "ERP_LARGE_TESTS=0";
    QTemporaryDir dir;
    const QString path = dir.filePath("clientes.xlsx");
    const QString title = "Clientes por Ramo de Atividade";
    constexpr int rows = 1048600, firstSheet = 1048576 - 5; // title, branch, issue, empty, headers
    {
        const auto writer = opened(Format::Xlsx, path, namesReport(title, false), namesHeading(title));
        for (int i = 0; i < rows; ++i)
            writer->addRow({QString::number(i)}, {}, {});
        writer->finish();
    }
    const QByteArray first = unzipped(path, "xl/worksheets/sheet1.xml");
    EXPECT_TRUE(first.contains("<dimension ref=\"A1:A1048576\"/>"));
    EXPECT_TRUE(
        first.contains(QStringLiteral("<t>%1</t></is></c></row></sheetData>").arg(firstSheet - 1).toUtf8()));
    Table second{{"Nome"}};
    for (int i = firstSheet; i < rows; ++i)
        second << QStringList{QString::number(i)};
    second << QStringList() << QStringList{"Total de registros", QStringLiteral("#%1").arg(rows)};
    EXPECT_EQ(readXlsx(path, 2), second);
    const QByteArray book = unzipped(path, "xl/workbook.xml");
    EXPECT_TRUE(book.contains("<sheet name=\"Clientes (2)\"")) << book.toStdString();
}

} // namespace
