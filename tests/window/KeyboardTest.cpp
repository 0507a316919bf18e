// erp-host driven from outside with real key presses (xdotool, through the X server's XTEST), as a
// keyboard user works: the report picked in the combo, Tab through the filters of each report, Space
// on a check box, F9 on a "Lista" radio, the lookup's filter box, Esc and Enter, Ctrl+P to the PDF
// printer. The host's "watch" step tells where the focus went after each key; a screen reader's view
// of the screen (AT-SPI, read by atspi_tree.py) is checked in two reports. Screenshots and the PDF
// stay under the build folder.
#include "WindowTools.h"
#include "app/HostProcess.h"

#include "data/DatabaseUrl.h"
#include "demo/DemoDatabase.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

#include <map>

namespace {

QString artefactsDir() {
    return WindowTools::artefactsDir(QStringLiteral("keyboard"));
}

QString missingTool() {
    if (QString why =
            WindowTools::missingProgram({"xvfb-run", "dbus-run-session", "xauth", "xdotool", "pdftotext"});
        !why.isEmpty())
        return why;
    if (!QFile::exists(QStringLiteral("/usr/libexec/at-spi-bus-launcher")))
        return QStringLiteral("at-spi2-core is not installed (scripts/install-deps.sh)");
    if (runProgram(QStringLiteral("/usr/bin/python3"), {"-c", "import pyatspi"},
                   QProcessEnvironment::systemEnvironment())
            .exitCode != 0)
        return QStringLiteral("python3-pyatspi is not installed (scripts/install-deps.sh)");
    return {};
}

// An X server with its own D-Bus session (and so its own accessibility bus), kept open while the
// test runs programs in it. Closing its stdin ends the session and the server.
class XSession {
public:
    bool start() {
        m_proc.start(QStringLiteral("xvfb-run"),
                     {"-a", "-s", "-screen 0 1280x800x24", "dbus-run-session", "--", "sh", "-c",
                      "echo \"$DISPLAY\"; echo \"$XAUTHORITY\"; echo \"$DBUS_SESSION_BUS_ADDRESS\"; exec cat "
                      ">/dev/null"});
        QStringList lines;
        QDeadlineTimer deadline(20000);
        while (lines.size() < 3 && !deadline.hasExpired() && m_proc.state() != QProcess::NotRunning) {
            if (!m_proc.canReadLine() && !m_proc.waitForReadyRead(500))
                continue;
            while (m_proc.canReadLine())
                lines << QString::fromLocal8Bit(m_proc.readLine()).trimmed();
        }
        if (lines.size() < 3)
            return false;
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("DISPLAY"), lines[0]);
        m_env.insert(QStringLiteral("XAUTHORITY"), lines[1]);
        m_env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), lines[2]);
        m_env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        return true;
    }
    ~XSession() {
        m_proc.closeWriteChannel();
        if (!m_proc.waitForFinished(10000)) {
            m_proc.kill();
            m_proc.waitForFinished(5000);
        }
    }
    QProcessEnvironment env() const { return m_env; }
    QString errors() { return QString::fromLocal8Bit(m_proc.readAllStandardError()); }

private:
    QProcess m_proc;
    QProcessEnvironment m_env;
};

