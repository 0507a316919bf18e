// The preview and designer windows without showing them modally.
#include "core/Errors.h"
#include "reporting/ReportDocument.h"
#include "reporting/ReportDocument_p.h"
#include "reporting/ReportPreviewWindow.h"
#include "reporting/editor/ReportDesignerWindow.h"
#include "reporting/preview/ReportPageView.h"
#include "reporting/preview/ReportSearchBar.h"
#include "reporting/preview/ReportTextSearch.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

ReportDefinition sampleDefinition() {
    ReportDefinition d = ReportDefinition::load(TestEnv::sourceDir() +
                                                "/reports/QMT318/1_clientes_por_ramo_de_atividade.json");
    d.page.fontSize = 20; // a few rows make several pages
    return d;
}

// Rows first..last-1 of the sample report.
ReportRows sampleRows(int first, int last) {
    ReportRows rows;
    const ReportDefinition d = sampleDefinition();
    for (const ReportColumn& c : d.columns)
        rows.fields << c.field;
    for (int i = first; i < last; ++i) {
        QStringList cells;
        for (int c = 0; c < d.columns.size(); ++c)
            cells
                << QStringLiteral("Valor %1 da coluna %2 com um texto bem comprido para caber").arg(i).arg(c);
        rows.cells.push_back(cells);
        rows.groupKeys.push_back(QString::number(i / 25));
        rows.groupTitles.push_back(QStringLiteral("Grupo %1").arg(i / 25));
    }
    return rows;
}

std::unique_ptr<ReportDocument> sampleDocument() {
    return std::make_unique<ReportDocument>(sampleDefinition(), sampleRows(0, 60), "01",
                                            QDateTime::currentDateTime());
}

TEST(ReportPreviewWindow, NavigatesAndZoomsDrawingOnlyThePagesShown) {
    auto doc = sampleDocument();
    ASSERT_GT(doc->pageCount(), 2);
    ReportPreviewWindow window(*doc);
    window.resize(1100, 600); // wide enough that the whole page is narrower than the page's width
    window.show();
    QCoreApplication::processEvents();
    auto* zoom = window.findChild<QComboBox*>();
    ASSERT_NE(zoom, nullptr);
    const ReportPageView& view = window.pageView();
    QSize previous;
    for (int i = 0; i < zoom->count(); ++i) {
        zoom->setCurrentIndex(i);
        window.grab();
        const QSize drawn = view.drawnPageSize(view.currentPage());
        ASSERT_TRUE(drawn.isValid()) << i;
        EXPECT_NE(drawn, previous) << zoom->itemText(i).toStdString();
        EXPECT_FALSE(view.drawnPageSize(doc->pageCount() - 1).isValid()) << "a page out of sight was drawn";
        previous = drawn;
    }
    zoom->setCurrentIndex(0);
    window.showPage(1);
    EXPECT_EQ(window.currentPage(), 1);
    EXPECT_TRUE(window.grab().save(TestEnv::binaryDir() + "/report_preview.png")); // for a person to look at
    window.showPage(doc->pageCount() + 5);
    EXPECT_EQ(window.currentPage(), doc->pageCount() - 1);
    window.showPage(-3);
    EXPECT_EQ(window.currentPage(), 0);
}

// A report still running: the page count grows under the open preview ("de N…") and printing and
// exporting wait for its end.
TEST(ReportPreviewWindow, FollowsAReportThatIsStillRunning) {
    ReportDocument doc(sampleDefinition(), "01", QDateTime::currentDateTime());
    ReportPreviewWindow window(doc);
    window.show();
    QLabel* total = nullptr;
    for (QLabel* l : window.findChildren<QLabel*>())
        if (l->accessibleName() == QStringLiteral("Total de páginas"))
            total = l;
    ASSERT_NE(total, nullptr);
    auto disabled = [&] {
        int count = 0;
        for (QPushButton* b : window.findChildren<QPushButton*>())
            count += !b->isEnabled();
        return count;
    };
    EXPECT_EQ(disabled(), 2); // print and export
    for (int part = 0; part < 2; ++part) {
        doc.appendRows(sampleRows(part * 30, part * 30 + 30));
        EXPECT_EQ(total->text(), QStringLiteral("de %1…").arg(doc.pageCount()));
    }
    window.showPage(doc.pageCount() - 1);
    EXPECT_EQ(window.currentPage(), doc.pageCount() - 1);
    EXPECT_EQ(disabled(), 2);
    doc.complete();
    EXPECT_EQ(total->text(), QStringLiteral("de %1").arg(sampleDocument()->pageCount()));
    EXPECT_EQ(disabled(), 0);
}

