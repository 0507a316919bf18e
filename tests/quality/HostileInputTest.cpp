// Keys and names that break naive SQL or a naive selection format, through the lookup, the
// selection text and the report, on SQLite and on the Firebird server: each selection gives exactly
// its clients, no SQL error, and a key that looks like SQL is only data. Then every client of a
// large database at once (only when ERP_LARGE_TESTS is not 0), and the date texts of the fuzzer's
// corpus typed into the real date edit.
#include "ModuleScreen.h"
#include "QualityDatabases.h"
#include "library/FiliProc.h"

#include "core/Errors.h"
#include "core/HostSettings.h"
#include "data/dtmDBGeral.h"
#include "demo/DemoDatabase.h"
#include "library/DateText.h"
#include "library/SelectionText.h"
#include "library/TDateEditPlus.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportDocument_p.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Hostile {
    const char* key;
    const char* name;
};

// 21 characters is the full width of CDCLIENTE.
const Hostile hostile[] = {
    {"O'Brien", "O'Brien & Filhos"},
    {"''", "Aspas 'duplas' \"e\" simples"},
    {"A|B", "Separador | no meio"},
    {"|", "Só o separador"},
    {"100%", "Cem por cento %"},
    {"%", "Curinga %"},
    {"a_b", "Sublinhado _"},
    {"_", "Curinga _"},
    {"José-Ação", "Açúcar União São João"},
    {"123456789012345678901", "Chave de 21 caracteres"},
    {"'; DROP TABLE CLIENTE", "Robert'); DROP TABLE CLIENTE;--"},
    {"T", "Chave igual a T"},
    {"#L1:1:x", "Parece uma seleção"},
    {"1:", "Dois pontos"},
    {" lead", " espaço à esquerda"},
};

QString text(const char* s) {
    return QString::fromUtf8(s);
}

// Writes the hostile clients (again) into the open database, in branch 01 with a line of business.
void writeHostileClients() {
    QSqlDatabase db = dtmDBGeral::database();
    QSqlQuery ramo(db);
    ASSERT_TRUE(ramo.exec(QStringLiteral("SELECT MIN(CDATIVCLI) FROM ATIVCLIENTE")) && ramo.next());
    const QString cdativ = ramo.value(0).toString();
    ramo.finish();
    // The lookup lists clients with a main address in a registered municipality.
    QSqlQuery muni(db);
    ASSERT_TRUE(
        muni.exec(QStringLiteral("SELECT CDPAIS, SGESTADO, CDMUNICIPIO FROM MUNICIPIO ORDER BY 1, 2, 3")) &&
        muni.next());
    const QVariantList place{muni.value(0), muni.value(1), muni.value(2)};
    muni.finish();
    ASSERT_TRUE(db.transaction());
    struct Rollback {
        QSqlDatabase& db;
        bool done = false;
        ~Rollback() {
            if (!done)
                db.rollback(); // a failed insert must not leave the shared connection in a transaction
        }
    } rollback{db};
    for (const Hostile& h : hostile) {
        QSqlQuery q(db);
        for (const char* table : {"ENDECLIE", "CLIENTE"}) {
            q.prepare(QStringLiteral("DELETE FROM %1 WHERE CDCLIENTE = ?").arg(QLatin1String(table)));
            q.addBindValue(text(h.key));
            ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
        }
        q.prepare(QStringLiteral(
            "INSERT INTO CLIENTE (CDCLIENTE, IDTPIJURCLIE, NMRAZSOCCLIE, NMFANTCLIE, CDATIVCLI, "
            "CDFILIAL, IDTPORCAEVEN) VALUES (?, 'J', ?, ?, ?, '01', 'O')"));
        q.addBindValue(text(h.key));
        q.addBindValue(text(h.name));
        q.addBindValue(text(h.name));
        q.addBindValue(cdativ);
        ASSERT_TRUE(q.exec()) << h.key << ": " << q.lastError().text().toStdString();
        q.prepare(QStringLiteral(
            "INSERT INTO ENDECLIE (CDCLIENTE, NRSEQENDECLIE, IDTPENDECLIE, DSENDECLIE, CDPAIS, "
            "SGESTADO, CDMUNICIPIO) VALUES (?, 1, 'P', ?, ?, ?, ?)"));
        q.addBindValue(text(h.key));
        q.addBindValue(QStringLiteral("Rua D'Ouro, 100% | _ nº 7"));
        for (const QVariant& v : place)
            q.addBindValue(v);
        ASSERT_TRUE(q.exec()) << h.key << ": " << q.lastError().text().toStdString();
    }
    ASSERT_TRUE(db.commit());
    rollback.done = true;
}

