// Names, groups and the neighbourhood lookup in the order a Portuguese reader expects, worked out
// here with ICU's pt_BR collator and never by the database, on SQLite and on the Firebird and
// PostgreSQL servers; and the databases listing the same rows in the same order.
#include "ParamFiller.h"
#include "ReportTestData.h"
#include "core/Errors.h"
#include "core/HostSettings.h"
#include "data/DatabaseUrl.h"
#include "data/PortugueseCollation.h"
#include "demo/DemoDatabase.h"
#include "demo/FirebirdAdmin.h"
#include "reporting/ReportController.h"
#include "reporting/ReportDocument_p.h"
#include "support/TestEnv.h"

#include <QCollator>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

struct Name {
    const char* code;
    const char* name;
    const char* line; // CDATIVCLI
};

const std::vector<std::pair<const char*, const char*>> kLines = {
    {"S1", "Serviços Gerais"}, {"A9", "Água e Saneamento"}, {"C1", "comércio"}, {"O1", "Ótica e Óptica"}};

const std::vector<Name> kNames = {
    {"K01", "Zé", "S1"},
    {"K02", "carla de souza", "A9"},
    {"K03", "Álvaro", "S1"},
    {"K04", "Ângela", "C1"},
    {"K05", "Angela", "S1"},
    {"K06", "Úrsula", "A9"},
    {"K07", "Ótica Moderna", "O1"},
    {"K08", "Ômega", "S1"},
    {"K09", "Xavier", "C1"},
    {"K10", "angela", "A9"},
    {"K11", "Beatriz", "O1"},
    {"K12", "alvaro", "C1"},
    {"K13", "Carla de Souza", "S1"},
    {"K14", "Élida", "A9"},
    {"K15", "eduardo", "O1"},
};

// Neighbourhoods with one code in several towns: the lookup's fixed ORDER BY reaches the names.
const std::vector<std::pair<const char*, const char*>> kNeighbourhoods = {
    {"Centro", "Zé Doca"}, {"Água Verde", "Curitiba"}, {"Centro", "Águas de Lindóia"},
    {"Ilha", "Óleo"},      {"centro", "Xaxim"},        {"Úrsula", "Campinas"},
    {"Ângulo", "Ômega"},   {"Angulo", "Itu"},
};

// Readable in a failure message.
std::vector<std::string> utf8(const QStringList& list) {
    std::vector<std::string> out;
    for (const QString& s : list)
        out.push_back(s.toStdString());
    return out;
}

QCollator portuguese() {
    QCollator c{QLocale(QLocale::Portuguese, QLocale::Brazil)};
    c.setCaseSensitivity(Qt::CaseSensitive);
    return c;
}

void exec(const QString& sql, const QVariantList& values = {}) {
    QSqlDatabase db = dtmDBGeral::database();
    exec(db, sql, values);
}

// A new database of that kind holding only the rows above.
void openNamesDatabase(TestBackend b) {
    openTestDatabase(b);
    QSqlDatabase db = dtmDBGeral::database();
    db.transaction();
    for (const char* table : {"ENDECLIE", "CLIENTE", "ATIVCLIENTE", "BAIRRO", "MUNICIPIO"})
        exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
    for (const auto& [code, text] : kLines)
        exec("INSERT INTO ATIVCLIENTE (CDATIVCLI, CDARVATIVCLI, DSATIVCLI) VALUES (?, ?, ?)",
             {code, code, QString::fromUtf8(text)});
    for (const Name& n : kNames)
        exec("INSERT INTO CLIENTE (CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMFANTCLIE, NMRAZSOCCLIE, "
             "DTNASCCLIE, "
             "CDATIVCLI, CDFILIAL, IDTPORCAEVEN) VALUES (?, 'F', ?, ?, ?, ?, ?, '01', 'O')",
             {n.code, QString::fromLatin1(n.code), QString::fromUtf8(n.name), QString::fromUtf8(n.name),
              QDate(1980, 3, 5), n.line});
    int town = 0;
    for (const auto& [bairro, municipio] : kNeighbourhoods) {
        const QString code = QString::number(1000000 + ++town);
        exec("INSERT INTO MUNICIPIO (CDPAIS, SGESTADO, CDMUNICIPIO, NMMUNICIPIO) VALUES ('1058', 'SP', ?, ?)",
             {code, QString::fromUtf8(municipio)});
        exec(
            "INSERT INTO BAIRRO (CDPAIS, SGESTADO, CDMUNICIPIO, CDBAIRRO, NMBAIRRO) VALUES ('1058', 'SP', ?, "
            "'001', ?)",
            {code, QString::fromUtf8(bairro)});
    }
    if (!db.commit())
        throw EHostError(db.lastError().text());
}

