// The module's life as the host sees it: loaded from its file with dlopen, its IniProc opening one
// screen instance, closing and reopening, finalisation, the screen cursor, and refused files.
#include "core/Errors.h"
#include "core/HostSettings.h"
#include "desktop/QtDialogs.h"
#include "forms/FormReader.h"
#include "forms/TApplication.h"
#include "packages/ModuleRegistry.h"
#include "packages/PackageLoader.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMetaType>
#include <QTemporaryDir>
#include <QTimer>
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

// The form unit's state, reached by its mangled names as the host's runtime would.
struct UnitState {
    bool* formCriado;
    bool* primeiraAtivacao;
    QString* listaCliente;
    QString* listaRamoAtiv;
    QString* listaBairro;
    TForm** frmDadosCliente;

    explicit UnitState(void* handle) {
        auto sym = [&](const char* n) {
            void* p = dlsym(handle, n);
            EXPECT_NE(p, nullptr) << n;
            return p;
        };
        formCriado = static_cast<bool*>(sym("_ZN12Cli_qmt3180010FormCriadoE"));
        primeiraAtivacao = static_cast<bool*>(sym("_ZN12Cli_qmt3180016PrimeiraAtivacaoE"));
        listaCliente = static_cast<QString*>(sym("_ZN12Cli_qmt3180012ListaClienteE"));
        listaRamoAtiv = static_cast<QString*>(sym("_ZN12Cli_qmt3180013ListaRamoAtivE"));
        listaBairro = static_cast<QString*>(sym("_ZN12Cli_qmt3180011ListaBairroE"));
        frmDadosCliente = static_cast<TForm**>(sym("_ZN12Cli_qmt3180015frmDadosClienteE"));
    }
};

class PackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestEnv::reset();
        package = &PackageLoader::instance().load(QStringLiteral(ERP_MODULE_PATH));
        state = std::make_unique<UnitState>(package->handle);
    }
    void TearDown() override {
        if (PackageLoader::instance().find(QStringLiteral("Pkg_qmt31800")))
            PackageLoader::instance().unload(*package);
    }
    QList<TForm*> screens() const { return PackageLoader::instance().formsOf(*package); }

    Package* package = nullptr;
    std::unique_ptr<UnitState> state;
};

TEST_F(PackageTest, LoadingInitialisesTheUnits) {
    EXPECT_EQ(package->unitNames(), (QStringList{"Cli_qmt31800", "Pkg_qmt31800"}));
    EXPECT_FALSE(*state->formCriado);
    EXPECT_TRUE(*state->primeiraAtivacao);
    EXPECT_TRUE(state->listaCliente->isEmpty());
}

TEST_F(PackageTest, TwoCallsMakeOneInstanceShownTwice) {
    int activations = 0;
    auto c =
        QObject::connect(&TApplication::instance(), &TApplication::formActivated, [&] { ++activations; });
    package->IniProc();
    TForm* first = *state->frmDadosCliente;
    package->IniProc();
    QObject::disconnect(c);
    ASSERT_EQ(screens().size(), 1);
    EXPECT_EQ(screens().first(), first);
    EXPECT_TRUE(*state->formCriado);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(activations, 1); // showing the active instance again does not re-activate it
    EXPECT_EQ(first->Caption(), "Dados do Cliente");
}

TEST_F(PackageTest, OpenCloseOpenMakesTwoInstancesSharingTheSelectionTexts) {
    package->IniProc();
    EXPECT_FALSE(*state->primeiraAtivacao); // the first activation ran its work
    *state->listaCliente = "#L1:1:7";
    *state->listaBairro = "#L1:2:BB";
    QPointer<TForm> first = *state->frmDadosCliente;
    first->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(*state->formCriado);
    EXPECT_TRUE(first.isNull()); // the base form released it
    EXPECT_TRUE(screens().isEmpty());

    package->IniProc();
    EXPECT_TRUE(*state->formCriado);
    ASSERT_EQ(screens().size(), 1);
    EXPECT_NE(screens().first(), first.data());
    EXPECT_EQ(*state->listaCliente, "#L1:1:7");
    EXPECT_EQ(*state->listaBairro, "#L1:2:BB");
    EXPECT_FALSE(*state->primeiraAtivacao);
}