int clientCount() {
    QSqlQuery q(dtmDBGeral::database());
    return q.exec(QStringLiteral("SELECT COUNT(*) FROM CLIENTE")) && q.next() ? q.value(0).toInt() : -1;
}

class HostileInput : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        url = QualityDb::urlFor(QString::fromStdString(GetParam()));
        if (url.isEmpty())
            GTEST_SKIP() << "the server's URL (ERP_FIREBIRD_URL, ERP_POSTGRES_URL) is not set";
        TestEnv::reset();
        QualityDb::open(url);
        SetFilial(QStringLiteral("01"));
        HostSettings::setReportsDir(TestEnv::sourceDir() + QStringLiteral("/reports"));
        screen.load();
        ASSERT_NE(screen.open(), nullptr);
        screen.pickVariant(1); // clients by line of business: client list, no dates
    }
    void TearDown() override {
        if (screen.loaded()) {
            screen.close();
            screen.unload();
        }
    }

    // Lookup choosing `keys` (each must be offered, with its exact name), then the report's rows.
    QStringList run(const QStringList& keys, QStringList* offeredNames = nullptr) {
        TestEnv::dialogs().clear();
        screen.lookupClients(TestEnv::dialogs(), [&](const LookupRequest& r) -> std::optional<QStringList> {
            const TDataSet* rows = r.dataSource->DataSet();
            QStringList present;
            for (int i = 0; i < rows->RecordCount(); ++i) {
                const QString key = rows->text(i, r.keyField);
                if (keys.contains(key)) {
                    present << key;
                    if (offeredNames)
                        *offeredNames << rows->text(i, QStringLiteral("NMRAZSOCCLIE"));
                }
            }
            return present;
        });
        QStringList shown;
        TestEnv::dialogs().onPreview = [&](ReportDocument& doc) {
            for (int i = 0; i < doc.rowCount(); ++i)
                shown << ReportDocumentRows::cell(doc, i, QStringLiteral("CDCLIENTE"));
        };
        screen.click("sbtPreview");
        return shown;
    }

    QString url;
    ModuleScreen screen;
};

TEST_P(HostileInput, EachKeyAloneAndAllTogetherGiveExactlyTheirClients) {
    writeHostileClients();
    const int clients = clientCount();
    QStringList all;
    int cases = 0;
    for (const Hostile& h : hostile) {
        const QString key = text(h.key);
        all << key;
        QStringList names;
        const QStringList shown = run({key}, &names);
        EXPECT_TRUE(TestEnv::dialogs().errors().isEmpty())
            << h.key << ": " << TestEnv::dialogs().errors().join('\n').toStdString();
        EXPECT_EQ(names, QStringList{text(h.name)}) << h.key;
        EXPECT_EQ(screen.listaCliente(), SelectionText::encode({key})) << h.key;
        EXPECT_EQ(shown, QStringList{key}) << h.key;
        ++cases;
    }
    QStringList shown = run(all);
    EXPECT_TRUE(TestEnv::dialogs().errors().isEmpty())
        << TestEnv::dialogs().errors().join('\n').toStdString();
    shown.sort();
    all.sort();
    EXPECT_EQ(shown, all);
    // Wider than any key column: matches nothing, and stays data.
    TestEnv::dialogs().clear();
    screen.get<TRadioButton>("rbtLCliente")->SetChecked(true);
    screen.setListaCliente(SelectionText::encode({QStringLiteral("'; DROP TABLE CLIENTE; --")}));
    int rows = -1;
    TestEnv::dialogs().onPreview = [&](ReportDocument& doc) { rows = doc.rowCount(); };
    screen.click("sbtPreview");
    EXPECT_TRUE(TestEnv::dialogs().errors().isEmpty())
        << TestEnv::dialogs().errors().join('\n').toStdString();
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(clientCount(), clients); // nothing dropped, nothing added
    std::printf("hostile input (%s): %d keys alone and together, %d clients intact\n", GetParam().c_str(),
                cases, clients);
}