// erp-host in the session, its "watch" lines read as they come.
class Host {
public:
    void start(const QProcessEnvironment& env, const QStringList& args) {
        m_proc.setProcessEnvironment(env);
        m_proc.start(hostBinary(), args);
    }
    ~Host() {
        if (m_proc.state() != QProcess::NotRunning) {
            m_proc.kill();
            m_proc.waitForFinished(5000);
        }
    }
    // The focus moved into a window of that name (a dialog's class when it has no name).
    bool waitForFocusIn(const QString& window, int ms = 10000) {
        QDeadlineTimer deadline(ms);
        while (waitFor(QStringLiteral("foco\t"), int(deadline.remainingTime())))
            if (m_matched.section('\t', 2, 2) == window)
                return true;
        return false;
    }
    // Reads until a line starting with `start` arrives; the lines before it are passed over, but a
    // picture saved meanwhile is remembered: it is taken a moment after a dialog shows, so it may come
    // before the focus line a test waits for first.
    bool waitFor(const QString& start, int ms = 10000) {
        QDeadlineTimer deadline(ms);
        for (int i = 0; i < m_pictures.size(); ++i)
            if (m_pictures[i].startsWith(start)) {
                m_matched = m_pictures.takeAt(i);
                return true;
            }
        for (;;) {
            while (!m_pending.isEmpty()) {
                m_matched = m_pending.takeFirst();
                if (m_matched.startsWith(start))
                    return true;
                if (m_matched.startsWith(QLatin1String("imagem\t")))
                    m_pictures << m_matched;
            }
            if (deadline.hasExpired() || !readMore(200))
                return false;
        }
    }
    // Where the focus went after the last key: the control's name, several joined by '>' when it
    // moved more than once (it must stop once a key), empty when it did not move.
    QString nextFocus(int ms = 3000) {
        if (!waitFor(QStringLiteral("foco\t"), ms))
            return {};
        QStringList moves{m_matched.section('\t', 1, 1)};
        QDeadlineTimer settle(300);
        while (!settle.hasExpired())
            readMore(50);
        for (auto it = m_pending.begin(); it != m_pending.end();)
            if (it->startsWith(QLatin1String("foco\t"))) {
                moves << it->section('\t', 1, 1);
                it = m_pending.erase(it);
            } else {
                ++it;
            }
        return moves.join('>');
    }
    bool finish(int ms) { return m_proc.waitForFinished(ms); }
    int exitCode() const { return m_proc.exitCode(); }
    QString log() const { return m_log.join('\n'); }
    QString errors() { return QString::fromLocal8Bit(m_proc.readAllStandardError()); }

private:
    bool readMore(int ms) {
        if (!m_proc.canReadLine() && (m_proc.state() == QProcess::NotRunning || !m_proc.waitForReadyRead(ms)))
            return m_proc.state() != QProcess::NotRunning;
        while (m_proc.canReadLine()) {
            const QString line = QString::fromUtf8(m_proc.readLine()).chopped(1);
            m_log << line;
            m_pending << line;
        }
        return true;
    }

    QProcess m_proc;
    QStringList m_log;      // everything the host printed, for failure messages
    QStringList m_pending;  // lines not looked at yet
    QString m_matched;      // the line the last waitFor stopped at
    QStringList m_pictures; // pictures passed over by a wait for something else
};

// A node of the screen as AT-SPI shows it, by group path, role and name.
struct A11yNode {
    QString path, role, name;
    QSet<QString> states;
};

// The application registers on the accessibility bus a moment after its window shows.
std::vector<A11yNode> readTree(const QProcessEnvironment& env, QString* error) {
    HostRun r;
    for (int attempt = 0; attempt < 20; ++attempt) {
        r = runProgram(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(ERP_SOURCE_DIR "/tests/window/atspi_tree.py"), "erp-host", "Dados do Cliente"},
            env, 30000);
        if (r.exitCode != 2)
            break;
        QThread::msleep(500);
    }
    *error = r.exitCode == 0 ? QString() : r.err;
    std::vector<A11yNode> nodes;
    for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split('\t');
        if (f.size() < 4)
            continue;
        const QStringList states = f[3].split(',', Qt::SkipEmptyParts);
        nodes.push_back({f[0], f[1], f[2], QSet<QString>(states.begin(), states.end())});
    }
    return nodes;
}

// Expected: "group/name" of a control of a role, with the states it must have and must not have.
struct Expect {
    const char* role;
    const char* where; // group path and name, "Cliente/Lista"; no group: just the name
    const char* has;   // comma-separated states
    const char* hasNot;
};

void checkTree(const std::vector<A11yNode>& nodes, const std::vector<Expect>& expected,
               const QString& variant) {
    for (const Expect& e : expected) {
        const QString where = QString::fromUtf8(e.where);
        const QString path = where.contains('/') ? where.section('/', 0, -2) : QString();
        const QString name = where.section('/', -1);
        const A11yNode* found = nullptr;
        for (const A11yNode& n : nodes)
            if (n.role == QLatin1String(e.role) && n.name == name && (path.isEmpty() || n.path == path))
                found = &n;
        SCOPED_TRACE((variant + ": " + e.role + " '" + where + "'").toStdString());
        ASSERT_TRUE(found) << "not in the accessibility tree";
        for (const QString& s : QString::fromLatin1(e.has).split(',', Qt::SkipEmptyParts))
            EXPECT_TRUE(found->states.contains(s)) << "should be " << s.toStdString();
        for (const QString& s : QString::fromLatin1(e.hasNot).split(',', Qt::SkipEmptyParts))
            EXPECT_FALSE(found->states.contains(s)) << "should not be " << s.toStdString();
    }
}

// The filters of each report and the order Tab visits them from the report combo: the groups by
// their TabOrder (grbDtAn 1 .. grbTipoClie 6, panMenu 7 holds no tab stops), inside a group by the
// controls' TabOrder. Of a pair of radios only the checked one is a tab stop (arrows move between them).
struct VariantKeys {
    int index;
    const char* title;
    QStringList tabStops;
};

