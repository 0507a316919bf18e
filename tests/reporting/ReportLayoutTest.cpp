// Pages laid out from what users paste into the client table: cells of thousands of lines, long
// branch names.
#include "reporting/ReportLayout.h"
#include "core/Errors.h"
#include "reporting/ReportDocument_p.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace {

ReportDefinition clientsByLine() {
    return ReportDefinition::load(TestEnv::sourceDir() +
                                  "/reports/QMT318/1_clientes_por_ramo_de_atividade.json");
}

// A row taller than a page goes on over the next pages: every line once, each inside its page.
class TallRow : public ::testing::TestWithParam<int> {};

TEST_P(TallRow, ContinuesOnTheNextPagesInsideThem) {
    const ReportDefinition d = clientsByLine();
    const int nameColumn = 1;
    ASSERT_EQ(d.columns[nameColumn].field, QStringLiteral("NMRAZSOCCLIE"));
    QStringList lines;
    for (int i = 0; i < GetParam(); ++i)
        lines << QStringLiteral("linha %1").arg(i + 1);
    ReportRows rows;
    for (const ReportColumn& c : d.columns)
        rows.fields << c.field;
    for (int r = 0; r < 3; ++r) {
        QStringList cells(d.columns.size(), QStringLiteral("C%1").arg(r));
        cells[nameColumn] = r == 1 ? lines.join(u'\n') : QStringLiteral("Cliente %1").arg(r);
        rows.cells.push_back(cells);
        rows.groupKeys.push_back(QStringLiteral("A1"));
        rows.groupTitles.push_back(QStringLiteral("Comércio"));
    }
    ReportDocument doc(d, std::move(rows), "01", QDateTime::currentDateTime());

    const QStringList printed = ReportDocumentRows::printed(doc, 1, "NMRAZSOCCLIE");
    ASSERT_EQ(printed.size(), lines.size());
    EXPECT_TRUE(printed == lines);
    EXPECT_EQ(ReportDocumentRows::printed(doc, 2, "NMRAZSOCCLIE"), QStringList{"Cliente 2"});
    EXPECT_EQ(ReportDocumentRows::printed(doc, 1, "CDCLIENTE"), QStringList{"C1"}); // once, on its first page
    const double height = doc.pageLayout().paintRect(QPageLayout::Point).height() * 10;
    for (int p = 0; p < doc.pageCount(); ++p)
        for (const ReportDocument::TextRun& run : doc.pageText(p)) {
            const QRectF box = run.box(0, int(run.text.size()));
            ASSERT_TRUE(box.top() >= 0 && box.bottom() <= height)
                << "page " << p + 1 << ": " << run.text.toStdString() << " at " << box.top();
        }
}

// More than a page, and more lines than a 16-bit counter holds.
INSTANTIATE_TEST_SUITE_P(Lines, TallRow, ::testing::Values(150, 40000));

// Cancel is heard inside a row of thousands of lines, not only between rows.
TEST(TallRowCancelled, StopsAtItsNextPage) {
    const ReportDefinition d = clientsByLine();
    const TextMeasurer& m = TextMeasurer::shared();
    const ReportLayout::Geometry g = ReportLayout::geometry(d, d.page.layout(), m, {});
    struct Pages : ReportLayout::Sink {
        int finished = 0;
        void pageStarted(int) override {}
        void placed(const ReportLayout::Item&, const ReportLayout::Piece*, const QStringList&) override {}
        void pageFinished(int) override { ++finished; }
    } pages;
    ReportLayout::Paginator paginator(d, g, m, pages);
    paginator.setCancelCheck([&] { return pages.finished > 0; });
    QStringList cells(d.columns.size(), QStringLiteral("C1"));
    cells[1] = QStringLiteral("linha\n").repeated(40000);
    EXPECT_THROW(paginator.addRow(cells, "A1", "Comércio"), EAbort);
    EXPECT_EQ(pages.finished, 1);
}

// Records where the page header draws its texts.
struct Recorder : ReportLayout::Canvas {
    std::vector<std::pair<QString, QRectF>> texts;
    void text(double x, double baseline, ReportLayout::Font font, double size, QStringView text) override {
        const double w = TextMeasurer::shared().width(text, size, font);
        texts.push_back({text.toString(), QRectF(x, baseline - size, w, size)});
    }
    void fillRect(const QRectF&, double) override {}
    void line(QPointF, QPointF, double) override {}
    void pageNumber(double, double, double, ReportLayout::Font, double) override {}
};

TEST(PageHeader, BranchEndsBeforeTheIssueDate) {
    const ReportDefinition d = clientsByLine();
    const TextMeasurer& m = TextMeasurer::shared();
    const ReportLayout::Geometry g = ReportLayout::geometry(d, d.page.layout(), m, {});
    for (const QString& branch : {QStringLiteral("01 - Matriz"), QStringLiteral("Filial ").repeated(80)}) {
        const ReportLayout::Painter painter(d, g, m, branch, QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
        Recorder r;
        painter.header(r, 1);
        ASSERT_GE(r.texts.size(), 2u);
        const auto& [shown, branchBox] = r.texts[0];
        const auto& [issued, issuedBox] = r.texts[1];
        EXPECT_EQ(issued, QStringLiteral("Emissão: 08/12/2026 09:30"));
        EXPECT_LT(branchBox.right(), issuedBox.left()) << shown.toStdString();
        if (branch.size() < 20)
            EXPECT_EQ(shown, "Filial: " + branch);
        else
            EXPECT_TRUE(shown.startsWith("Filial: Filial") && shown.endsWith(u'\u2026'))
                << shown.toStdString();
    }
}

} // namespace
