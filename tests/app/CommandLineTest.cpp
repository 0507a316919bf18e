// erp-host's command line, through the real binary: a bad value ends with one line naming the
// option and status 2, before any window or database is touched.
#include "app/HostProcess.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct BadArguments {
    const char* name;
    QStringList args;
    const char* mentions; // the option (or argument) the message must name
};

void PrintTo(const BadArguments& c, std::ostream* os) {
    *os << c.name;
}

class BadCommandLine : public ::testing::TestWithParam<BadArguments> {};

TEST_P(BadCommandLine, OneLineNamingTheOptionAndStatus2) {
    QTemporaryDir home;
    const BadArguments& c = GetParam();
    const HostRun r = runHost(c.args, hostEnvironment(home.path()));
    ASSERT_TRUE(r.finished);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, 2);
    ASSERT_EQ(r.errLines().size(), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.mentions))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    // Nothing was created in the user's data folder.
    EXPECT_TRUE(QDir(home.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
}

INSTANTIATE_TEST_SUITE_P(
    Options, BadCommandLine,
    ::testing::Values(BadArguments{"unknown_scheme", {"--database", "mysql://db/erp"}, "--database"},
                      BadArguments{"empty_database", {"--database="}, "--database"},
                      BadArguments{"sqlite_without_path", {"--database", "sqlite:"}, "--database"},
                      BadArguments{"branch_with_blank", {"--filial", "0 1"}, "--filial"},
                      BadArguments{"branch_too_long", {"--filial", "12345678901"}, "--filial"},
                      BadArguments{"branch_missing_value", {"--filial"}, "filial"},
                      BadArguments{"reports_missing", {"--reports", "/nao/existe"}, "--reports"},
                      BadArguments{"reports_is_file", {"--reports", "/etc/hostname"}, "--reports"},
                      BadArguments{"modules_missing", {"--modules", "/nao/existe"}, "--modules"},
                      BadArguments{"unknown_screen", {"--open", "QMT99999"}, "--open"},
                      BadArguments{"printer_not_pdf", {"--printer", "lpt1"}, "--printer"},
                      BadArguments{"printer_without_file", {"--printer", "pdf:"}, "--printer"},
                      BadArguments{
                          "printer_folder_missing", {"--printer", "pdf:/nao/existe/saida.pdf"}, "--printer"},
                      BadArguments{"printer_is_folder", {"--printer", "pdf:/tmp"}, "--printer"},
                      BadArguments{"language_word", {"--idioma", "english"}, "--idioma"},
                      BadArguments{"unknown_option", {"--bogus"}, "bogus"},
                      BadArguments{"stray_argument", {"relatorio"}, "relatorio"}),
    [](const auto& info) { return std::string(info.param.name); });

// The report command: no report, a month or a list that is not one, no format.
INSTANTIATE_TEST_SUITE_P(
    ReportOptions, BadCommandLine,
    ::testing::Values(
        BadArguments{"without_report", {"report", "-o", "a.pdf"}, "--relatorio NOME"},
        BadArguments{
            "month_shape", {"report", "--relatorio", "0", "--mes", "12-2026", "-o", "a.pdf"}, "MM/AAAA"},
        BadArguments{"list_file_missing",
                     {"report", "--relatorio", "1", "--clientes", "@/nao/existe", "-o", "a.pdf"},
                     "'/nao/existe'"},
        BadArguments{"origin_word",
                     {"report", "--relatorio", "3", "--origens", "balcao", "-o", "a.pdf"},
                     "orcamento, encomenda"},
        BadArguments{"no_format", {"report", "--relatorio", "0", "-o", "a.txt"}, "--formato"},
        BadArguments{"stdout_pdf", {"report", "--relatorio", "0", "-o", "-", "--formato", "pdf"}, "só CSV"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLine, HelpListsEveryOptionInPortuguese) {
    QTemporaryDir home;
    const HostRun r = runHost({"--help"}, hostEnvironment(home.path()));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0);
    for (const char* option : {"--database", "--filial", "--reports", "--modules", "--open", "--printer",
                               "--idioma", "--version", "--help"})
        EXPECT_TRUE(r.out.contains(QLatin1String(option))) << option;
    // Qt's own words come from its Brazilian Portuguese translation.
    EXPECT_TRUE(r.out.contains(QStringLiteral("Uso:"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Opções:"))) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("Usage:")));
}

TEST(CommandLine, VersionIsOneLine) {
    QTemporaryDir home;
    const HostRun r = runHost({"--version"}, hostEnvironment(home.path()));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^erp-host \\d+\\.\\d+\\.\\d+\\n$")).match(r.out).hasMatch())
        << r.out.toStdString();
}

struct NoDisplay {
    const char* name;
    QStringList set; // NAME=VALUE
};
void PrintTo(const NoDisplay& c, std::ostream* os) {
    *os << c.name;
}

class WithoutDisplay : public ::testing::TestWithParam<NoDisplay> {};

TEST_P(WithoutDisplay, SaysSoAndHowToUseXvfb) {
    QTemporaryDir home;
    QProcessEnvironment env = hostEnvironment(home.path());
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(name));
    for (const QString& kv : GetParam().set)
        env.insert(kv.section('=', 0, 0), kv.section('=', 1));
    const HostRun r = runHost({}, env);
    ASSERT_TRUE(r.finished);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, 2);
    ASSERT_EQ(r.errLines().size(), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("xvfb-run"))) << r.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Environments, WithoutDisplay,
                         ::testing::Values(NoDisplay{"nothing_set", {}},
                                           NoDisplay{"x11_platform_no_display", {"QT_QPA_PLATFORM=xcb"}},
                                           NoDisplay{"wayland_platform_no_socket",
                                                     {"QT_QPA_PLATFORM=wayland"}},
                                           NoDisplay{"display_without_server", {"DISPLAY=:4711"}}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
