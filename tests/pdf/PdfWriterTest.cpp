// What a reader gets from the writer's files, checked with the usual tools: qpdf finds the file
// sound, pdffonts finds both fonts embedded with a Unicode map, pdftotext gives back the accented
// text and the page-count footers exactly, and names in any script exactly as the database holds
// them; and a cancelled or failed run leaves no file.
#include "reporting/pdf/PdfWriter.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    QString output;
    int exitCode = -1;
};

ToolRun tool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted()) {
        ADD_FAILURE() << qPrintable(program) << " is not installed";
        return {};
    }
    p.waitForFinished(60000);
    return {QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()), p.exitCode()};
}

const QStringList kLines = {
    QStringLiteral("Filial: São Paulo – Centro"),
    QStringLiteral("Ângela Conceição Muñoz, nº 12"),
    QStringLiteral("AÇÚCAR & CAFÉ (LTDA.) \\ 50% – ação…"),
    QStringLiteral("Crédito: R$ 1.234,56 ½ °C ª º"),
};

struct Mode {
    const char* name;
    bool compress, worker;
};

class WrittenPdf : public testing::TestWithParam<Mode> {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("relatório.pdf"));

    // Three pages in report units (tenths of a point), every line on every page, in both fonts.
    void write() {
        PdfWriter w;
        PdfWriter::Options o;
        o.unitsPerPoint = 10;
        o.origin = QPointF(28.35, 28.35);
        o.compress = GetParam().compress;
        o.compressOnWorker = GetParam().worker;
        o.title = QStringLiteral("Clientes por Ramo de Atividade");
        w.begin(path, QSizeF(841.89, 595.28), o);
        for (int page = 0; page < 3; ++page) {
            w.newPage();
            w.fillRect(QRectF(0, 100, 7000, 120), 0.87);
            w.line(QPointF(0, 300), QPointF(7000, 300), 8);
            double y = 400;
            for (const QString& line : kLines) {
                w.text(200, y, TextMeasurer::Regular, 80, line);
                w.text(4000, y, TextMeasurer::Bold, 80, line);
                y += 120;
            }
            w.pageCountText(0, 5000, 7850, PdfWriter::Align::Right, TextMeasurer::Regular, 80,
                            QStringLiteral("Página %1 de %2"));
        }
        EXPECT_EQ(w.pageCount(), 3);
        w.close();
    }
};