// Client codes in the order a report must list them: by line of business (report 1), then name.
QStringList expectedOrder(int report) {
    const QCollator c = portuguese();
    auto line = [](const Name& n) {
        for (const auto& [code, text] : kLines)
            if (qstrcmp(code, n.line) == 0)
                return QString::fromUtf8(text);
        return QString();
    };
    std::vector<Name> names = kNames;
    std::sort(names.begin(), names.end(), [&](const Name& a, const Name& b) {
        if (report == 1)
            if (const int g = c.compare(line(a), line(b)); g != 0)
                return g < 0;
        if (const int n = c.compare(QString::fromUtf8(a.name), QString::fromUtf8(b.name)); n != 0)
            return n < 0;
        return qstrcmp(a.code, b.code) < 0;
    });
    QStringList out;
    for (const Name& n : names)
        out << n.code;
    return out;
}

QStringList expectedNeighbourhoods() {
    const QCollator c = portuguese();
    auto rows = kNeighbourhoods;
    std::sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
        if (const int n = c.compare(QString::fromUtf8(a.first), QString::fromUtf8(b.first)); n != 0)
            return n < 0;
        return c.compare(QString::fromUtf8(a.second), QString::fromUtf8(b.second)) < 0;
    });
    QStringList out;
    for (const auto& [bairro, municipio] : rows)
        out << QString::fromUtf8(bairro) + " / " + QString::fromUtf8(municipio);
    return out;
}

// The report's client codes and group headers, as the preview receives them.
struct Listed {
    QStringList codes, groups;
};

Listed runReport(int report) {
    TReportDesignerDialog designer;
    ParamFiller filler;
    ReportController controller;
    filler.bindTo(designer);
    HostSettings::setReportsDir(TestEnv::sourceDir() + "/reports");
    ReportContext ctx;
    ctx.code = "QMT318";
    ctx.designer = &designer;
    controller.setContext(ctx);
    controller.reload();
    TestFilters f;
    f.allDates = true;
    filler.fill = [f](TParams* p) { fillParams(p, f); };
    Listed out;
    TestEnv::dialogs().onPreview = [&](ReportDocument& doc) {
        for (int r = 0; r < doc.rowCount(); ++r) {
            out.codes << ReportDocumentRows::cell(doc, r, "CDCLIENTE");
            if (report != 1)
                continue;
            const QString group = ReportDocumentRows::groupTitle(doc, r);
            if (out.groups.isEmpty() || out.groups.back() != group)
                out.groups << group;
        }
    };
    controller.preview(report);
    return out;
}

QJsonObject findComponent(const QJsonObject& o, const QString& name) {
    if (o.value("name").toString() == name)
        return o;
    for (const QJsonValue& child : o.value("components").toArray())
        if (const QJsonObject found = findComponent(child.toObject(), name); !found.isEmpty())
            return found;
    return {};
}

// The neighbourhood lookup's rows, run with the screen's own SQL text for this database.
QStringList lookupNeighbourhoods(TestBackend b) {
    QFile f(TestEnv::sourceDir() + "/screen/resources/TfrmDadosCliente.json");
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QJsonObject query = findComponent(QJsonDocument::fromJson(f.readAll()).object(), "qryBairro")
                                  .value("properties")
                                  .toObject();
    QStringList sql;
    for (const QJsonValue& line : query.value(b == TestBackend::Firebird ? "SQL_IB" : "SQL").toArray())
        sql << line.toString();
    QSqlQuery q(dtmDBGeral::database());
    EXPECT_TRUE(q.exec(sql.join('\n'))) << q.lastError().text().toStdString();
    QStringList out;
    while (q.next())
        out << q.value("NMBAIRRO").toString() + " / " + q.value("NMMUNICIPIO").toString();
    return out;
}

class PortugueseOrder : public BackendTest<TestBackend> {
protected:
    SharedConnectionKept kept;
    void open(TestBackend b) override { openNamesDatabase(b); }
};

TEST_P(PortugueseOrder, EveryReportListsNamesAndGroupsAsAPortugueseReaderExpects) {
    for (int report = 0; report < 4; ++report) {
        SCOPED_TRACE(report);
        const Listed got = runReport(report);
        EXPECT_EQ(utf8(got.codes), utf8(expectedOrder(report)));
        EXPECT_TRUE(TestEnv::dialogs().errors().isEmpty())
            << TestEnv::dialogs().errors().join("\n").toStdString();
        if (report == 1) {
            QStringList groups;
            for (const auto& [code, text] : kLines)
                groups << "Ramo de Atividade: " + QString::fromUtf8(text);
            const QCollator c = portuguese();
            std::sort(groups.begin(), groups.end(), c);
            EXPECT_EQ(utf8(got.groups), utf8(groups));
        }
    }
}

TEST_P(PortugueseOrder, NeighbourhoodLookupKeepsTheScreensSqlAndSortsNames) {
    EXPECT_EQ(utf8(lookupNeighbourhoods(GetParam())), utf8(expectedNeighbourhoods()));
}

INSTANTIATE_TEST_SUITE_P(Databases, PortugueseOrder,
                         ::testing::Values(TestBackend::SQLite, TestBackend::Firebird,
                                           TestBackend::PostgreSQL),
                         [](const auto& info) { return backendName(info.param).toStdString(); });

