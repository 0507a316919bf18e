#pragma once
// A small client table written by the tests themselves, so that every expected client set is
// worked out here in C++ and never by a report's own SQL. Opened as the shared connection on
// SQLite, on a Firebird server beside ERP_FIREBIRD_URL or on the PostgreSQL server of
// ERP_POSTGRES_URL, when those are set.
#include "data/dtmDBGeral.h"
#include "support/TestEnv.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <tuple>
#include <vector>

class TParams;

// The other tests of this program keep the shared connection open on their own database: each
// test that opens another gives it back as it found it.
class SharedConnectionKept {
public:
    SharedConnectionKept() : m_url(dtmDBGeral::instance().url()), m_open(dtmDBGeral::instance().isOpen()) {}
    ~SharedConnectionKept() {
        dtmDBGeral& shared = dtmDBGeral::instance();
        if (!m_open)
            shared.close();
        else if (shared.url() != m_url || !shared.isOpen())
            shared.open(m_url);
    }

private:
    QString m_url;
    bool m_open;
};

// Runs one statement with its values bound in order; throws EHostError with the SQL and the database's words.
void exec(QSqlDatabase& db, const QString& sql, const QVariantList& values = {});

struct TestClient {
    QString code, type, name, fantasy;
    QDate birth; // null: no birth date
    QString ativ, filial, origin;
    QString mun, bairro; // empty bairro: no main address
};

const std::vector<TestClient>& testClients();

enum class TestBackend { SQLite, Firebird, PostgreSQL };
QString backendName(TestBackend b);
// Why the backend cannot be used here, or nothing.
std::optional<QString> backendUnavailable(TestBackend b);
// Opens dtmDBGeral on a new database of that kind with the schema and the test clients.
void openTestDatabase(TestBackend b);

// A case on one database: skipped where that database is not there (a server whose URL variable is
// not set), opened by the suite's own open() otherwise.
template <class Param> class BackendTest : public ::testing::TestWithParam<Param> {
protected:
    virtual void open(TestBackend b) = 0;
    void SetUp() override {
        TestEnv::reset();
        const TestBackend b = backendOf(this->GetParam());
        if (auto why = backendUnavailable(b))
            GTEST_SKIP() << why->toStdString();
        open(b);
    }

private:
    static TestBackend backendOf(TestBackend b) { return b; }
    template <class T> static TestBackend backendOf(const std::tuple<TestBackend, T>& p) {
        return std::get<0>(p);
    }
};

// The filters as the screen hands them to a report (already encoded).
struct TestFilters {
    bool allDates = false; // P_TDTNASCCLIE "T"
    QDate from, to;        // P_DTINICIAL, P_DTFINAL
    QString clients = "T"; // "T" or a selection text
    QString lines = "T";
    QString neighbourhoods = "T";
    QString origins = "_O_E_";
    QString types = "FJO";
    QString branch = "01";
};

// Fills the parameters that the list declares, as the screen does.
void fillParams(TParams* params, const TestFilters& f);
// "T" or the selection text of those keys.
QString selection(const QStringList& keys);
// The codes of the clients that report variant `report` must list under those filters, in table order.
QStringList expectedClients(int report, const TestFilters& f);
