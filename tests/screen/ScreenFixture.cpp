#include "ScreenFixture.h"

#include "core/Errors.h"
#include "core/HostSettings.h"
#include "data/dtmDBGeral.h"
#include "demo/DemoDatabase.h"
#include "forms/TApplication.h"
#include "library/FiliProc.h"
#include "library/SelectionText.h"
#include "reporting/ReportDefinition.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QPointer>
#include <algorithm>

namespace ScreenTest {

namespace {

// Stand-ins for the four shipped definitions while the reports folder has none.
ReportDefinition standIn(int order) {
    static const char* titles[] = {"Aniversariantes do mês", "Clientes por ramo de atividade",
                                   "Aniversariantes do período", "Clientes por tipo"};
    ReportDefinition d;
    d.title = QString::fromUtf8(titles[order]);
    d.order = order;
    d.sql = QStringLiteral("SELECT CDCLIENTE, NMRAZSOCCLIE FROM CLIENTE WHERE CDFILIAL = :P_CDFILIAL");
    ReportColumn code;
    code.field = QStringLiteral("CDCLIENTE");
    code.header = QStringLiteral("Código");
    ReportColumn name;
    name.field = QStringLiteral("NMRAZSOCCLIE");
    name.header = QStringLiteral("Razão Social");
    d.columns << code << name;
    return d;
}

std::vector<ReportDefinition> shippedOrStandIns() {
    std::vector<ReportDefinition> defs;
    const QDir shipped(TestEnv::sourceDir() + QStringLiteral("/reports/QMT318"));
    for (const QFileInfo& f : shipped.entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
        defs.push_back(ReportDefinition::load(f.absoluteFilePath()));
    std::stable_sort(defs.begin(), defs.end(),
                     [](const ReportDefinition& a, const ReportDefinition& b) { return a.order < b.order; });
    if (defs.size() < 4) {
        defs.clear();
        for (int i = 0; i < 4; ++i)
            defs.push_back(standIn(i));
    }
    defs.resize(4);
    return defs;
}

} // namespace

ReportsDir::ReportsDir(int count) {
    QDir().mkpath(folder());
    if (count == 0)
        return;
    const std::vector<ReportDefinition> defs = shippedOrStandIns();
    for (int i = 0; i < 4 && i < count; ++i)
        defs[size_t(i)].save(folder() + QStringLiteral("/def%1.json").arg(i));
    if (count >= 5) {
        ReportDefinition extra = defs[0];
        extra.title = QStringLiteral("Zz cópia para testes");
        extra.order = std::max(4, defs[3].order);
        extra.save(folder() + QStringLiteral("/def4.json"));
    }
}

QString ReportsDir::folder() const {
    return m_dir.path() + QStringLiteral("/QMT318");
}

QStringList ReportsDir::files() const {
    QStringList out;
    for (const QFileInfo& f :
         QDir(folder()).entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
        out << f.absoluteFilePath();
    return out;
}

QString sqliteDemoUrl() {
    static QTemporaryDir dir;
    static QString url;
    if (url.isEmpty()) {
        const QString candidate = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("demo.db"));
        DemoDatabase::create(candidate);
        url = candidate;
    }
    return url;
}

namespace {
QString serverDemoUrl(const char* variable, bool& prepared) {
    const QString url = qEnvironmentVariable(variable);
    if (url.isEmpty())
        return {};
    if (!prepared) {
        try {
            DemoDatabase::create(url);
        } catch (const EHostError& e) {
            // A database that already holds the demo tables is what we want.
            if (!e.message().contains(QStringLiteral("já contém")))
                throw;
        }
        prepared = true;
    }
    return url;
}
} // namespace

QString firebirdDemoUrl() {
    static bool prepared = false;
    return serverDemoUrl("ERP_FIREBIRD_URL", prepared);
}

QString postgresDemoUrl() {
    static bool prepared = false;
    return serverDemoUrl("ERP_POSTGRES_URL", prepared);
}

QString demoUrlFor(const std::string& backend) {
    return backend == "sqlite"     ? sqliteDemoUrl()
           : backend == "firebird" ? firebirdDemoUrl()
                                   : postgresDemoUrl();
}

void openDatabase(const QString& url) {
    dtmDBGeral& data = dtmDBGeral::instance();
    if (data.isOpen() && data.url() == url)
        return;
    data.close();
    data.open(url);
}

QString selection(const QStringList& keys) {
    return SelectionText::encode(keys);
}

void ScreenTestBase::SetUp() {
    TestEnv::reset();
    SetFilial(QStringLiteral("01"));
    Cli_qmt31800::Initialization();
}

void ScreenTestBase::TearDown() {
    closeScreen();
    Cli_qmt31800::Finalization();
    TestEnv::reset();
}

TfrmDadosCliente* ScreenTestBase::createScreen(int definitions, bool activate) {
    reports = std::make_unique<ReportsDir>(definitions);
    HostSettings::setReportsDir(reports->path());
    TApplication::instance().CreateForm(Cli_qmt31800::frmDadosCliente);
    Cli_qmt31800::FormCriado = true;
    form = Cli_qmt31800::frmDadosCliente;
    if (activate)
        form->Show();
    return form;
}

void ScreenTestBase::closeScreen() {
    if (!form)
        return;
    QPointer<TfrmDadosCliente> doomed = form;
    QPointer<QMdiSubWindow> sub = form->subWindow();
    form->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (sub)
        delete sub.data();
    else if (doomed)
        delete doomed.data();
    form = nullptr;
    Cli_qmt31800::frmDadosCliente = nullptr;
}

void ScreenTestBase::pickVariant(int index) {
    form->cbbReportNames->SetItemIndex(index);
    ASSERT_EQ(form->cbbReportNames->ItemIndex(), index);
    form->cbbReportNames->userNotify(QStringLiteral("OnChange"));
}

} // namespace ScreenTest
