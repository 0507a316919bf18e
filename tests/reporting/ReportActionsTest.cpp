// The base form's report actions through the controller: missing and corrupt definitions, print to
// a PDF file (its text read back with pdftotext), save as and designer save with the file system
// checked afterwards: they write the office's folder, never the package's.
#include "ParamFiller.h"
#include "ReportList.h"
#include "ReportTestData.h"
#include "core/Errors.h"
#include "core/HostSettings.h"
#include "forms/TComboBox.h"
#include "library/FiliProc.h"
#include "library/TMessages.h"
#include "reporting/ReportController.h"
#include "reporting/ReportDocument.h"
#include "reporting/ReportEditRequest.h"
#include "reporting/export/ReportExport.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kArqRelErr =
    "O arquivo contendo a definição do relatório de código '%s' não foi encontrado no diretório '%s'.";

QString pdfText(const QString& pdf) {
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList jsonFiles(const QString& dir) {
    return QDir(dir).entryList({"*.json"}, QDir::Files, QDir::Name);
}

class ReportActions : public ::testing::Test {
protected:
    QTemporaryDir dir;  // a copy of reports/, so that saving never touches the source tree
    QTemporaryDir site; // the office's folder, where saves go
    TMessages messages;
    TReportDesignerDialog designer;
    ParamFiller filler;
    TComboBox combo;
    ReportController controller;

    QString folder() const { return dir.filePath("QMT318"); }
    QString siteFolder() const { return site.filePath("QMT318"); }

    void SetUp() override {
        TestEnv::reset();
        static bool opened = false;
        if (!opened) {
            openTestDatabase(TestBackend::SQLite);
            opened = true;
        }
        QDir().mkpath(folder());
        for (const QString& f : jsonFiles(TestEnv::sourceDir() + "/reports/QMT318"))
            QFile::copy(TestEnv::sourceDir() + "/reports/QMT318/" + f, folder() + "/" + f);
        HostSettings::setReportsDir(dir.path());
        HostSettings::setSiteReportsDir(site.path());
        HostSettings::setPrinter({});
        SetFilial("01");
        messages.SetLines({"Arq_Rel_Err|" + kArqRelErr, "NovoCaption|Título do relatório",
                           "NovoPrompt|Informe o título do relatório:"});
        filler.bindTo(designer);
        filler.fill = [](TParams* p) {
            TestFilters f;
            f.from = QDate(2026, 3, 1);
            f.to = QDate(2026, 3, 31);
            fillParams(p, f);
        };
        ReportContext ctx;
        ctx.code = "QMT318";
        ctx.messages = &messages;
        ctx.designer = &designer;
        controller.setContext(ctx);
        showReportsIn(controller, combo);
        controller.reload();
        combo.SetItemIndex(1);
    }
    void TearDown() override { HostSettings::setPrinter({}); }
};

TEST_F(ReportActions, ListsTheFourVariantsInOrder) {
    EXPECT_EQ(combo.Items(), (QStringList{"Aniversariantes do Mês", "Clientes por Ramo de Atividade",
                                          "Aniversariantes do Período", "Clientes por Tipo"}));
}

TEST_F(ReportActions, MissingFolderShowsArqRelErrWithCodeAndDirectory) {
    QDir(folder()).removeRecursively();
    // Said as the list is read (the screen opening), not only at the first action.
    EXPECT_THROW(controller.reload(), EHostError);
    EXPECT_EQ(combo.ItemIndex(), -1);
    for (auto action : {&ReportController::preview, &ReportController::print, &ReportController::saveAs,
                        &ReportController::printerSetup, &ReportController::edit}) {
        TestEnv::reset();
        EXPECT_THROW((controller.*action)(-1), EAbort);
        ASSERT_EQ(TestEnv::dialogs().errors().size(), 1);
        EXPECT_EQ(TestEnv::dialogs().errors()[0],
                  QString("O arquivo contendo a definição do relatório de código 'QMT318' não foi encontrado "
                          "no diretório '%1'.")
                      .arg(QDir::toNativeSeparators(folder())));
    }
}

TEST_F(ReportActions, DefinitionRemovedAfterListingShowsArqRelErr) {
    QFile::remove(folder() + "/1_clientes_por_ramo_de_atividade.json");
    EXPECT_THROW(controller.preview(1), EAbort);
    ASSERT_EQ(TestEnv::dialogs().errors().size(), 1);
    EXPECT_TRUE(TestEnv::dialogs().errors()[0].contains("'QMT318'"));
}

// A definition that cannot be read keeps its place and refuses every action naming its file; the
// reports after it stay where they were, so the screen's rules for each position still apply.
TEST_F(ReportActions, CorruptDefinitionKeepsItsPlaceAndTheOthersTheirs) {
    QFile f(folder() + "/2_aniversariantes_do_periodo.json");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("{ \"title\": \"quebrado\", ");
    f.close();
    try {
        controller.reload();
        FAIL() << "a corrupt definition went unreported";
    } catch (const EHostError& e) {
        EXPECT_TRUE(e.message().contains("2_aniversariantes_do_periodo.json")) << e.message().toStdString();
    }
    ASSERT_EQ(combo.count(), 4);
    EXPECT_EQ(combo.ItemIndex(), 0);
    EXPECT_TRUE(combo.Items()[2].contains("2_aniversariantes_do_periodo.json"));
    EXPECT_EQ(combo.Items()[3], "Clientes por Tipo");
    EXPECT_EQ(controller.variantAt(3), 3);
    TestEnv::reset();
    EXPECT_THROW(controller.preview(2), EHostError);
    // A position no file holds: the code and the folder, as for a missing folder.
    QFile::remove(f.fileName());
    QFile::remove(folder() + "/1_clientes_por_ramo_de_atividade.json");
    controller.reload();
    ASSERT_EQ(combo.count(), 4);
    EXPECT_EQ(combo.Items()[3], "Clientes por Tipo");
    EXPECT_THROW(controller.preview(1), EAbort);
    ASSERT_EQ(TestEnv::dialogs().errors().size(), 1);
    EXPECT_TRUE(TestEnv::dialogs().errors()[0].contains("'QMT318'"));
    EXPECT_THROW(controller.preview(2), EAbort);
}

TEST_F(ReportActions, PrintToSessionPdfHasTitleHeaderFooterGroupsAndNames) {
    const QString pdf = dir.filePath("saida.pdf");
    HostSettings::setPrinter("pdf:" + pdf);
    controller.print(1);
    ASSERT_TRUE(QFileInfo::exists(pdf));
    const QString text = pdfText(pdf);
    for (const char* expected :
         {"Clientes por Ramo de Atividade", "Filial: 01 - Matriz", "Emissão:", "Página 1 de 1",
          "Ramo de Atividade: Comércio", "Ramo de Atividade: Indústria",
          "Ramo de Atividade: (sem ramo de atividade)", "Nome / Razão Social", "Ana Souza",
          "Beta Comércio Ltda", "Fábrica Ômega S.A.", "Clientes no ramo: 5", "Total de clientes: 9"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains("Gustavo Reis")) << "a client of another branch was listed";
    // The first page as a picture, for a person to look at.
    const QString png = TestEnv::binaryDir() + "/report_page1";
    QProcess::execute("pdftoppm", {"-png", "-r", "80", "-f", "1", "-l", "1", "-singlefile", pdf, png});
    EXPECT_TRUE(QFileInfo::exists(png + ".png"));
}

TEST_F(ReportActions, ManyPagesAreNumberedXofY) {
    // A tall font on a small page: the eleven rows of report 3 spread over several pages.
    QFile f(folder() + "/3_clientes_por_tipo.json");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray json = f.readAll();
    f.close();
    json.replace("\"font_size\": 8", "\"font_size\": 24");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(json);
    f.close();
    const QString pdf = dir.filePath("tipo.pdf");
    HostSettings::setPrinter("pdf:" + pdf);
    controller.print(3);
    const QString text = pdfText(pdf);
    const int pages = int(text.count(QChar('\f')));
    ASSERT_GT(pages, 1) << text.toStdString();
    for (int p = 1; p <= pages; ++p)
        EXPECT_TRUE(text.contains(QString("Página %1 de %2").arg(p).arg(pages))) << p;
    EXPECT_TRUE(text.contains("(continuação)") || text.count("Pessoa Física") >= 1);
    EXPECT_EQ(text.count(QString::fromUtf8("Có")),
              pages); // column headers on every page (elided at this size)
}

QString pdfPageSize(const QString& pdf) {
    QProcess p;
    p.start("pdfinfo", {pdf});
    p.waitForFinished(30000);
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (line.startsWith("Page size:"))
            return line.mid(10).simplified();
    return {};
}

TEST_F(ReportActions, PrinterSetUpIsKeptForTheSessionOfThatReport) {
    const QString pdf = dir.filePath("config.pdf");
    HostSettings::setPrinter("pdf:" + pdf);
    controller.print(0);
    const QString landscape = pdfPageSize(pdf);
    EXPECT_TRUE(landscape.startsWith("842")) << landscape.toStdString(); // A4 landscape, as defined

    TestEnv::dialogs().onPrinter = [](QPrinter& printer) {
        printer.setPageOrientation(QPageLayout::Portrait);
        return true;
    };
    controller.printerSetup(0);
    controller.print(0);
    EXPECT_TRUE(pdfPageSize(pdf).startsWith("595")) << pdfPageSize(pdf).toStdString();

    // A cancelled set-up changes nothing; another report keeps its own page.
    TestEnv::dialogs().onPrinter = [](QPrinter& printer) {
        printer.setPageOrientation(QPageLayout::Landscape);
        return false;
    };
    controller.printerSetup(0);
    controller.print(0);
    EXPECT_TRUE(pdfPageSize(pdf).startsWith("595")) << pdfPageSize(pdf).toStdString();
    controller.print(2);
    EXPECT_TRUE(pdfPageSize(pdf).startsWith("842")) << "report 2 is landscape by definition";
}

TEST_F(ReportActions, PrintedPdfReadsAsThePreviewsPdf) {
    // Printing streams the rows into the file; the preview's PDF is drawn from the kept document.
    // Both go through one layout, so they must say the same on the same pages.
    auto withoutIssueTime = [](QString text) {
        static const QRegularExpression issued(QStringLiteral("Emissão: \\S+ \\S+"));
        return text.replace(issued, QString());
    };
    for (int report = 0; report < 4; ++report) {
        const QString printed = dir.filePath("printed.pdf"), previewed = dir.filePath("previewed.pdf");
        HostSettings::setPrinter("pdf:" + printed);
        controller.print(report);
        TestEnv::dialogs().onPreview = [&](ReportDocument& doc) {
            ReportExport::write(doc, previewed, ReportExport::Format::Pdf);
        };
        controller.preview(report);
        const QString text = withoutIssueTime(pdfText(printed));
        EXPECT_FALSE(text.trimmed().isEmpty()) << report;
        EXPECT_EQ(text, withoutIssueTime(pdfText(previewed))) << report;
    }
}

TEST_F(ReportActions, CancelledPrintToPdfLeavesTheFormerFileAndNoOther) {
    // The rows go to the file as they are read: a cancel between them must not leave half a report.
    const QString pdf = dir.filePath("cancel.pdf");
    QFile former(pdf);
    ASSERT_TRUE(former.open(QIODevice::WriteOnly));
    former.write("former");
    former.close();
    HostSettings::setPrinter("pdf:" + pdf);
    controller.setCancelCheck([](qint64 rows) { return rows >= 1; });
    EXPECT_THROW(controller.print(0), EAbort);
    ASSERT_TRUE(former.open(QIODevice::ReadOnly));
    EXPECT_EQ(former.readAll(), "former");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"cancel.pdf"});
}