// Firebird's ICU and the one Qt uses on SQLite connections agree on every row, and on the
// Portuguese order, when both databases are read in one run.
// The quick path of the SQLite collation decides only where the collator would say the same: random
// names mixing case, accents, digits, blanks and signs, compared both ways.
TEST(PortugueseOrderQuickCompare, AgreesWithTheCollatorEverywhere) {
    const QString alphabet = QStringLiteral("aAbBcCeEzZ09 .-'áÁàâãÃçÇéÉêíóôõúü");
    const QCollator collator = PortugueseCollation::collator();
    quint32 seed = 12345;
    auto next = [&seed](int n) {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 8) % quint32(n));
    };
    auto name = [&] {
        QString s;
        for (int i = next(7); i > 0; --i)
            s += alphabet[next(int(alphabet.size()))];
        return s;
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    int different = 0;
    for (int i = 0; i < 200000; ++i) {
        const QString a = name(), b = i % 3 ? name() : a.left(next(4)) + name();
        QString ta = a, tb = b;
        while (ta.endsWith(u' '))
            ta.chop(1);
        while (tb.endsWith(u' '))
            tb.chop(1);
        const int expected = sign(collator.compare(ta, tb));
        ASSERT_EQ(sign(PortugueseCollation::compare(collator, a, b)), expected)
            << "'" << a.toStdString() << "' vs '" << b.toStdString() << "'";
        different += expected != 0;
    }
    EXPECT_GT(different, 100000);
}

TEST(PortugueseOrderAcrossDatabases, EveryDatabaseListsTheSameRows) {
    TestEnv::reset();
    SharedConnectionKept kept;
    std::vector<TestBackend> backends;
    for (TestBackend b : {TestBackend::SQLite, TestBackend::Firebird, TestBackend::PostgreSQL})
        if (!backendUnavailable(b))
            backends.push_back(b);
    if (backends.size() < 2)
        GTEST_SKIP() << "no server database (ERP_FIREBIRD_URL, ERP_POSTGRES_URL)";
    std::vector<QStringList> listed;
    for (TestBackend b : backends) {
        openNamesDatabase(b);
        QStringList rows = lookupNeighbourhoods(b);
        for (int report = 0; report < 4; ++report)
            rows << runReport(report).codes;
        QSqlQuery q(dtmDBGeral::database());
        EXPECT_TRUE(q.exec("SELECT NMRAZSOCCLIE FROM CLIENTE ORDER BY NMRAZSOCCLIE"));
        while (q.next())
            rows << q.value(0).toString();
        listed.push_back(rows);
    }
    QStringList expected = expectedNeighbourhoods();
    for (int report = 0; report < 4; ++report)
        expected << expectedOrder(report);
    QStringList names;
    for (const Name& n : kNames)
        names << QString::fromUtf8(n.name);
    std::sort(names.begin(), names.end(), portuguese());
    expected << names;
    for (size_t i = 1; i < listed.size(); ++i)
        EXPECT_EQ(utf8(listed[i]), utf8(listed[0])) << backendName(backends[i]).toStdString();
    EXPECT_EQ(utf8(listed[0]), utf8(expected));
}

// A server database made before the names sorted in Portuguese (the schema without the collation),
// as an earlier run leaves it: the schema step still refuses it, and afterwards it sorts like a new one.
TEST(PortugueseOrderOnAnOlderDatabase, SchemaStepBringsTheCollationToTheNameColumns) {
    TestEnv::reset();
    if (auto why = backendUnavailable(TestBackend::Firebird))
        GTEST_SKIP() << why->toStdString();
    const DatabaseUrl url = DatabaseUrl::parse(TestEnv::serverDatabaseUrl(
        QStringLiteral("collation-older-%1").arg(QCoreApplication::applicationPid())));
    FirebirdAdmin::dropDatabase(url);
    FirebirdAdmin::createDatabase(url);
    QStringList names;
    for (const Name& n : kNames)
        names << QString::fromUtf8(n.name);
    QStringList listed;
    {
        QSqlDatabase db = DatabaseConnection::open(url, "collation-older");
        for (QString statement : DemoDatabase::schemaStatements(DatabaseKind::InterBase)) {
            if (statement.contains("CREATE COLLATION"))
                continue;
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(statement.remove(" COLLATE PTBR"))) << q.lastError().text().toStdString();
        }
        for (int i = 0; i < names.size(); ++i) {
            QSqlQuery q(db);
            q.prepare("INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES (?, ?)");
            q.addBindValue(QString::number(i));
            q.addBindValue(names[i]);
            ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
        }
        EXPECT_THROW(DemoDatabase::createSchema(db), EHostError);
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec("SELECT NMFILIAL FROM FILIAL ORDER BY NMFILIAL"));
        while (q.next())
            listed << q.value(0).toString();
    }
    DatabaseConnection::remove("collation-older");
    FirebirdAdmin::dropDatabase(url);
    std::sort(names.begin(), names.end(), portuguese());
    EXPECT_EQ(utf8(listed), utf8(names));
}

} // namespace
