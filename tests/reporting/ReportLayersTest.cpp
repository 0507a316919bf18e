// Report definitions in layers: the package's folder (read-only here) under the office's and the
// user's. The nearest wins; saves, restores and deletions touch only the folders above the package.
#include "ReportList.h"
#include "ReportTestData.h"
#include "core/Errors.h"
#include "core/HostSettings.h"
#include "core/MessageSink.h"
#include "desktop/QtDialogs.h"
#include "reporting/ReportController.h"
#include "reporting/ReportEditRequest.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Every file under a folder with a digest of its bytes.
QStringList snapshot(const QString& root) {
    QStringList out;
    for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        QFile f(it.next());
        f.open(QIODevice::ReadOnly);
        out << f.fileName() + QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5).toHex();
    }
    out.sort();
    return out;
}

// Definitions as "file:title:order", one string per folder.
void put(const QString& folder, const QStringList& defs) {
    QDir().mkpath(folder);
    for (const QString& d : defs) {
        QFile f(folder + "/" + d.section(':', 0, 0));
        f.open(QIODevice::WriteOnly);
        f.write(
            QString(R"({"title": "%1", "order": %2, "sql": "SELECT 1 AS A", "columns": [{"field": "A"}]})")
                .arg(d.section(':', 1, 1), d.section(':', 2, 2))
                .toUtf8());
    }
}

struct LayerCase {
    const char* name;
    QStringList site, user, listed;
};

class NearestLayer : public ::testing::TestWithParam<LayerCase> {};

TEST_P(NearestLayer, Wins) {
    QTemporaryDir package, site, user;
    put(package.filePath("R"), {"0_a.json:A:0", "1_b.json:B:1"});
    put(site.filePath("R"), GetParam().site);
    put(user.filePath("R"), GetParam().user);
    HostSettings::setReportsDir(package.path());
    HostSettings::setSiteReportsDir(site.path());
    HostSettings::setUserReportsDir(user.path());
    ReportCatalogue catalogue;
    catalogue.setCode("R");
    EXPECT_TRUE(catalogue.reload().isEmpty());
    EXPECT_EQ(catalogue.titles(), GetParam().listed);
}

INSTANTIATE_TEST_SUITE_P(
    Layers, NearestLayer,
    ::testing::Values(LayerCase{"site_over_package", {"0_a.json:S:0"}, {}, {"S (alterado)", "B"}},
                      LayerCase{"user_over_site", {"0_a.json:S:0"}, {"0_a.json:U:0"}, {"U (alterado)", "B"}},
                      LayerCase{"shipped_position_other_file", {"x.json:S:1"}, {}, {"A", "S (alterado)"}},
                      // Copies follow the shipped ones, without a gap for a copy since deleted.
                      LayerCase{"copies", {"c.json:C:5"}, {"m.json:M:7"}, {"A", "B", "C", "M"}}),
    [](const auto& info) { return std::string(info.param.name); });

class Layered : public ::testing::Test {
protected:
    QTemporaryDir package, site;
    TComboBox combo;
    ReportController controller;

