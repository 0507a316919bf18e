// The preview and designer windows without showing them modally.
#include "reporting/ReportDesignerWindow.h"
#include "reporting/ReportDocument.h"
#include "reporting/ReportPreviewWindow.h"
#include "support/TestEnv.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
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

// The file to export to is asked through the dialogs the host installed, like every modal question.
TEST(ReportPreviewWindow, ExportAsksForTheFileThroughTheDialogs) {
    TestEnv::reset();
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("exportado.pdf"));
    TestEnv::dialogs().onExportFile = [&](const QString& suggested) -> std::optional<QString> {
        EXPECT_TRUE(suggested.endsWith(QStringLiteral(".pdf")));
        return target;
    };
    auto doc = sampleDocument();
    ReportPreviewWindow window(*doc);
    for (QPushButton* b : window.findChildren<QPushButton*>())
        if (b->text().contains(QStringLiteral("PDF")))
            b->click();
    EXPECT_EQ(TestEnv::dialogs().shown.size(), 1u);
    EXPECT_TRUE(QFileInfo(target).size() > 0);
}

TEST(ReportDesignerWindow, ShowsAndGivesBackTheWholeDefinition) {
    ReportEditRequest request;
    request.definition = sampleDefinition();
    ReportDesignerWindow window(request);
    EXPECT_EQ(window.definition().toJson(), request.definition.toJson());
}

} // namespace
