#pragma once
// What the screen's tests share: report folders holding 0, 4 or 5 definitions of QMT318, the demo
// database, and a screen created and activated as the host does it, with the unit's state reset.
#include "Cli_qmt31800.h"
#include "TfrmDadosCliente.h"
#include "support/TestEnv.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace ScreenTest {

// A reports directory whose QMT318 folder holds `count` definitions (0, 4 or 5). The first four
// are the shipped ones when they exist; the fifth is a copy with another title and order 4.
class ReportsDir {
public:
    explicit ReportsDir(int count);
    QString path() const { return m_dir.path(); }
    QString folder() const; // <dir>/QMT318
    QStringList files() const;

private:
    QTemporaryDir m_dir;
};

// The demo database in SQLite, made once per run and opened as the shared connection.
QString sqliteDemoUrl();
// ERP_FIREBIRD_URL, with the demo data written into it when it has no tables yet; empty when unset.
QString firebirdDemoUrl();
// ERP_POSTGRES_URL likewise.
QString postgresDemoUrl();
// The demo URL of "sqlite", "firebird" or "postgres"; empty when that server's variable is unset.
QString demoUrlFor(const std::string& backend);
void openDatabase(const QString& url);

// A selection text as a lookup leaves it.
QString selection(const QStringList& keys);

class ScreenTestBase : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Reports folder with `definitions` entries, then CreateForm; activate = show it (first activation).
    TfrmDadosCliente* createScreen(int definitions = 5, bool activate = true);
    void closeScreen();
    // A user's pick in cbbReportNames.
    void pickVariant(int index);

    TfrmDadosCliente* form = nullptr;
    std::unique_ptr<ReportsDir> reports;
};

} // namespace ScreenTest