const VariantKeys kVariants[] = {
    {0, "Aniversariantes do Mês", {"depDeDtAn", "rbtTCliente", "rbtTBairro", "cbbReportNames"}},
    {1, "Clientes por Ramo de Atividade", {"rbtTCliente", "rbtTRamoAtiv", "cbbReportNames"}},
    {2,
     "Aniversariantes do Período",
     {"depDeDtAn", "depAteDtAn", "rbtTCliente", "rbtTRamoAtiv", "rbtTBairro", "chbOrcamento", "chbEncomenda",
      "cbbReportNames"}},
    {3,
     "Clientes por Tipo",
     {"rbtTCliente", "rbtTRamoAtiv", "chbOrcamento", "chbEncomenda", "chbFisica", "chbJuridica", "chbOutros",
      "cbbReportNames"}},
};

// As opened: birthdays of a month, the focus on the report combo.
const std::vector<Expect> kTreeMonth = {
    {"combo box", "Aniversariantes do Mês", "enabled,focused", ""},
    {"panel", "Dt. Aniversário", "enabled", ""},
    {"text", "Dt. Aniversário/mês", "enabled,focusable", "focused"},
    {"text", "Dt. Aniversário/até", "", "enabled"},
    {"radio button", "Cliente/Todos", "checked,enabled,focusable", ""},
    {"radio button", "Cliente/Lista", "enabled", "checked"},
    {"push button", "Cliente/Pesquisar", "", "enabled"},
    {"panel", "Ramo de Atividade", "", "enabled"},
    {"radio button", "Ramo de Atividade/Todos", "checked", "enabled"},
    {"radio button", "Bairro/Lista", "enabled", "checked"},
    {"panel", "Origem", "", "enabled"},
    {"check box", "Origem/Orçamento", "checked", "enabled"},
    {"check box", "Tipo do Cliente/Pessoa Jurídica", "checked", "enabled"},
    {"push button", "Visualizar o relatório (Ctrl+R)", "enabled", ""},
    {"push button", "Imprimir o relatório (Ctrl+P)", "enabled", ""},
    {"push button", "Salvar o relatório com outro título (Ctrl+S)", "enabled", ""},
    {"push button", "Configurar a impressora (Ctrl+Shift+P)", "enabled", ""},
    {"push button", "Editar a definição do relatório (Ctrl+Shift+E)", "enabled", ""},
};

// Clients by type after Space on "Pessoa Jurídica", which keeps the focus.
const std::vector<Expect> kTreeByType = {
    {"combo box", "Clientes por Tipo", "enabled", "focused"},
    {"panel", "Dt. Aniversário", "", "enabled"},
    {"text", "Dt. Aniversário/de", "", "enabled"},
    {"text", "Dt. Aniversário/até", "", "enabled"},
    {"radio button", "Cliente/Todos", "checked,enabled", ""},
    {"radio button", "Ramo de Atividade/Lista", "enabled", "checked"},
    {"panel", "Bairro", "", "enabled"},
    {"radio button", "Bairro/Todos", "checked", "enabled"},
    {"check box", "Origem/Orçamento", "checked,enabled,focusable", ""},
    {"check box", "Origem/Encomenda", "checked,enabled", ""},
    {"check box", "Tipo do Cliente/Pessoa Física", "checked,enabled", ""},
    {"check box", "Tipo do Cliente/Pessoa Jurídica", "enabled,focused", "checked"},
    {"check box", "Tipo do Cliente/Outros", "checked,enabled", ""},
};

QStringList clientNames(const QString& dbPath, const char* sql) {
    QStringList out;
    {
        // Through the host's own opening: the name columns compare with the collation it registers.
        QSqlDatabase db = DatabaseConnection::open(DatabaseUrl::parse(QStringLiteral("sqlite:") + dbPath),
                                                   QStringLiteral("keyboard-test"));
        QSqlQuery q(db);
        if (q.exec(QString::fromLatin1(sql)) && q.next())
            for (int c = 0; c < q.record().count(); ++c)
                out << q.value(c).toString();
    }
    DatabaseConnection::remove(QStringLiteral("keyboard-test"));
    return out;
}

bool waitForPdf(const QString& path, int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly) && f.size() > 100) {
            const QByteArray all = f.readAll();
            if (all.startsWith("%PDF-") && all.trimmed().endsWith("%%EOF"))
                return true;
        }
        QThread::msleep(200);
    }
    return false;
}