// Fitting the width is measured on what was painted: at opening, before any zoom is chosen, and
// again after the window is resized.
struct FitCase {
    QSize opened, resized; // resized empty: measured as opened
};

class PreviewFitsTheWidth : public ::testing::TestWithParam<FitCase> {};

TEST_P(PreviewFitsTheWidth, PagePaintedAsWideAsTheView) {
    auto doc = sampleDocument();
    ReportPreviewWindow window(*doc);
    window.resize(GetParam().opened);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    if (GetParam().resized.isValid()) {
        window.resize(GetParam().resized);
        QCoreApplication::processEvents();
    }
    window.pageView().viewport()->repaint();
    const QSize drawn = window.pageView().drawnPageSize(0);
    ASSERT_TRUE(drawn.isValid());
    EXPECT_NEAR(drawn.width(), window.pageView().viewport()->width(), 8);
    const QSize size = window.size();
    window.grab().save(TestEnv::binaryDir() +
                       QStringLiteral("/report_preview_%1x%2.png").arg(size.width()).arg(size.height()));
}

INSTANTIATE_TEST_SUITE_P(Sizes, PreviewFitsTheWidth,
                         ::testing::Values(FitCase{{1000, 720}, {}}, FitCase{{700, 900}, {}},
                                           FitCase{{1000, 720}, {760, 820}}));