TEST_F(PackageTest, FinalisationEmptiesTheSelectionTextsAlsoWithoutAScreen) {
    *state->listaCliente = "a";
    *state->listaRamoAtiv = "b";
    *state->listaBairro = "c";
    package->finalize();
    EXPECT_TRUE(state->listaCliente->isEmpty());
    EXPECT_TRUE(state->listaRamoAtiv->isEmpty());
    EXPECT_TRUE(state->listaBairro->isEmpty());
    package->initialize(); // back to one initialisation, for the unload in TearDown
    EXPECT_TRUE(*state->primeiraAtivacao);
}

TEST_F(PackageTest, UnloadClosesTheScreenAndReloadInitialisesAgain) {
    package->IniProc();
    QPointer<TForm> screen = *state->frmDadosCliente;
    PackageLoader::instance().unload(*package);
    EXPECT_TRUE(screen.isNull());
    package = &PackageLoader::instance().load(QStringLiteral(ERP_MODULE_PATH));
    state = std::make_unique<UnitState>(package->handle);
    EXPECT_FALSE(*state->formCriado);
    EXPECT_TRUE(*state->primeiraAtivacao);
}

TEST_F(PackageTest, CursorIsHourglassWhileOpeningAndDefaultAfterEvenWhenCreationFails) {
    QList<int> cursors;
    auto c = QObject::connect(&TApplication::instance(), &TApplication::screenCursorChanged,
                              [&](int cursor) { cursors << cursor; });
    FormReader::setResourceOverride("TfrmDadosCliente", "{ not json");
    EXPECT_THROW(package->IniProc(), EHostError);
    FormReader::clearResourceOverride("TfrmDadosCliente");
    EXPECT_EQ(cursors, (QList<int>{HostCursor::crHourGlass, HostCursor::crDefault}));
    EXPECT_FALSE(*state->formCriado);
    EXPECT_TRUE(screens().isEmpty());

    cursors.clear();
    package->IniProc(); // the next call creates the screen
    QObject::disconnect(c);
    EXPECT_EQ(cursors, (QList<int>{HostCursor::crHourGlass, HostCursor::crDefault}));
    EXPECT_TRUE(*state->formCriado);
    EXPECT_EQ(screens().size(), 1);
}

struct RefusedFile {
    const char* name;
    QString (*make)(const QString& dir);
    const char* mustMention;
};

class RefusedModuleTest : public ::testing::TestWithParam<RefusedFile> {};

