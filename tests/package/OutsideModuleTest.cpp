// A module built outside the source tree against the installed module headers alone (cmake --install
// --component erp-dev) and libhost: built for this host it opens in erp-host; declaring another
// interface version, or none, it is refused naming both, and nothing of it stays in the process. The
// client screen's module builds the same way (the build of the suite fails otherwise).
#include "app/HostProcess.h"
#include "core/Errors.h"
#include "packages/ModuleRegistry.h"
#include "packages/PackageInfo.h"
#include "packages/PackageLoader.h"

#include <QFile>
#include <QStandardPaths>
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

const QString Root = QStringLiteral(ERP_BINARY_DIR "/outside-module");
QString module(const char* name) {
    return Root + "/build/" + name + ".so";
}

class OutsideModule : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const QString cmake = QStandardPaths::findExecutable("cmake"),
                      ccache = QStandardPaths::findExecutable("ccache");
        QDir(Root + "/prefix").removeRecursively();
        for (const QStringList& args :
             {QStringList{"--install", ERP_BINARY_DIR, "--component", "erp-dev", "--prefix",
                          Root + "/prefix"},
              QStringList{"-S", ERP_SOURCE_DIR "/tests/package/outside", "-B", Root + "/build", "-G", "Ninja",
                          "-DERP_HOST_PREFIX=" + Root + "/prefix",
                          "-DERP_LIBHOST=" ERP_BINARY_DIR "/lib/libhost.so",
                          "-DERP_SOURCE_DIR=" ERP_SOURCE_DIR, "-DCMAKE_CXX_COMPILER_LAUNCHER=" + ccache},
              QStringList{"--build", Root + "/build", "-j2"}}) {
            const HostRun r = runProgram(cmake, args, QProcessEnvironment::systemEnvironment(), 900000);
            if (!r.finished || r.exitCode != 0)
                s_error = args.join(' ') + '\n' + r.out + r.err;
            if (!s_error.isEmpty())
                return;
        }
    }
    void SetUp() override { ASSERT_TRUE(s_error.isEmpty()) << s_error.toStdString(); }
    static QString s_error;
};
QString OutsideModule::s_error;

TEST_F(OutsideModule, BuiltForThisHostOpensInErpHost) {
    // erp-host opens the module it knows by file name; this one stands in for it.
    QTemporaryDir modules, home;
    ASSERT_TRUE(QFile::copy(module("Pkg_exemplo"), modules.filePath("Pkg_qmt31800.so")));
    QProcessEnvironment env = hostEnvironment(home.path());
    env.insert("ERP_SCRIPT", "click=sbtOla;describe;quit");
    const HostRun run = runHost({"--modules", modules.path(), "--open", "QMT31800"}, env);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.facts("tela"), QStringList{"TfrmExemplo\tExemplo"}) << run.out.toStdString();
    EXPECT_TRUE(run.facts("controle").contains("lblMensagem\tTLabel\tOlá do módulo\t\t1"))
        << run.out.toStdString();
}

struct Declared {
    const char* module;
    const char* version; // as the refusal names it
};
class RefusedInterface : public OutsideModule, public ::testing::WithParamInterface<Declared> {};

TEST_P(RefusedInterface, NamesBothVersionsAndLeavesNothingLoaded) {
    const QString path = module(GetParam().module);
    const QString host = QStringLiteral("%1.%2").arg(HOST_INTERFACE_MAJOR).arg(HOST_INTERFACE_MINOR);
    try {
        PackageLoader::instance().load(path);
        FAIL() << "should be refused";
    } catch (const EHostError& e) {
        for (const QString& part : {path.section('/', -1), QString::fromUtf8(GetParam().version),
                                    "este sistema tem a interface " + host})
            EXPECT_TRUE(e.message().contains(part)) << e.what();
    }
    EXPECT_EQ(PackageLoader::instance().find(path), nullptr);
    EXPECT_FALSE(ModuleRegistry::attached().contains("Pkg_exemplo"));
    EXPECT_FALSE(QFile::exists(":/forms/TfrmExemplo.json"));
    void* still = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(still, nullptr) << "the module is still mapped";
    if (still)
        dlclose(still);
}

INSTANTIATE_TEST_SUITE_P(Package, RefusedInterface,
                         ::testing::Values(Declared{"Pkg_exemplo_2_0", "interface 2.0"},
                                           Declared{"Pkg_exemplo_1_9", "interface 1.9"},
                                           Declared{"Pkg_exemplo_antigo", "anterior à interface versionada"}),
                         [](const auto& info) { return std::string(info.param.module); });

} // namespace