// A selection text made by hand that the lookup never writes: refused with a message, not run.
TEST_P(HostileInput, ForgedSelectionTextIsRefused) {
    for (const char* forged : {"#L1:99:x", "' OR 1=1 --", "#L1:-1:", "|1|2|"}) {
        TestEnv::dialogs().clear();
        screen.get<TRadioButton>("rbtLCliente")->SetChecked(true);
        screen.setListaCliente(text(forged));
        bool previewed = false;
        TestEnv::dialogs().onPreview = [&](ReportDocument&) { previewed = true; };
        screen.click("sbtPreview");
        EXPECT_FALSE(previewed) << forged;
        EXPECT_EQ(TestEnv::dialogs().errors().size(), 1) << forged;
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, HostileInput,
                         ::testing::Values(std::string("sqlite"), std::string("firebird"),
                                           std::string("postgres")),
                         [](const auto& info) { return info.param; });

// Every client the lookup offers on a database of 100,000, picked at once: the report lists exactly
// those of the branch.
class LargeSelection : public HostileInput {};

TEST_P(LargeSelection, EveryClientPicked) {
    if (!QualityDb::largeTests())
        GTEST_SKIP() << "ERP_LARGE_TESTS=0";
    QString largeUrl;
    QTemporaryDir dir;
    if (GetParam() == "sqlite") {
        largeUrl = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("large.db"));
    } else {
        largeUrl = QualityDb::largeServerUrl(QString::fromStdString(GetParam()),
                                             QStringLiteral("erp_quality_large"));
    }
    try {
        DemoDatabase::create(largeUrl, 100000);
    } catch (const EHostError& e) {
        ASSERT_TRUE(e.message().contains(QStringLiteral("já contém"))) << e.message().toStdString();
    }
    QualityDb::open(largeUrl);
    TestEnv::dialogs().clear();
    QStringList picked;
    screen.lookupClients(TestEnv::dialogs(), [&](const LookupRequest& r) -> std::optional<QStringList> {
        const TDataSet* rows = r.dataSource->DataSet();
        for (int i = 0; i < rows->RecordCount(); ++i)
            picked << rows->text(i, r.keyField);
        return picked;
    });
    // The lookup offers the clients with a main address; the report keeps those of the branch.
    QSet<QString> expected;
    {
        QSqlQuery q(dtmDBGeral::database());
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT CDCLIENTE FROM CLIENTE WHERE CDFILIAL = '01'")));
        QSet<QString> branch;
        while (q.next())
            branch.insert(q.value(0).toString());
        for (const QString& k : picked)
            if (branch.contains(k))
                expected.insert(k);
    }
    EXPECT_GT(picked.size(), 50000);
    QSet<QString> shown;
    int rows = 0;
    TestEnv::dialogs().onPreview = [&](ReportDocument& doc) {
        rows = doc.rowCount();
        for (int i = 0; i < rows; ++i)
            shown.insert(ReportDocumentRows::cell(doc, i, QStringLiteral("CDCLIENTE")));
    };
    screen.click("sbtPreview");
    EXPECT_TRUE(TestEnv::dialogs().errors().isEmpty())
        << TestEnv::dialogs().errors().join('\n').toStdString();
    EXPECT_EQ(rows, expected.size());
    EXPECT_TRUE(shown == expected);
    std::printf("large selection (%s): %lld clients picked, %d in the report\n", GetParam().c_str(),
                qlonglong(picked.size()), rows);
    QualityDb::open(url);
}

