// The preview and designer windows without showing them modally.
#include "reporting/ReportDesignerWindow.h"
#include "reporting/ReportDocument.h"
#include "reporting/ReportPreviewWindow.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

ReportDefinition sampleDefinition() {
    ReportDefinition d = ReportDefinition::load(TestEnv::sourceDir() +
                                                "/reports/QMT318/1_clientes_por_ramo_de_atividade.json");
    d.page.fontSize = 20; // a few rows make several pages
    return d;
}

std::unique_ptr<ReportDocument> sampleDocument() {
    ReportRows rows;
    const ReportDefinition d = sampleDefinition();
    for (const ReportColumn& c : d.columns)
        rows.fields << c.field;
    for (int i = 0; i < 60; ++i) {
        QStringList cells;
        for (int c = 0; c < d.columns.size(); ++c)
            cells
                << QStringLiteral("Valor %1 da coluna %2 com um texto bem comprido para caber").arg(i).arg(c);
        rows.cells.push_back(cells);
        rows.groupKeys.push_back(QString::number(i / 25));
        rows.groupTitles.push_back(QStringLiteral("Grupo %1").arg(i / 25));
    }
    return std::make_unique<ReportDocument>(d, std::move(rows), "01", QDateTime::currentDateTime());
}

TEST(ReportPreviewWindow, NavigatesAndZoomsDrawingOnlyThePageShown) {
    auto doc = sampleDocument();
    ASSERT_GT(doc->pageCount(), 2);
    ReportPreviewWindow window(*doc);
    window.resize(800, 600);
    window.show();
    QCoreApplication::processEvents();
    auto* zoom = window.findChild<QComboBox*>();
    ASSERT_NE(zoom, nullptr);
    QSize previous;
    for (int i = 0; i < zoom->count(); ++i) {
        zoom->setCurrentIndex(i);
        const QLabel* canvas = nullptr;
        for (QLabel* l : window.findChildren<QLabel*>())
            if (!l->pixmap().isNull())
                canvas = l;
        ASSERT_NE(canvas, nullptr) << i;
        EXPECT_NE(canvas->pixmap().size(), previous) << zoom->itemText(i).toStdString();
        previous = canvas->pixmap().size();
    }
    zoom->setCurrentIndex(0);
    window.showPage(1);
    EXPECT_TRUE(window.grab().save(TestEnv::binaryDir() + "/report_preview.png")); // for a person to look at
    window.showPage(doc->pageCount() + 5);
    EXPECT_EQ(window.currentPage(), doc->pageCount() - 1);
    window.showPage(-3);
    EXPECT_EQ(window.currentPage(), 0);
}

// The file to export to is asked through the dialogs the host installed, like every modal question;
// the export button offers each format, and a name typed without a suffix gets the format's.
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
    EXPECT_EQ(TestEnv::dialogs().shown.size(), 1u);
    QFile file(dir.filePath(QStringLiteral("exportado") + QLatin1String(c.suffix)));
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
