// Client names as real data holds them (pasted from web forms and other systems), printed by the
// four reports to PDF, XLSX and CSV through the session printer, and read back by programs nobody
// here wrote: pdftotext and qpdf, openpyxl, Python's csv. Every name comes back as stored (composed,
// NUL dropped), none becomes a live formula.
#include "HostileNames.h"
#include "ReportHarness.h"
#include "core/HostSettings.h"
#include "data/dtmDBGeral.h"
#include "reporting/export/ReportExport.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Format = ReportExport::Format;

// A name pdftotext gives back as one piece: on one line of its cell, without blanks at its ends that
// the extraction trims, and not mixing directions (poppler reorders such a line its own way).
bool printsWhole(const QString& name) {
    bool rtl = false, ltr = false;
    for (QChar c : name) {
        rtl |= c.direction() == QChar::DirR || c.direction() == QChar::DirAL;
        ltr |= c.direction() == QChar::DirL;
    }
    return name.size() <= 24 && name == name.trimmed() && !name.contains(u'\t') && !name.contains(u'\n') &&
           !name.contains(u'\r') && !(rtl && ltr);
}

// SQLite itself pairs a lone surrogate with the character after it when it stores UTF-16, so such a
// name never reaches a report as it was written; the writers' own test covers it.
bool storable(const HostileName& name) {
    const QString v = name.value();
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i].isHighSurrogate() && i + 1 < v.size() && v[i + 1].isLowSurrogate())
            ++i;
        else if (v[i].isSurrogate())
            return false;
    }
    return true;
}

// What the report prints of a name: the trailing blanks of fixed-width columns are not printed.
QString printed(const HostileName& name) {
    QString s = name.expected();
    while (!s.isEmpty() && s.back() == u' ')
        s.chop(1);
    return s;
}

void addHostileClients() {
    QSqlDatabase db = dtmDBGeral::database();
    int n = 0;
    for (const HostileName& name : kHostileNames) {
        if (!storable(name))
            continue;
        QSqlQuery q(db);
        ASSERT_TRUE(q.prepare("INSERT INTO CLIENTE (CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMFANTCLIE, "
                              "NMRAZSOCCLIE, DTNASCCLIE, CDATIVCLI, CDFILIAL, IDTPORCAEVEN) "
                              "VALUES (?, 'F', '000.000.000-00', ?, ?, ?, 'A1', '01', 'O')"));
        for (const QVariant& v :
             {QVariant(QStringLiteral("H%1").arg(++n, 5, 10, QChar('0'))), QVariant(name.value()),
              QVariant(name.value()), QVariant(QDate(1990, 3, 1 + n % 28))})
            q.addBindValue(v);
        ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    }
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("<%1 did not finish>").arg(program);
    return QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
}

struct Cell {
    QString value, type;
};

std::vector<Cell> readSheet(const QString& path) {
    const QString json =
        run("/usr/bin/python3", {TestEnv::sourceDir() + "/tests/reporting/read_export.py", path});
    std::vector<Cell> cells;
    for (const QJsonValue& row : QJsonDocument::fromJson(json.toUtf8()).array())
        for (const QJsonValue& cell : row.toArray())
            cells.push_back({cell["v"].toString(), cell["t"].toString()});
    EXPECT_FALSE(cells.empty()) << json.toStdString();
    return cells;
}

struct Print {
    Format format;
    int report;
};

void PrintTo(const Print& p, std::ostream* os) {
    *os << ReportExport::suffix(p.format).toStdString() << " of report " << p.report;
}

std::vector<Print> everyPrint() {
    std::vector<Print> all;
    for (Format format : {Format::Pdf, Format::Xlsx, Format::Csv})
        for (int report = 0; report < 4; ++report)
            all.push_back({format, report});
    return all;
}

class HostileText : public BackendTest<std::tuple<TestBackend, Print>> {
protected:
    SharedConnectionKept kept;
    void open(TestBackend b) override {
        openTestDatabase(b);
        addHostileClients();
    }
};

TEST_P(HostileText, EveryNameReadsBackAsStoredAndNoneIsAFormula) {
    const auto [format, report] = std::get<1>(GetParam());
    QTemporaryDir dir;
    const QString path = dir.filePath("nomes." + ReportExport::suffix(format));
    ReportHarness h;
    HostSettings::setPrinter(ReportExport::suffix(format) + ':' + path);
    h.controller.print(report);
    ASSERT_TRUE(TestEnv::dialogs().errors().isEmpty())
        << TestEnv::dialogs().errors().join('\n').toStdString();

    if (format == Format::Pdf) {
        EXPECT_TRUE(run("qpdf", {"--check", path}).contains("No syntax or stream encoding errors"));
        const QString got = run("pdftotext", {"-enc", "UTF-8", path, "-"});
        for (const HostileName& name : kHostileNames) {
            if (!storable(name) || !printsWhole(printed(name)))
                continue;
            // What no font can draw is a box, and extracts as the replacement character.
            const QString expected =
                printed(name).replace(QString::fromUcs4(U"\U000F0000"), QString(QChar(0xFFFD)));
            EXPECT_TRUE(got.contains(expected)) << expected.toStdString() << " not in:\n"
                                                << got.toStdString();
        }
        return;
    }
    const std::vector<Cell> cells = readSheet(path);
    for (const Cell& cell : cells)
        EXPECT_NE(cell.type, "f") << "a formula: " << cell.value.toStdString();
    for (const HostileName& name : kHostileNames) {
        if (!storable(name))
            continue;
        QString expected = printed(name);
        if (format == Format::Csv && name.formula)
            expected.prepend('\'');
        const bool found = std::any_of(cells.begin(), cells.end(), [&](const Cell& c) {
            return c.value == expected && (format == Format::Csv || c.type == "s");
        });
        EXPECT_TRUE(found) << expected.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Reports, HostileText,
                         ::testing::Combine(::testing::Values(TestBackend::SQLite),
                                            ::testing::ValuesIn(everyPrint())),
                         [](const auto& info) {
                             const Print& p = std::get<1>(info.param);
                             return ReportExport::suffix(p.format).toStdString() + "_report" +
                                    std::to_string(p.report);
                         });

} // namespace
