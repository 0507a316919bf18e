// erp-host in a real X session (Xvfb, inside its own D-Bus session, 96 dpi): opens the client screen
// from the command line, prints to a PDF printer, previews, goes through the four report variants and
// the client lookup. The screenshots and the PDF stay under the build folder as the run's artefacts.
#include "WindowTools.h"
#include "app/HostProcess.h"

#include "demo/DemoDatabase.h"

#include <QFile>
#include <QImage>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

QString artefactsDir() {
    return WindowTools::artefactsDir(QStringLiteral("window"));
}

QString missingTool() {
    return WindowTools::missingProgram({"xvfb-run", "dbus-run-session", "xauth"});
}

TEST(RealWindow, ScreenInEveryVariantLookupAndPrint) {
    if (const QString why = missingTool(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QTemporaryDir home;
    const QString url = QStringLiteral("sqlite:") + home.filePath(QStringLiteral("demo.db"));
    DemoDatabase::create(url);
    const QDir out(artefactsDir());
    for (const QString& old : out.entryList({QStringLiteral("*.png"), QStringLiteral("*.pdf")}, QDir::Files))
        QFile::remove(out.filePath(old));
    const QString pdf = out.filePath(QStringLiteral("relatorio.pdf"));

    // As opened (variant 0, the first activation put today's month in), printed; then the other variants.
    QStringList steps{
        QStringLiteral("screenshot=%1").arg(out.filePath(QStringLiteral("tela-variante-0.png"))),
        QStringLiteral("print"), QStringLiteral("preview"),
        QStringLiteral("dialog-screenshot=%1").arg(out.filePath(QStringLiteral("visualizacao.png"))),
        QStringLiteral("dismiss")};
    for (int variant = 1; variant < 4; ++variant)
        steps << QStringLiteral("variant=%1").arg(variant)
              << QStringLiteral("screenshot=%1")
                     .arg(out.filePath(QStringLiteral("tela-variante-%1.png").arg(variant)));
    steps << QStringLiteral("variant=1") << QStringLiteral("click=rbtLCliente")
          << QStringLiteral("click=sbtCliente")
          << QStringLiteral("dialog-screenshot=%1").arg(out.filePath(QStringLiteral("lista-clientes.png")))
          << QStringLiteral("dismiss") << QStringLiteral("quit");

    QProcessEnvironment env = hostEnvironment(home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("QT_FONT_DPI"), QStringLiteral("96"));
    env.insert(QStringLiteral("ERP_SCRIPT_DELAY"), QStringLiteral("400"));
    env.insert(QStringLiteral("ERP_SCRIPT"), steps.join(';'));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    const HostRun r = runProgram(QStringLiteral("xvfb-run"),
                                 {"-a", "-s", "-screen 0 1280x800x24", "dbus-run-session", "--", hostBinary(),
                                  "--database", url, "--open", "QMT31800", "--printer", "pdf:" + pdf},
                                 env, 300000);
    ASSERT_TRUE(r.finished) << r.err.toStdString();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("erro:"))) << r.err.toStdString();

    for (int variant = 0; variant < 4; ++variant) {
        const QImage shot(out.filePath(QStringLiteral("tela-variante-%1.png").arg(variant)));
        ASSERT_FALSE(shot.isNull()) << "no screenshot of variant " << variant;
        EXPECT_GE(shot.width(), 640);
        EXPECT_GE(shot.height(), 400);
    }
    EXPECT_FALSE(QImage(out.filePath(QStringLiteral("lista-clientes.png"))).isNull());
    EXPECT_FALSE(QImage(out.filePath(QStringLiteral("visualizacao.png"))).isNull());
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the print wrote no PDF";
    EXPECT_TRUE(file.read(5) == "%PDF-");
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        const HostRun text = runProgram(QStringLiteral("pdftotext"), {"-layout", pdf, "-"},
                                        QProcessEnvironment::systemEnvironment());
        for (const char* expected : {"Aniversariantes do Mês", "Filial: 01", "Página 1 de"})
            EXPECT_TRUE(text.out.contains(QString::fromUtf8(expected))) << expected;
    }

    // A picture of the first page for the README, when poppler is there to draw it.
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        runProgram(QStringLiteral("pdftoppm"),
                   {"-png", "-r", "70", "-f", "1", "-l", "1", "-singlefile", pdf,
                    out.filePath(QStringLiteral("relatorio-pagina-1"))},
                   QProcessEnvironment::systemEnvironment());
}

} // namespace