INSTANTIATE_TEST_SUITE_P(Databases, LargeSelection,
                         ::testing::Values(std::string("sqlite"), std::string("firebird"),
                                           std::string("postgres")),
                         [](const auto& info) { return info.param; });

// The fuzzer's date seeds (first byte: style) typed key by key into the real edit: the edit holds a
// date only when the text is a real date of its style, and its check refuses every other text.
TEST(HostileDates, CorpusTypedIntoTheEdit) {
    const QDir corpus(TestEnv::sourceDir() + QStringLiteral("/fuzz/corpus/date_text"));
    const QFileInfoList seeds = corpus.entryInfoList(QDir::Files, QDir::Name);
    ASSERT_FALSE(seeds.isEmpty());
    int typed = 0;
    for (const QFileInfo& seed : seeds) {
        QFile f(seed.absoluteFilePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        if (bytes.isEmpty())
            continue;
        const int style = bytes[0] & 1;
        const QString keys = QString::fromUtf8(bytes.mid(1));
        TestEnv::dialogs().clear();
        TDateEditPlus edit;
        edit.SetEditStyle(style);
        edit.show();
        edit.setFocus();
        for (const QChar c : keys) {
            if (c.unicode() < 0x7f) {
                QTest::keyClick(&edit, char(c.unicode()));
            } else { // QTest maps ASCII only; anything else arrives as text, as from an input method
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QCoreApplication::sendEvent(&edit, &press);
            }
        }
        const QString shown = edit.Text();
        const std::optional<QDate> expected = DateText::toDate(edit.text(), style);
        bool refused = false;
        try {
            edit.CheckValidDate();
        } catch (const EAbort&) {
            refused = true;
        } catch (const EHostError&) {
            refused = true;
        }
        if (expected) {
            EXPECT_TRUE(edit.GetDate() != 0 || *expected == QDate(1899, 12, 30))
                << seed.fileName().toStdString();
            EXPECT_FALSE(refused) << seed.fileName().toStdString() << " " << shown.toStdString();
            EXPECT_TRUE(DateText::inRange(*expected));
        } else if (!DateText::hasDigit(edit.text())) {
            EXPECT_FALSE(refused) << seed.fileName().toStdString(); // an empty edit is valid
        } else {
            EXPECT_TRUE(refused || !TestEnv::dialogs().errors().isEmpty())
                << seed.fileName().toStdString() << " accepted " << shown.toStdString();
        }
        ++typed;
    }
    std::printf("hostile dates: %d corpus texts typed into the edit\n", typed);
}

// Every report definition of the fuzzer's corpus (crashes it found included) reads or is refused
// with EHostError; "{}" once escaped as an exception type no caller could catch.
TEST(FuzzRegressions, ReportDefinitionsReadOrRefuse) {
    const QDir corpus(TestEnv::sourceDir() + QStringLiteral("/fuzz/corpus/report_definition"));
    int read = 0, refused = 0;
    for (const QFileInfo& seed : corpus.entryInfoList(QDir::Files, QDir::Name)) {
        QFile f(seed.absoluteFilePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QJsonDocument doc = QJsonDocument::fromJson(f.readAll());
        if (!doc.isObject())
            continue;
        try {
            const ReportDefinition def = ReportDefinition::fromJson(doc.object());
            EXPECT_EQ(ReportDefinition::fromJson(def.toJson()).toJson(), def.toJson())
                << seed.fileName().toStdString();
            ++read;
        } catch (const EHostError& e) {
            EXPECT_FALSE(e.message().isEmpty());
            ++refused;
        }
    }
    EXPECT_GT(read, 0);
    EXPECT_GT(refused, 0);
}

} // namespace