TEST(Keyboard, FiltersLookupAndPrintByKeysReadByAScreenReader) {
    if (const QString why = missingTool(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QTemporaryDir home;
    const QString dbPath = home.filePath(QStringLiteral("demo.db"));
    DemoDatabase::create(QStringLiteral("sqlite:") + dbPath);
    // A physical person of the session's branch (the first one) whose document number picks that
    // client alone in the lookup, and another one of the branch who must not reach the report.
    const QStringList picked = clientNames(
        dbPath, "SELECT C.NRINSJURCLIE, C.NMRAZSOCCLIE FROM CLIENTE C WHERE C.IDTPIJURCLIE = 'F' AND "
                "C.CDFILIAL = (SELECT MIN(CDFILIAL) FROM FILIAL) AND "
                "LENGTH(C.NRINSJURCLIE) > 8 AND (SELECT COUNT(*) FROM CLIENTE D WHERE "
                "instr(D.NRINSJURCLIE || D.NMFANTCLIE || D.NMRAZSOCCLIE, C.NRINSJURCLIE) > 0) = 1 LIMIT 1");
    ASSERT_EQ(picked.size(), 2) << "the demo database has no client to pick";
    const QStringList other = clientNames(
        dbPath,
        QStringLiteral("SELECT NMRAZSOCCLIE FROM CLIENTE WHERE IDTPIJURCLIE = 'F' AND NMRAZSOCCLIE <> '%1' "
                       "AND CDFILIAL = (SELECT MIN(CDFILIAL) FROM FILIAL) LIMIT 1")
            .arg(picked[1])
            .toLatin1()
            .constData());
    ASSERT_EQ(other.size(), 1);

    const QDir out(artefactsDir());
    for (const QString& old : out.entryList({QStringLiteral("*.png"), QStringLiteral("*.pdf")}, QDir::Files))
        QFile::remove(out.filePath(old));
    const QString pdf = out.filePath(QStringLiteral("relatorio-teclado.pdf"));

    XSession session;
    ASSERT_TRUE(session.start()) << "the X session did not start: " << session.errors().toStdString();
    QProcessEnvironment env = hostEnvironment(home.path());
    for (const QString& k : session.env().keys())
        env.insert(k, session.env().value(k));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("QT_FONT_DPI"), QStringLiteral("96"));
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    env.insert(QStringLiteral("ERP_SCRIPT"), QStringLiteral("watch=") + out.path());
    const QProcessEnvironment xenv = session.env();

    Host host;
    host.start(env, {"--database", "sqlite:" + dbPath, "--open", "QMT31800", "--printer", "pdf:" + pdf});
    auto xdotool = [&](const QStringList& args) {
        return runProgram(QStringLiteral("xdotool"), args, xenv, 20000);
    };
    // No window manager gives the window the keyboard: it is given the X input focus directly.
    const HostRun search = xdotool({"search", "--sync", "--onlyvisible", "--name", "^Dados do Cliente"});
    const QString window = search.out.section('\n', 0, 0).trimmed();
    ASSERT_FALSE(window.isEmpty()) << "no erp-host window: " << host.errors().toStdString();
    xdotool({"windowfocus", "--sync", window});
    ASSERT_TRUE(host.waitFor(QStringLiteral("foco\tcbbReportNames")))
        << host.log().toStdString() << host.errors().toStdString();
    auto key = [&](const char* k) { xdotool({"key", "--delay", "30", QString::fromLatin1(k)}); };
    // Without a window manager nothing gives the main window the keyboard back when a dialog closes.
    auto refocus = [&] { xdotool({"windowfocus", "--sync", window}); };

    // A screen reader's view as opened.
    QString why;
    checkTree(readTree(env, &why), kTreeMonth, QStringLiteral("Aniversariantes do Mês"));
    EXPECT_TRUE(why.isEmpty()) << why.toStdString();

    // Each report: Down in the combo picks it, then Tab goes round its filters back to the combo.
    for (const VariantKeys& v : kVariants) {
        SCOPED_TRACE(v.title);
        if (v.index > 0) {
            key("Down");
            ASSERT_TRUE(host.waitFor(
                QStringLiteral("relatorio\t%1\t%2").arg(v.index).arg(QString::fromUtf8(v.title))))
                << host.log().toStdString();
            ASSERT_TRUE(host.waitFor(QStringLiteral("imagem\t"))) << "no screenshot of the report";
        }
        QStringList visited;
        for (int i = 0; i < v.tabStops.size(); ++i) {
            key("Tab");
            visited << host.nextFocus();
        }
        EXPECT_EQ(visited.join(' ').toStdString(), v.tabStops.join(' ').toStdString());
    }

    // Clients by type: Space on "Pessoa Jurídica" unchecks it and leaves the focus there.
    for (int i = 0; i < 6; ++i)
        key("Tab");
    ASSERT_TRUE(host.waitFor(QStringLiteral("foco\tchbJuridica"))) << host.log().toStdString();
    key("space");
    EXPECT_TRUE(host.waitFor(QStringLiteral("marcado\tchbJuridica\t0"))) << host.log().toStdString();
    checkTree(readTree(env, &why), kTreeByType, QStringLiteral("Clientes por Tipo"));
    EXPECT_TRUE(why.isEmpty()) << why.toStdString();

    // Round to "Todos" of Cliente; Down moves to "Lista" and checks it; F9 opens the lookup.
    for (int i = 0; i < 3; ++i)
        key("Tab");
    ASSERT_TRUE(host.waitFor(QStringLiteral("foco\trbtTCliente"))) << host.log().toStdString();
    key("Down");
    ASSERT_TRUE(host.waitFor(QStringLiteral("marcado\trbtLCliente\t1"))) << host.log().toStdString();
    ASSERT_TRUE(host.waitFor(QStringLiteral("foco\trbtLCliente"))) << host.log().toStdString();
    // Esc cancels the lookup and gives the focus back; F9 again, the filter box, Down to the list,
    // Space marks the one row left, Enter confirms.
    key("F9");
    ASSERT_TRUE(host.waitFor(QStringLiteral("foco\tedtFiltro\tLookupDialog"))) << host.log().toStdString();
    key("Escape");
    refocus();
    ASSERT_EQ(host.nextFocus().toStdString(), "rbtLCliente") << host.log().toStdString();
    key("F9");
    ASSERT_TRUE(host.waitFor(QStringLiteral("foco\tedtFiltro\tLookupDialog"))) << host.log().toStdString();
    xdotool({"type", "--delay", "30", picked[0]});
    key("Down");
    ASSERT_EQ(host.nextFocus().toStdString(), "grdLista");
    key("space");
    ASSERT_TRUE(
        host.waitFor(QStringLiteral("imagem\t") + out.filePath(QStringLiteral("teclado-LookupDialog.png"))));
    key("Return");
    refocus();
    ASSERT_EQ(host.nextFocus().toStdString(), "rbtLCliente") << host.log().toStdString();

    // Ctrl+P prints to the session's PDF printer, as its hint says.
    key("ctrl+p");
    ASSERT_TRUE(waitForPdf(pdf, 30000)) << "Ctrl+P wrote no PDF: " << host.errors().toStdString();
    const HostRun text = runProgram(QStringLiteral("pdftotext"), {"-layout", pdf, "-"},
                                    QProcessEnvironment::systemEnvironment());
    EXPECT_TRUE(text.out.contains(QStringLiteral("Clientes por Tipo"))) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(picked[1])) << "the picked client is not in the report";
    EXPECT_FALSE(text.out.contains(other[0])) << "a client left out of the list is in the report";
    EXPECT_FALSE(text.out.contains(QStringLiteral("Pessoa Jurídica")))
        << "an unchecked client type is in the report";

    // Every other action's shortcut opens its window, as its hint says; Esc closes it again.
    const struct {
        const char* keys;
        const char* window;
    } shortcuts[] = {{"ctrl+r", "ReportPreviewWindow"},
                     {"ctrl+s", "QInputDialog"},
                     {"ctrl+shift+p", "QPageSetupDialog"},
                     {"ctrl+shift+e", "ReportDesignerWindow"}};
    for (const auto& s : shortcuts) {
        refocus();
        key(s.keys);
        EXPECT_TRUE(host.waitForFocusIn(QString::fromLatin1(s.window), 30000))
            << s.keys << " opened no " << s.window << ": " << host.errors().toStdString();
        key("Escape");
    }

    refocus();
    key("ctrl+q");
    ASSERT_TRUE(host.finish(20000)) << "Ctrl+Q did not close erp-host";
    EXPECT_EQ(host.exitCode(), 0);
    const QString errors = host.errors();
    EXPECT_FALSE(errors.contains(QStringLiteral("erro:"))) << errors.toStdString();
    for (int v = 1; v < 4; ++v)
        EXPECT_FALSE(QImage(out.filePath(QStringLiteral("teclado-variante-%1.png").arg(v))).isNull()) << v;
    EXPECT_FALSE(QImage(out.filePath(QStringLiteral("teclado-LookupDialog.png"))).isNull());
}

} // namespace