TEST_P(RefusedModuleTest, IsRefusedNamingTheFile) {
    QTemporaryDir dir;
    const QString path = GetParam().make(dir.path());
    try {
        PackageLoader::instance().load(path);
        FAIL() << "should be refused";
    } catch (const EHostError& e) {
        EXPECT_TRUE(e.message().contains(QFileInfo(path).fileName())) << e.what();
        EXPECT_TRUE(e.message().contains(GetParam().mustMention)) << e.what();
    }
    EXPECT_EQ(PackageLoader::instance().find(path), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Package, RefusedModuleTest,
    ::testing::Values(
        RefusedFile{"text",
                    [](const QString& d) {
                        QFile f(d + "/notes.so");
                        f.open(QIODevice::WriteOnly);
                        f.write("not a module");
                        return f.fileName();
                    },
                    "não é um módulo"},
        RefusedFile{"missing", [](const QString& d) { return d + "/absent.so"; }, "não encontrado"},
        // The host library is a real shared object without the package exports.
        RefusedFile{"noexports",
                    [](const QString&) { return QStringLiteral(ERP_BINARY_DIR "/lib/libhost.so"); },
                    "IniProc"}),
    [](const auto& info) { return std::string(info.param.name); });

// A language module lies beside the module as the administrator installed it, possibly a link to
// the build's file; a broken one is reported naming its file, and the screens stay in Portuguese.
struct LanguageFile {
    const char* name;
    QByteArray contents; // empty: a copy of the English module
    bool used;
};
class LanguageModuleTest : public ::testing::TestWithParam<LanguageFile> {};

TEST_P(LanguageModuleTest, BesideALinkToTheModule) {
    TestEnv::reset();
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("Pkg_qmt31800.so"));
    ASSERT_TRUE(QFile::link(QStringLiteral(ERP_MODULE_PATH), link));
    const QString language = link + QStringLiteral(".en");
    if (GetParam().contents.isEmpty()) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(ERP_SOURCE_DIR "/app/lang/Pkg_qmt31800.so.en"), language));
    } else {
        QFile f(language);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(GetParam().contents);
    }
    ModuleRegistry::setLanguage(QStringLiteral("en"));
    Package& package = PackageLoader::instance().load(link);
    const QString inUse = ModuleRegistry::languageModule(QStringLiteral("Pkg_qmt31800"));
    const QStringList errors = TestEnv::dialogs().errors();
    PackageLoader::instance().unload(package);
    ModuleRegistry::setLanguage(QStringLiteral("pt"));
    EXPECT_EQ(inUse, language);
    if (GetParam().used) {
        EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    } else {
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors.first().contains(language)) << errors.first().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Package, LanguageModuleTest,
                         ::testing::Values(LanguageFile{"english", {}, true},
                                           LanguageFile{"brokenJson", "{\"forms\": {", false},
                                           LanguageFile{"noForms", "[1, 2]", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Qt keeps the first meta-type record it sees for a type name. A record the module made for a
// host type would outlive the module and be read from wherever the next library is mapped there.
TEST(ModuleMetaTypes, HostTypesAreRecordedByTheHostAndOutliveTheModule) {
    const QStringList hostTypes{"TADOIBQuery*", "TADOIBStringField*", "TDataSource*", "TRadioButton*",
                                "TCheckBox*",   "TDateEditPlus*",     "TParams*",     "TShiftState"};
    for (int round = 0; round < 2; ++round) {
        Package& package = PackageLoader::instance().load(QStringLiteral(ERP_MODULE_PATH));
        package.IniProc();
        const QString moduleFile = package.path;
        for (int id = QMetaType::User; id < QMetaType::User + 1000; ++id) {
            if (!QMetaType::isRegistered(id))
                continue;
            const QMetaType type(id);
            Dl_info info{};
            if (dladdr(type.iface(), &info) && info.dli_fname) {
                EXPECT_NE(QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalFilePath(), moduleFile)
                    << type.name() << " is recorded inside the module";
            }
        }
        PackageLoader::instance().unload(package);
        // Something else takes the module's place in memory before the next load.
        void* other = dlopen("libQt6Network.so.6", RTLD_NOW | RTLD_LOCAL);
        for (const QString& name : hostTypes)
            EXPECT_TRUE(QMetaType::fromName(name.toLatin1()).isValid()) << name.toStdString();
        if (other)
            dlclose(other);
    }
}

// A definition that cannot be read is reported while the screen opens; the user reads that message
// with the normal cursor, not the hourglass of the opening.
TEST(OpeningMessages, AreShownWithTheNormalCursor) {
    QTemporaryDir reports;
    ASSERT_TRUE(QDir(reports.path()).mkpath(QStringLiteral("QMT318")));
    QFile broken(reports.filePath(QStringLiteral("QMT318/0_quebrado.json")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("{ nada");
    broken.close();
    const QString previousReports = HostSettings::reportsDir();
    HostSettings::setReportsDir(reports.path());
    QtDialogs::install();
    QStringList cursors; // the override cursor's shape while each message box is up
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            const QCursor* c = QApplication::overrideCursor();
            cursors << (c && c->shape() == Qt::WaitCursor ? QStringLiteral("ampulheta")
                                                          : QStringLiteral("normal"));
            box->accept();
        }
    });
    poll.start(20);
    Package& package = PackageLoader::instance().load(QStringLiteral(ERP_MODULE_PATH));
    package.IniProc();
    poll.stop();
    PackageLoader::instance().unload(package);
    ScriptedDialogService::installFor(TestEnv::dialogs());
    HostSettings::setReportsDir(previousReports);
    ASSERT_FALSE(cursors.isEmpty()) << "no message while opening";
    EXPECT_EQ(cursors, QStringList(cursors.size(), QStringLiteral("normal")));
}

} // namespace