TEST_P(WrittenPdf, ReadersFindItSoundWithFontsAndText) {
    write();
    ASSERT_TRUE(QFile::exists(path));
    const ToolRun check = tool("qpdf", {"--check", path});
    EXPECT_EQ(check.exitCode, 0) << qPrintable(check.output);
    EXPECT_TRUE(check.output.contains("No syntax or stream encoding errors")) << qPrintable(check.output);

    const ToolRun fonts = tool("pdffonts", {path});
    ASSERT_EQ(fonts.exitCode, 0);
    for (const char* name : {"+LiberationSans ", "+LiberationSans-Bold "}) {
        const auto line = fonts.output.split('\n').filter(QLatin1String(name));
        ASSERT_EQ(line.size(), 1) << name << "\n" << qPrintable(fonts.output);
        // type, encoding, embedded, subset, Unicode map
        EXPECT_TRUE(line[0].simplified().contains("CID TrueType Identity-H yes yes yes"))
            << qPrintable(line[0]);
    }

    const ToolRun text = tool("pdftotext", {"-layout", path, "-"});
    ASSERT_EQ(text.exitCode, 0);
    const QStringList pages = text.output.split('\f');
    ASSERT_GE(pages.size(), 3);
    for (int page = 0; page < 3; ++page) {
        for (const QString& line : kLines)
            EXPECT_EQ(pages[page].count(line), 2) << qPrintable(line) << " on page " << page + 1;
        EXPECT_TRUE(pages[page].contains(QStringLiteral("Página %1 de 3").arg(page + 1)))
            << qPrintable(pages[page]);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, WrittenPdf,
                         testing::Values(Mode{"worker", true, true}, Mode{"inline", true, false},
                                         Mode{"uncompressed", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Names as users paste them, and what a reader must get back: NFC, controls dropped (TAB as a
// space), a character no installed font has as U+FFFD. pdftotext marks right-to-left lines with
// embedding controls (U+202A..U+202E), which are its own and are ignored.
TEST(PdfWriter, NamesInAnyScriptReadBackExactly) {
    const QString nul(QChar(0));
    const struct {
        QString drawn, read;
    } names[] = {
        {QStringLiteral("Jose\u0301 Conceic\u0327a\u0303o"), QStringLiteral("José Conceição")},
        {QStringLiteral("Marq\u0307ues N\u0303\u0308"), QStringLiteral("Marq\u0307ues Ñ\u0308")},
        {QStringLiteral("田中 太郎 Hiroshi"), QStringLiteral("田中 太郎 Hiroshi")},
        {QStringLiteral("محمد عبد الله"), QStringLiteral("محمد عبد الله")},
        {QStringLiteral("דוד כהן"), QStringLiteral("דוד כהן")},
        {QStringLiteral("Maria 😀 Souza 🤝"), QStringLiteral("Maria 😀 Souza 🤝")},
        {QStringLiteral("Ana ") + QString::fromUcs4(U"\U000F0000") + QStringLiteral(" Lima"),
         QStringLiteral("Ana \uFFFD Lima")},
        {QStringLiteral("Pedro\u0007\tSilva") + nul + QStringLiteral("!\u0085"),
         QStringLiteral("Pedro Silva!")},
        {QStringLiteral("Rui ") + QChar(0xD83D) + QStringLiteral(" Gomes"),
         QStringLiteral("Rui \uFFFD Gomes")},
        {QStringLiteral("O'Brien \"Zé\" (Ltda.) \\ 50%"), QStringLiteral("O'Brien \"Zé\" (Ltda.) \\ 50%")},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nomes.pdf"));
    PdfWriter w;
    w.begin(path, QSizeF(595, 842));
    double y = 60;
    for (const auto& name : names) {
        w.text(40, y, TextMeasurer::Regular, 12, name.drawn);
        y += 30;
    }
    w.close();

    const ToolRun check = tool("qpdf", {"--check", path});
    EXPECT_EQ(check.exitCode, 0) << qPrintable(check.output);
    const ToolRun fonts = tool("pdffonts", {path});
    for (const char* name : {"+NotoSansArabic-Regular ", "+NotoSansHebrew-Regular ", "+DroidSansFallback ",
                             "+Symbola ", "+DejaVuSans "}) {
        const auto line = fonts.output.split('\n').filter(QLatin1String(name));
        ASSERT_EQ(line.size(), 1) << name << "\n" << qPrintable(fonts.output);
        EXPECT_TRUE(line[0].simplified().contains("CID TrueType Identity-H yes yes yes"))
            << qPrintable(line[0]);
    }
    QString text = tool("pdftotext", {path, "-"}).output;
    text.remove(QRegularExpression(QStringLiteral("[\u202A-\u202E\f]")));
    const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), qsizetype(std::size(names))) << qPrintable(text);
    for (size_t i = 0; i < std::size(names); ++i)
        EXPECT_EQ(lines[qsizetype(i)], names[i].read) << "name " << i;
}

TEST(PdfWriter, CancelledOrAbandonedRunLeavesNoFile) {
    QTemporaryDir dir;
    for (bool cancel : {true, false}) {
        PdfWriter w;
        w.begin(dir.filePath("cancelado.pdf"), QSizeF(595, 842));
        for (int i = 0; i < 20; ++i) {
            w.newPage();
            w.text(10, 10, TextMeasurer::Regular, 10, QStringLiteral("linha"));
        }
        if (cancel)
            w.cancel();
        // else the writer goes out of scope unclosed, as when a report run throws
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST(PdfWriter, FailureNamesTheFile) {
    const QString path = QStringLiteral("/nonexistent-folder/saída.pdf");
    PdfWriter w;
    try {
        w.begin(path, QSizeF(595, 842));
        w.newPage();
        w.close();
        FAIL() << "no error";
    } catch (const PdfWriteError& e) {
        EXPECT_EQ(e.path(), path);
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(path)) << e.what();
    }
}

} // namespace