    void SetUp() override {
        TestEnv::reset();
        static const bool opened = (openTestDatabase(TestBackend::SQLite), true);
        (void)opened;
        QDir().mkpath(package.filePath("QMT318"));
        const QDir source(TestEnv::sourceDir() + "/reports/QMT318");
        for (const QString& f : source.entryList({"*.json"}, QDir::Files))
            QFile::copy(source.filePath(f), package.filePath("QMT318/" + f));
        // What an installed package's folder is: not writable by the user.
        QFile::setPermissions(package.filePath("QMT318"), QFile::ReadOwner | QFile::ExeOwner);
        HostSettings::setReportsDir(package.path());
        HostSettings::setSiteReportsDir(site.path());
        ReportContext ctx;
        ctx.code = "QMT318";
        controller.setContext(ctx);
        showReportsIn(controller, combo);
        controller.reload();
        TestEnv::dialogs().onEdit = [](ReportEditRequest& r) {
            r.definition.title = "Aniversariantes revisados";
            return true;
        };
        TestEnv::dialogs().onPrompt = [](const QString&, const QString&) {
            return std::optional<QString>("Cópia");
        };
    }
    void TearDown() override {
        QFile::setPermissions(package.filePath("QMT318"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

struct SaveCase {
    const char* name;
    bool siteUsable; // else a file stands where the office's folder should be
    bool edit;       // else save as
    bool confirmed;
    const char* lands; // "site", "user" or "" (nothing written)
};

class SaveShipped : public Layered, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SaveShipped, NeverWritesThePackage) {
    const SaveCase& c = GetParam();
    if (!c.siteUsable) {
        QFile(site.filePath("arquivo")).open(QIODevice::WriteOnly);
        HostSettings::setSiteReportsDir(site.filePath("arquivo"));
    }
    TestEnv::dialogs().onConfirm = [&](const QString&) { return c.confirmed; };
    const QStringList before = snapshot(package.path());
    c.edit ? controller.edit(0) : controller.saveAs(0);
    EXPECT_EQ(snapshot(package.path()), before);
    const QString user = HostSettings::userReportsDir();
    EXPECT_EQ(snapshot(site.path()).size(), QString(c.lands) == "site" ? 1 : c.siteUsable ? 0 : 1);
    EXPECT_EQ(snapshot(user).size(), QString(c.lands) == "user" ? 1 : 0);
    EXPECT_EQ(combo.Items().join('|').contains(c.edit ? "Aniversariantes revisados (alterado)" : "Cópia"),
              !QString(c.lands).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Layers, SaveShipped,
                         ::testing::Values(SaveCase{"edit_to_site", true, true, true, "site"},
                                           SaveCase{"edit_to_user", false, true, true, "user"},
                                           SaveCase{"edit_not_confirmed", true, true, false, ""},
                                           SaveCase{"copy_to_site", true, false, false, "site"},
                                           SaveCase{"copy_to_user", false, false, false, "user"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Restoring removes what hides a shipped report, deleting removes a copy; neither without a yes, and
// a shipped report is never deleted.
TEST_F(Layered, RestoreAndDelete) {
    const QStringList shippedFiles = snapshot(package.path());
    auto answer = [](bool yes) { TestEnv::dialogs().onConfirm = [yes](const QString&) { return yes; }; };
    answer(true);
    controller.edit(0);
    controller.saveAs(1);
    ASSERT_EQ(snapshot(site.path()).size(), 2);
    answer(false);
    controller.restoreDefault(0);
    controller.remove(4);
    EXPECT_EQ(snapshot(site.path()).size(), 2);
    answer(true);
    EXPECT_THROW(controller.remove(0), EAbort);
    EXPECT_THROW(controller.restoreDefault(4), EAbort);
    controller.restoreDefault(0);
    EXPECT_EQ(combo.Items()[0], "Aniversariantes do Mês");
    EXPECT_EQ(controller.entries()[0].path, package.filePath("QMT318/0_aniversariantes_do_mes.json"));
    controller.remove(4);
    EXPECT_EQ(combo.count(), 4);
    EXPECT_TRUE(snapshot(site.path()).isEmpty());
    EXPECT_EQ(snapshot(package.path()), shippedFiles);
}

// The "Salvar como" prompt shows the whole title it offers.
TEST(SaveAsPrompt, ShowsTheWholeTitle) {
    const QString title = "Clientes Aniversariantes por Ramo de Atividade e Bairro";
    int shown = -1, needed = 0;
    QTimer::singleShot(0, [&] {
        auto* edit = QApplication::activeModalWidget()->findChild<QLineEdit*>();
        shown = edit->contentsRect().width() - edit->textMargins().left() - edit->textMargins().right();
        needed = edit->fontMetrics().horizontalAdvance(title);
        QApplication::activeModalWidget()->close();
    });
    QtDialogs::messageSink()->promptText("Título do relatório", "Informe o título do relatório:", title);
    EXPECT_GE(shown, needed);
}

// The code's layers: scripts/check-layers.sh on a copy of host/ with one include added to a file.
struct IncludeCase {
    const char* name;
    const char* file;
    const char* include;
    bool refused;
};

class CodeLayers : public ::testing::TestWithParam<IncludeCase> {};

TEST_P(CodeLayers, RefuseWhatRunsUpOrAround) {
    QTemporaryDir tree;
    const QString source = ERP_SOURCE_DIR;
    ASSERT_EQ(QProcess::execute("cp", {"-r", source + "/host", source + "/scripts", tree.path()}), 0);
    QFile file(tree.filePath(GetParam().file));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(QByteArray("\n#include \"") + GetParam().include + "\"\n");
    file.close();
    QProcess check;
    check.start("bash", {tree.filePath("scripts/check-layers.sh")});
    ASSERT_TRUE(check.waitForFinished(60000));
    EXPECT_EQ(check.exitCode() != 0, GetParam().refused) << check.readAllStandardError().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Includes, CodeLayers,
    ::testing::Values(IncludeCase{"relative_from_lower_layer", "host/data/KeyTable.cpp",
                                  "../reporting/ReportEngine.h", true},
                      IncludeCase{"beside_the_includer", "host/reporting/pdf/PdfWriter.cpp", "PdfWriter.h",
                                  true},
                      IncludeCase{"pdf_includes_export", "host/reporting/pdf/PdfWriter.cpp",
                                  "reporting/export/ReportExport.h", true},
                      IncludeCase{"export_includes_preview", "host/reporting/export/ReportExport.cpp",
                                  "reporting/preview/ReportPageView.h", true},
                      IncludeCase{"layout_includes_document", "host/reporting/ReportLayout.cpp",
                                  "reporting/ReportDocument.h", true},
                      IncludeCase{"export_includes_layout", "host/reporting/export/ReportExport.cpp",
                                  "reporting/ReportLayout.h", false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