struct PrinterCase {
    const char* name;
    const char* printer;  // the session's printer setting
    const char* mentions; // part of the message
};

class NoPrinter : public ReportActions, public ::testing::WithParamInterface<PrinterCase> {};

TEST_P(NoPrinter, GivesAClearMessageBeforeRunning) {
    if (QString(GetParam().printer).isEmpty() && !QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has a printer";
    HostSettings::setPrinter(GetParam().printer);
    try {
        controller.print(1);
        FAIL();
    } catch (const EHostError& e) {
        EXPECT_TRUE(e.message().contains(QString::fromUtf8(GetParam().mentions)))
            << e.message().toStdString();
    }
    EXPECT_EQ(filler.calls, 0) << "the report ran although nothing could print it";
}

INSTANTIATE_TEST_SUITE_P(Reports, NoPrinter,
                         ::testing::Values(PrinterCase{"none_installed", "", "Não há impressora disponível"},
                                           PrinterCase{"unknown_name", "impressora-que-nao-existe",
                                                       "impressora-que-nao-existe"},
                                           PrinterCase{"pdf_without_file", "pdf:", "nome do arquivo"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct SaveAsCase {
    const char* name;
    std::optional<QString> answer;
    bool saved;
    const char* error; // part of the message, or empty
};

class SaveAs : public ReportActions, public ::testing::WithParamInterface<SaveAsCase> {};

TEST_P(SaveAs, WritesACopyOrExplainsWhyNot) {
    const SaveAsCase& c = GetParam();
    const QStringList before = jsonFiles(folder());
    QString caption, prompt;
    TestEnv::dialogs().onPrompt = [&](const QString& cap, const QString& pr) {
        caption = cap;
        prompt = pr;
        return c.answer;
    };
    if (QString(c.error).isEmpty()) {
        controller.saveAs(1);
    } else {
        EXPECT_ANY_THROW(controller.saveAs(1));
        ASSERT_FALSE(TestEnv::dialogs().errors().isEmpty());
        EXPECT_TRUE(TestEnv::dialogs().errors().join("\n").contains(QString::fromUtf8(c.error)))
            << TestEnv::dialogs().errors().join("\n").toStdString();
    }
    EXPECT_EQ(caption, "Título do relatório");
    EXPECT_EQ(prompt, "Informe o título do relatório:");
    EXPECT_EQ(combo.ItemIndex(), 1);
    EXPECT_EQ(jsonFiles(folder()), before) << "the package's folder was written";
    const QStringList after = jsonFiles(siteFolder());
    EXPECT_TRUE(QDir(siteFolder()).entryList(QDir::Files).filter(".tmp").isEmpty())
        << "a temporary file was left behind";
    if (c.saved) {
        ASSERT_EQ(after.size(), 1);
        EXPECT_EQ(combo.count(), 5);
        EXPECT_EQ(combo.Items().last(), c.answer->simplified());
        ReportCatalogue catalogue; // read afresh from the folder the fixture set
        catalogue.setCode("QMT318");
        catalogue.reload();
        const auto& entries = catalogue.entries();
        ASSERT_EQ(entries.size(), 5u);
        EXPECT_EQ(entries.back().title, c.answer->simplified());
        const ReportDefinition copy = ReportDefinition::load(entries.back().path);
        const ReportDefinition original =
            ReportDefinition::load(folder() + "/1_clientes_por_ramo_de_atividade.json");
        EXPECT_EQ(copy.sql, original.sql);
        EXPECT_EQ(copy.group.field, original.group.field);
    } else {
        EXPECT_TRUE(after.isEmpty());
        EXPECT_EQ(combo.count(), 4);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Reports, SaveAs,
    ::testing::Values(SaveAsCase{"new_title", QString("Ramos  para a diretoria"), true, ""},
                      SaveAsCase{"accented_title", QString("Relação Ótima / Março"), true, ""},
                      SaveAsCase{"cancelled", std::nullopt, false, ""},
                      SaveAsCase{"empty_title", QString("   "), false, "deve ser informado"},
                      SaveAsCase{"title_in_use_any_case", QString("clientes por TIPO"), false, "Já existe"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReportActions, SaveAsIntoAReadOnlyFolderLosesNothing) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    // Neither the office's folder nor the user's may be written.
    const QString user = HostSettings::userReportsDir();
    QDir().mkpath(user);
    for (const QString& f : {site.path(), user})
        QFile::setPermissions(f, QFile::ReadOwner | QFile::ExeOwner);
    TestEnv::dialogs().onPrompt = [](const QString&, const QString&) {
        return std::optional<QString>("Outro");
    };
    EXPECT_THROW(controller.saveAs(1), EHostError);
    for (const QString& f : {site.path(), user})
        QFile::setPermissions(f, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(jsonFiles(folder()).size(), 4);
    EXPECT_FALSE(QFileInfo::exists(siteFolder()));
    EXPECT_EQ(combo.count(), 4);
}

TEST_F(ReportActions, SaveAsOverAnUnwritableTargetLosesNothing) {
    // The folder is replaced by a file of the same name: nothing can be written under it.
    TestEnv::dialogs().onPrompt = [](const QString&, const QString&) {
        return std::optional<QString>("Outro");
    };
    QFile blocker(siteFolder());
    blocker.open(QIODevice::WriteOnly);
    blocker.close();
    try {
        controller.saveAs(1);
        FAIL() << "saved";
    } catch (const EHostError& e) {
        EXPECT_TRUE(e.message().contains(siteFolder())) << e.message().toStdString();
    }
    EXPECT_EQ(combo.count(), 4);
    EXPECT_EQ(jsonFiles(folder()).size(), 4);
}

struct EditCase {
    const char* name;
    std::function<void(ReportDefinition&)> change;
    const char* error; // empty: saved
};

class EditReport : public ReportActions, public ::testing::WithParamInterface<EditCase> {};

TEST_P(EditReport, SavesBackOnlyWhatPreparesAndOnlyReads) {
    const QString path = folder() + "/1_clientes_por_ramo_de_atividade.json";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    TestEnv::dialogs().onEdit = [&](ReportEditRequest& r) {
        EXPECT_EQ(r.path, path);
        GetParam().change(r.definition);
        return true;
    };
    TestEnv::dialogs().onConfirm = [](const QString&) { return true; };
    const QString changed = siteFolder() + "/1_clientes_por_ramo_de_atividade.json";
    if (QString(GetParam().error).isEmpty()) {
        controller.edit(1);
        const ReportDefinition saved = ReportDefinition::load(changed);
        ReportDefinition expected = ReportDefinition::load(
            TestEnv::sourceDir() + "/reports/QMT318/1_clientes_por_ramo_de_atividade.json");
        GetParam().change(expected);
        EXPECT_EQ(saved.toJson(), expected.toJson());
        EXPECT_EQ(combo.Items()[1], saved.title + " (alterado)");
    } else {
        try {
            controller.edit(1);
            FAIL() << "saved";
        } catch (const EHostError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(GetParam().error)))
                << e.message().toStdString();
        }
        EXPECT_FALSE(QFileInfo::exists(changed)) << "the definition changed although it was refused";
    }
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before) << "the package's file was written";
}

INSTANTIATE_TEST_SUITE_P(
    Reports, EditReport,
    ::testing::Values(
        EditCase{"new_title_and_landscape",
                 [](ReportDefinition& d) {
                     d.title = "Ramos revisados";
                     d.page.orientation = QPageLayout::Portrait;
                 },
                 ""},
        EditCase{"column_changes",
                 [](ReportDefinition& d) {
                     d.columns[1].overflow = ReportColumn::Overflow::Wrap;
                     d.columns.removeLast();
                 },
                 ""},
        EditCase{"writing_sql",
                 [](ReportDefinition& d) {
                     d.sql = "DELETE FROM CLIENTE";
                     d.listParameters.clear();
                 },
                 "DELETE"},
        EditCase{"two_statements", [](ReportDefinition& d) { d.sql += ";\nSELECT 1"; }, "único comando"},
        EditCase{"does_not_prepare",
                 [](ReportDefinition& d) {
                     d.sql = "SELECT NAOEXISTE FROM CLIENTE";
                     d.listParameters.clear();
                 },
                 "NAOEXISTE"},
        EditCase{"title_of_another_report", [](ReportDefinition& d) { d.title = "Clientes por Tipo"; },
                 "Já existe"},
        EditCase{"no_columns", [](ReportDefinition& d) { d.columns.clear(); }, "coluna"},
        // The screen's rules follow the position: the designer cannot move a report.
        EditCase{"moved_to_another_position", [](ReportDefinition& d) { d.order = 3; }, "posição"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReportActions, DesignerTestPreviewsWithTheScreensFilters) {
    int previews = 0;
    TestEnv::dialogs().onPreview = [&](ReportDocument&) { ++previews; };
    TestEnv::dialogs().onEdit = [&](ReportEditRequest& r) {
        r.test(r.definition);
        r.definition.sql = "SELECT * FROM NADA";
        r.test(r.definition); // shown as an error, nothing thrown out of the designer
        return false;
    };
    controller.edit(1);
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(filler.calls, 2);
    EXPECT_EQ(TestEnv::dialogs().errors().size(), 1);
}

} // namespace