// Zooming in from the page's width keeps a point of the page in place: its left edge (the first
// column) for the keys, the point under the mouse for Ctrl+wheel.
TEST(ReportPreviewWindow, ZoomKeepsItsAnchorInPlace) {
    auto doc = sampleDocument();
    for (const bool wheel : {false, true}) {
        ReportPreviewWindow window(*doc);
        window.resize(900, 700);
        window.show();
        QCoreApplication::processEvents();
        ReportPageView& view = window.pageView();
        view.setZoom(ReportPageView::FitWidth);
        const QPoint at = wheel ? QPoint(view.viewport()->width() * 3 / 4, 200) : view.pageRect(0).topLeft();
        const QPointF paper = QPointF(at - view.pageRect(0).topLeft()) / view.scale();
        if (wheel) {
            QWheelEvent turn(at, view.viewport()->mapToGlobal(at), {}, {0, 120}, Qt::NoButton,
                             Qt::ControlModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(view.viewport(), &turn);
        } else {
            QTest::keyClick(&window, Qt::Key_Plus, Qt::ControlModifier);
        }
        ASSERT_NE(view.zoom(), int(ReportPageView::FitWidth));
        const QPointF now = view.pageRect(0).topLeft() + paper * view.scale();
        EXPECT_NEAR(now.x(), at.x(), 3) << (wheel ? "wheel" : "keys");
        EXPECT_NEAR(now.y(), at.y(), 3) << (wheel ? "wheel" : "keys");
        view.setZoom(ReportPageView::FitWidth); // the session's zoom, for the next previews
    }
}

// A long report built from rows: every "José São Paulo" is found on the page that shows it, whatever
// the accents and the case typed, unless case is told to count.
ReportRows manyRows(int count) {
    ReportRows rows;
    const ReportDefinition d = ReportDefinition::load(
        TestEnv::sourceDir() + "/reports/QMT318/1_clientes_por_ramo_de_atividade.json");
    for (const ReportColumn& c : d.columns)
        rows.fields << c.field;
    for (int i = 0; i < count; ++i) {
        QStringList cells;
        for (int c = 0; c < d.columns.size(); ++c)
            cells << (c == 1 && i % 50 == 7 ? QStringLiteral("José São Paulo")
                                            : QStringLiteral("Cliente %1").arg(i));
        rows.cells.push_back(cells);
        rows.groupKeys.push_back(QString::number(i / 400));
        rows.groupTitles.push_back(QStringLiteral("Ramo %1").arg(i / 400));
    }
    return rows;
}

struct SearchCase {
    const char* typed;
    bool matchCase;
    int found;
};

class PreviewSearch : public ::testing::TestWithParam<SearchCase> {};

TEST_P(PreviewSearch, FindsTheNameOnItsPages) {
    ReportDefinition d = ReportDefinition::load(TestEnv::sourceDir() +
                                                "/reports/QMT318/1_clientes_por_ramo_de_atividade.json");
    ReportDocument doc(d, manyRows(4000), "01", QDateTime::currentDateTime());
    ASSERT_GT(doc.pageCount(), 40);
    ReportTextSearch search(doc);
    search.start(QString::fromUtf8(GetParam().typed), GetParam().matchCase);
    while (search.isRunning())
        QCoreApplication::processEvents();
    ASSERT_EQ(search.count(), GetParam().found);
    ASSERT_EQ(search.searchedPages(), doc.pageCount());
    for (int i = 0; i < search.count(); ++i) {
        const ReportTextSearch::Match& m = search.matchAt(i);
        bool onPage = false;
        for (const ReportDocument::TextRun& run : doc.pageText(m.page))
            onPage |= run.text == QStringLiteral("José São Paulo") &&
                      run.box(0, int(run.text.size())).intersects(m.box);
        EXPECT_TRUE(onPage) << "match " << i << " is not where the page shows the name";
    }
}

INSTANTIATE_TEST_SUITE_P(Typed, PreviewSearch,
                         ::testing::Values(SearchCase{"sao paulo", false, 80},
                                           SearchCase{"SÃO PAULO", false, 80}, SearchCase{"jose", false, 80},
                                           SearchCase{"São Paulo", true, 80},
                                           SearchCase{"sao paulo", true, 0},
                                           SearchCase{"Sao Paulo", true, 80},
                                           SearchCase{"José Santos", false, 0}));

// What a page prints is found: the branch in every page's header, a name across the lines it wraps
// over, and a row that matches in two columns once, naming the first.
struct PrintedCase {
    const char* typed;
    int found; // -1: one on each page
    const char* first;
    size_t boxes; // at least, of the first
};

class SearchPrinted : public ::testing::TestWithParam<PrintedCase> {};

TEST_P(SearchPrinted, FindsWhatThePagePrints) {
    ReportRows rows = manyRows(200);
    rows.cells[3][1] = QStringLiteral("Associação dos Moradores do Condomínio Residencial Ipê Amarelo de "
                                      "Curitiba e Região Metropolitana");
    rows.cells[3][2] = QStringLiteral("Ipê Amarelo");
    ReportDocument doc(ReportDefinition::load(TestEnv::sourceDir() +
                                              "/reports/QMT318/1_clientes_por_ramo_de_atividade.json"),
                       std::move(rows), "Matriz", QDateTime::currentDateTime());
    ASSERT_GE(ReportDocumentRows::printed(doc, 3, "NMRAZSOCCLIE").size(), 2);
    ReportTextSearch search(doc);
    search.start(QString::fromUtf8(GetParam().typed), false);
    while (search.isRunning())
        QCoreApplication::processEvents();
    EXPECT_EQ(search.count(), GetParam().found < 0 ? doc.pageCount() : GetParam().found);
    ASSERT_GT(search.count(), 0);
    EXPECT_EQ(search.data(search.index(0), Qt::DisplayRole).toString(), QString::fromUtf8(GetParam().first));
    EXPECT_GE(search.matchAt(0).boxes.size(), GetParam().boxes);
}

#define ASSOCIATION                                                                                          \
    "Associação dos Moradores do Condomínio Residencial Ipê Amarelo de Curitiba e Região Metropolitana"
INSTANTIATE_TEST_SUITE_P(
    Typed, SearchPrinted,
    ::testing::Values(PrintedCase{"matriz", -1, "Pág. 1 · Cabeçalho: Filial: Matriz", 1},
                      PrintedCase{
                          "associacao dos moradores do condominio residencial ipe amarelo de curitiba e "
                          "regiao metropolitana",
                          1, "Pág. 1 · Nome / Razão Social: " ASSOCIATION, 2},
                      PrintedCase{"ipe amarelo", 1, "Pág. 1 · Nome / Razão Social: " ASSOCIATION, 2}));
#undef ASSOCIATION

// The search bar counts the matches and starts from the page in sight; its screenshot shows them.
TEST(PreviewSearch, BarCountsAndHighlightsFromThePageInSight) {
    ReportDefinition d = ReportDefinition::load(TestEnv::sourceDir() +
                                                "/reports/QMT318/1_clientes_por_ramo_de_atividade.json");
    ReportDocument doc(d, manyRows(4000), "01", QDateTime::currentDateTime());
    ReportPreviewWindow window(doc);
    window.resize(1200, 900);
    window.show();
    QCoreApplication::processEvents();
    window.showPage(10);
    QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(window.searchBar().isVisible());
    QTest::keyClicks(window.searchBar().field(), QStringLiteral("sao paulo"));
    while (window.searchBar().search().isRunning())
        QCoreApplication::processEvents();
    const ReportTextSearch& search = window.searchBar().search();
    ASSERT_GE(window.searchBar().current(), 0);
    EXPECT_EQ(search.matchAt(window.searchBar().current()).page, search.matchAt(search.firstFrom(10)).page);
    EXPECT_EQ(window.searchBar().countText(), QStringLiteral("%1 de 80").arg(search.firstFrom(10) + 1));
    QTest::keyClick(window.searchBar().field(), Qt::Key_Return);
    EXPECT_EQ(window.searchBar().current(), search.firstFrom(10) + 1);
    QTest::keyClick(window.searchBar().field(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(window.searchBar().current(), search.firstFrom(10));
    window.grab().save(TestEnv::binaryDir() + "/report_preview_search.png");
}

// The file to export to is asked through the dialogs the host installed, like every modal question;
// the export button offers each format, a name typed without a suffix gets the format's, and the
// user is told where the file went.
struct PreviewExport {
    const char* name;
    const char* action;   // part of the menu entry
    const char* suffix;   // of the suggested name and of the file written
    QByteArray beginning; // of the file written
};

class PreviewExports : public ::testing::TestWithParam<PreviewExport> {};

TEST_P(PreviewExports, AskForTheFileThroughTheDialogs) {
    const PreviewExport& c = GetParam();
    TestEnv::reset();
    QTemporaryDir dir;
    TestEnv::dialogs().onExportFile = [&](const QString& suggested) -> std::optional<QString> {
        EXPECT_TRUE(suggested.endsWith(QLatin1String(c.suffix))) << suggested.toStdString();
        return dir.filePath(QStringLiteral("exportado"));
    };
    auto doc = sampleDocument();
    ReportPreviewWindow window(*doc);
    QAction* chosen = nullptr;
    for (QPushButton* b : window.findChildren<QPushButton*>()) {
        if (!b->menu())
            continue;
        EXPECT_FALSE(b->accessibleName().isEmpty());
        for (QAction* a : b->menu()->actions())
            if (a->text().contains(QLatin1String(c.action)))
                chosen = a;
    }
    ASSERT_NE(chosen, nullptr) << c.action;
    chosen->trigger();
    const QString written = dir.filePath(QStringLiteral("exportado") + QLatin1String(c.suffix));
    // The file, then where it went, with its folder one click away.
    ASSERT_EQ(TestEnv::dialogs().shown.size(), 2u);
    EXPECT_EQ(TestEnv::dialogs().shown[1].kind, "confirm");
    EXPECT_TRUE(TestEnv::dialogs().shown[1].text.contains(written))
        << TestEnv::dialogs().shown[1].text.toStdString();
    QFile file(written);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "nothing written to " << file.fileName().toStdString();
    EXPECT_EQ(file.read(c.beginning.size()), c.beginning);
}

INSTANTIATE_TEST_SUITE_P(ReportPreviewWindow, PreviewExports,
                         ::testing::Values(PreviewExport{"pdf", "PDF", ".pdf", "%PDF-"},
                                           PreviewExport{"xlsx", "XLSX", ".xlsx", "PK\x03\x04"},
                                           PreviewExport{"csv", "CSV", ".csv", "\xEF\xBB\xBF"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReportDesignerWindow, ShowsAndGivesBackTheWholeDefinition) {
    ReportEditRequest request;
    request.definition = sampleDefinition();
    ReportDesignerWindow window(request);
    EXPECT_EQ(window.definition().toJson(), request.definition.toJson());
}

} // namespace

// The rows of a long report live in a temporary file: when it is lost under the open preview, the
// page shows why instead of throwing out of the paint event.
TEST(ReportPreviewWindow, APageWhoseRowsAreLostShowsWhyInsteadOfThrowing) {
    // The file has no name (O_TMPFILE): it is the file in the temporary folder the document opened.
    const auto openFiles = [] {
        QHash<QString, QString> files; // what each descriptor opens, by descriptor
        for (const QString& fd :
             QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System))
            files.insert(QStringLiteral("/proc/self/fd/") + fd,
                         QFileInfo(QStringLiteral("/proc/self/fd/") + fd).symLinkTarget());
        return files;
    };
    const QStringList before = openFiles().values();
    ReportDocument doc(ReportDefinition::load(TestEnv::sourceDir() +
                                              "/reports/QMT318/1_clientes_por_ramo_de_atividade.json"),
                       manyRows(20000), "01", QDateTime::currentDateTime());
    QString spilled;
    const QHash<QString, QString> after = openFiles();
    for (auto it = after.begin(); it != after.end(); ++it)
        if (it.value().startsWith(QDir::tempPath()) && !before.contains(it.value()))
            spilled = it.key();
    ASSERT_FALSE(spilled.isEmpty()) << "the rows were not spilled to a file";
    ASSERT_TRUE(QFile::resize(spilled, 0));

    QImage image(200, 280, QImage::Format_RGB32);
    QPainter painter(&image);
    EXPECT_THROW(doc.drawPage(painter, 0), EHostError);
    EXPECT_NO_THROW(doc.drawPageOnScreen(painter, 0));
}
