#include "data/DemoDatabase.h"

#include "core/Errors.h"
#include "data/DatabaseUrl.h"
#include "data/FirebirdAdmin.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUuid>
#include <QVariant>
#include <vector>

namespace {

// A small deterministic generator (splitmix64): the same rows on every platform and library.
class Random {
public:
    explicit Random(quint64 seed) : m_state(seed) {}
    quint64 next() {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }
    template <class T> const T& pick(const std::vector<T>& v) { return v[size_t(below(int(v.size())))]; }

private:
    quint64 m_state;
};

struct Municipality {
    QString country, state, code, name;
    std::vector<std::pair<QString, QString>> neighbourhoods; // code, name
    bool registered = true;
};

const QString kBrasil = QStringLiteral("1058");

const std::vector<Municipality>& municipalities() {
    static const std::vector<Municipality> m = {
        {kBrasil,
         "SP",
         "3550308",
         "São Paulo",
         {{"001", "Centro"},
          {"002", "Moema"},
          {"003", "Pinheiros"},
          {"004", "Vila Mariana"},
          {"005", "Tatuapé"},
          {"006", "Santana"}}},
        {kBrasil,
         "SP",
         "3509502",
         "Campinas",
         {{"001", "Centro"}, {"002", "Cambuí"}, {"003", "Barão Geraldo"}, {"004", "Taquaral"}}},
        {kBrasil, "SP", "3548500", "Santos", {{"001", "Centro"}, {"002", "Gonzaga"}, {"003", "Boqueirão"}}},
        {kBrasil,
         "RJ",
         "3304557",
         "Rio de Janeiro",
         {{"001", "Centro"},
          {"002", "Copacabana"},
          {"003", "Tijuca"},
          {"004", "Botafogo"},
          {"005", "Méier"}}},
        {kBrasil, "RJ", "3303302", "Niterói", {{"001", "Centro"}, {"002", "Icaraí"}, {"003", "Ingá"}}},
        {kBrasil,
         "MG",
         "3106200",
         "Belo Horizonte",
         {{"001", "Centro"}, {"002", "Savassi"}, {"003", "Pampulha"}, {"004", "Funcionários"}}},
        {kBrasil, "PR", "4106902", "Curitiba", {{"001", "Centro"}, {"002", "Batel"}, {"003", "Água Verde"}}},
        {kBrasil,
         "RS",
         "4314902",
         "Porto Alegre",
         {{"001", "Centro Histórico"}, {"002", "Moinhos de Vento"}, {"003", "Menino Deus"}}},
        {kBrasil, "BA", "2927408", "Salvador", {{"001", "Centro"}, {"002", "Barra"}, {"003", "Pituba"}}},
        // Neighbourhoods imported before their municipality was registered.
        {kBrasil, "SP", "3552205", "Sorocaba", {{"001", "Centro"}, {"002", "Jardim Vergueiro"}}, false},
    };
    return m;
}

const std::vector<std::pair<QString, QString>> kStates = {
    {"SP", "São Paulo"}, {"RJ", "Rio de Janeiro"},    {"MG", "Minas Gerais"},
    {"PR", "Paraná"},    {"RS", "Rio Grande do Sul"}, {"BA", "Bahia"}};

struct Activity {
    QString code, tree, description;
};
const std::vector<Activity> kActivities = {
    {"01", "1", "Comércio"},
    {"0101", "1.1", "Comércio varejista de alimentos"},
    {"0102", "1.2", "Comércio de materiais de construção"},
    {"0103", "1.3", "Farmácias e drogarias"},
    {"02", "2", "Indústria"},
    {"0201", "2.1", "Indústria têxtil"},
    {"0202", "2.2", "Indústria de alimentos"},
    {"03", "3", "Serviços"},
    {"0301", "3.1", "Restaurantes e bares"},
    {"0302", "3.2", "Consultoria e contabilidade"},
    {"0303", "3.3", "Transporte de cargas"},
    {"04", "4", "Agropecuária"},
};
const std::vector<QString> kLeafActivities = {"0101", "0102", "0103", "0201", "0202",
                                              "0301", "0302", "0303", "04"};

const std::vector<std::pair<QString, QString>> kBranches = {
    {"01", "Matriz - São Paulo"}, {"02", "Filial Rio de Janeiro"}, {"03", "Filial Curitiba"}};

const std::vector<QString> kFirstNames = {
    "Ana",     "João",    "Maria",  "José",   "Francisca", "Antônio", "Adriana",  "Carlos",
    "Juliana", "Paulo",   "Márcia", "Luís",   "Fernanda",  "Marcos",  "Patrícia", "Pedro",
    "Aline",   "Lucas",   "Sandra", "Rafael", "Camila",    "Gabriel", "Letícia",  "Thiago",
    "Beatriz", "Rodrigo", "Vânia",  "Sérgio", "Cláudia",   "Fábio"};
const std::vector<QString> kSurnames = {
    "Silva", "Santos", "Oliveira", "Souza",   "Rodrigues", "Ferreira",  "Alves",     "Pereira", "Lima",
    "Gomes", "Costa",  "Ribeiro",  "Martins", "Carvalho",  "Araújo",    "Melo",      "Barbosa", "Cardoso",
    "Rocha", "Dias",   "Teixeira", "Correia", "Nogueira",  "Conceição", "Magalhães", "Brandão"};
const std::vector<QString> kCompanyCores = {
    "Pão Dourado", "Boa Vista",  "Estrela do Sul", "Horizonte", "Ipê Amarelo", "Tropical", "Bandeirantes",
    "Serra Azul",  "Vale Verde", "Aurora",         "Paraíso",   "Três Irmãos", "Nova Era", "Central",
    "Primavera",   "Jequitibá",  "Atlântico",      "Guanabara", "Cruzeiro",    "São Jorge"};
const std::vector<QString> kCompanyKinds = {"Comércio de Alimentos",
                                            "Materiais de Construção",
                                            "Drogaria",
                                            "Confecções",
                                            "Indústria Alimentícia",
                                            "Restaurante",
                                            "Contabilidade",
                                            "Transportes",
                                            "Agropecuária",
                                            "Distribuidora"};
const std::vector<QString> kCompanySuffixes = {"Ltda", "S.A.", "ME", "EIRELI", "Ltda - EPP"};
const std::vector<QString> kOthers = {"Associação dos Moradores", "Condomínio Edifício", "Paróquia",
                                      "Cooperativa Agrícola",     "Instituto Cultural",  "Clube Recreativo",
                                      "Sindicato Rural",          "Fundação Educacional"};
const std::vector<QString> kStreets = {
    "Rua das Flores",       "Avenida Brasil",         "Rua XV de Novembro",
    "Rua Sete de Setembro", "Avenida Paulista",       "Rua Tiradentes",
    "Rua Dom Pedro II",     "Travessa São João",      "Avenida Getúlio Vargas",
    "Rua Marechal Deodoro", "Alameda Santos",         "Rua da Consolação",
    "Praça da Sé",          "Rua Barão do Rio Branco"};

QString digits(Random& r, int n) {
    QString s;
    for (int i = 0; i < n; ++i)
        s += QChar('0' + r.below(10));
    return s;
}

// Check digit of the CPF / CNPJ kind: weighted sum modulo 11.
QChar checkDigit(const QString& base, const std::vector<int>& weights) {
    int sum = 0;
    for (size_t i = 0; i < weights.size(); ++i)
        sum += (base[int(i)].unicode() - '0') * weights[i];
    const int rest = sum % 11;
    return QChar('0' + (rest < 2 ? 0 : 11 - rest));
}

QString cpf(Random& r) {
    QString b = digits(r, 9);
    b += checkDigit(b, {10, 9, 8, 7, 6, 5, 4, 3, 2});
    b += checkDigit(b, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2});
    return QStringLiteral("%1.%2.%3-%4").arg(b.mid(0, 3), b.mid(3, 3), b.mid(6, 3), b.mid(9, 2));
}

QString cnpj(Random& r) {
    QString b = digits(r, 8) + QStringLiteral("0001");
    b += checkDigit(b, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2});
    b += checkDigit(b, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2});
    return QStringLiteral("%1.%2.%3/%4-%5")
        .arg(b.mid(0, 2), b.mid(2, 3), b.mid(5, 3), b.mid(8, 4), b.mid(12, 2));
}

QString schemaPath() {
    QStringList dirs;
    if (qEnvironmentVariableIsSet("ERP_DB_DIR"))
        dirs << qEnvironmentVariable("ERP_DB_DIR");
#ifdef ERP_DB_DIR
    dirs << QStringLiteral(ERP_DB_DIR);
#endif
    if (QCoreApplication::instance()) {
        const QString app = QCoreApplication::applicationDirPath();
        dirs << app + QStringLiteral("/../share/erp/db") << app + QStringLiteral("/db");
    }
    for (const QString& d : dirs) {
        const QString p = QDir(d).filePath(QStringLiteral("schema.sql"));
        if (QFileInfo::exists(p))
            return p;
    }
    throw EHostError(QStringLiteral("O esquema do banco de dados (schema.sql) não foi encontrado em: %1")
                         .arg(dirs.join(", ")));
}

void execOrThrow(QSqlQuery& q, const QString& what) {
    if (!q.exec())
        throw EHostError(QStringLiteral("Erro ao gravar %1 no banco de demonstração: %2")
                             .arg(what, q.lastError().text().trimmed()));
}

QSqlQuery prepared(QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    if (!q.prepare(sql))
        throw EHostError(QStringLiteral("Erro ao preparar a gravação do banco de demonstração: %1")
                             .arg(q.lastError().text().trimmed()));
    return q;
}

void insertRow(QSqlQuery& q, const QVariantList& values, const QString& what) {
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    execOrThrow(q, what);
}

// Writes rows many at a time: SQLite takes multi-row VALUES; Firebird an EXECUTE BLOCK of inserts
// fed by typed input parameters (its body writes ": Vn", a form Qt does not take for a
// placeholder). Either way one round trip carries a whole batch.
class BatchInserter {
public:
    struct Column {
        const char* name;
        const char* type; // Firebird type of the input parameter
    };

    BatchInserter(QSqlDatabase& db, QString table, std::vector<Column> columns)
        : m_db(db), m_table(std::move(table)), m_columns(std::move(columns)),
          m_firebird(DatabaseConnection::isFirebird(db)) {
        // Firebird's input message stays under 64 KB; SQLite under its 32766 variables.
        int bytes = 0;
        for (const Column& c : m_columns) {
            const QString t = QString::fromLatin1(c.type);
            const int open = t.indexOf('(');
            bytes += open > 0 ? t.mid(open + 1, t.indexOf(')') - open - 1).toInt() * 4 + 4 : 8;
        }
        m_batch = m_firebird ? std::clamp(60000 / std::max(bytes, 1), 1, 200) : 200;
    }

    void add(QVariantList row) {
        m_pending.push_back(std::move(row));
        if (int(m_pending.size()) == m_batch)
            flush();
    }

    void flush() {
        if (m_pending.empty())
            return;
        const int n = int(m_pending.size());
        QSqlQuery partial(m_db);
        QSqlQuery& q = n == m_batch ? m_full : partial;
        if (n != m_batch || !m_fullPrepared) {
            if (!q.prepare(statement(n)))
                throw EHostError(QStringLiteral("Erro ao preparar a gravação de %1: %2")
                                     .arg(m_table, q.lastError().text().trimmed()));
            m_fullPrepared = m_fullPrepared || n == m_batch;
        }
        int at = 0;
        for (const QVariantList& row : m_pending)
            for (const QVariant& v : row)
                q.bindValue(at++, v);
        execOrThrow(q, m_table);
        m_pending.clear();
    }

private:
    QString statement(int rows) const {
        QStringList names;
        for (const Column& c : m_columns)
            names << QString::fromLatin1(c.name);
        const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(m_table, names.join(", "));
        if (!m_firebird) {
            const QString one = '(' + QStringList(int(m_columns.size()), QStringLiteral("?")).join(',') + ')';
            return insert + QStringList(rows, one).join(',');
        }
        QStringList params, body;
        for (int r = 0; r < rows; ++r) {
            QStringList values;
            for (size_t c = 0; c < m_columns.size(); ++c) {
                const QString v = QStringLiteral("V%1_%2").arg(r).arg(c);
                params << v + ' ' + QString::fromLatin1(m_columns[c].type) + QStringLiteral(" = ?");
                values << QStringLiteral(": ") + v;
            }
            body << insert + '(' + values.join(", ") + QStringLiteral(");");
        }
        return QStringLiteral("EXECUTE BLOCK (%1) AS BEGIN %2 END").arg(params.join(", "), body.join(' '));
    }

    QSqlDatabase& m_db;
    QString m_table;
    std::vector<Column> m_columns;
    bool m_firebird;
    int m_batch = 1;
    std::vector<QVariantList> m_pending;
    QSqlQuery m_full{m_db};
    bool m_fullPrepared = false;
};

} // namespace

namespace DemoDatabase {

QString defaultSqlitePath() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.local/share/erp");
    return QDir(dir).filePath(QStringLiteral("demo.db"));
}

QString defaultSqliteUrl() {
    return QStringLiteral("sqlite:") + defaultSqlitePath();
}

QString ensureDefault() {
    const QString path = defaultSqlitePath();
    if (!QFileInfo::exists(path)) {
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            throw EHostError(
                QStringLiteral("Não foi possível criar a pasta '%1'.").arg(QFileInfo(path).absolutePath()));
        // Written under another name first, so that a failed run leaves no half-filled database.
        const QString partial = path + QStringLiteral(".part");
        QFile::remove(partial);
        try {
            create(QStringLiteral("sqlite:") + partial);
        } catch (...) {
            QFile::remove(partial);
            throw;
        }
        if (!QFile::rename(partial, path))
            throw EHostError(
                QStringLiteral("Não foi possível gravar o banco de demonstração '%1'.").arg(path));
    }
    return defaultSqliteUrl();
}

QStringList schemaStatements(DatabaseKind kind) {
    const QString path = schemaPath();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        throw EHostError(
            QStringLiteral("Não foi possível ler o esquema '%1': %2").arg(path, f.errorString()));
    const QString me =
        kind == DatabaseKind::InterBase ? QStringLiteral("firebird") : QStringLiteral("sqlite");
    QStringList out;
    QString current;
    QString only;
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1String("-- only:"))) {
            only = line.mid(8).trimmed();
            continue;
        }
        if (line.startsWith(QLatin1String("--")) || (line.isEmpty() && current.isEmpty()))
            continue;
        current += raw + '\n';
        if (line.endsWith(';')) {
            current = current.trimmed();
            current.chop(1);
            if (only.isEmpty() || only == me)
                out << current;
            current.clear();
            only.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        throw EHostError(QStringLiteral("O esquema '%1' termina sem ';'.").arg(path));
    return out;
}

void createSchema(QSqlDatabase& db) {
    const DatabaseKind kind =
        DatabaseConnection::isFirebird(db) ? DatabaseKind::InterBase : DatabaseKind::SQLite;
    if (db.tables().contains(QStringLiteral("CLIENTE"), Qt::CaseInsensitive))
        throw EHostError(QStringLiteral("O banco de dados já contém as tabelas de clientes."));
    // One statement per transaction: Firebird will not use a table in the transaction that made it.
    for (const QString& statement : schemaStatements(kind)) {
        QSqlQuery q(db);
        if (!q.exec(statement))
            throw EHostError(QStringLiteral("Erro ao criar o esquema: %1\n%2")
                                 .arg(q.lastError().text().trimmed(), statement));
    }
}

void fill(QSqlDatabase& db, int clients, const std::function<void(int)>& progress) {
    if (!db.transaction())
        throw EHostError(
            QStringLiteral("Não foi possível iniciar a transação: %1").arg(db.lastError().text()));
    try {
        QSqlQuery pais = prepared(db, "INSERT INTO PAIS (CDPAIS, NMPAIS) VALUES (?, ?)");
        insertRow(pais, {kBrasil, QStringLiteral("Brasil")}, "PAIS");
        insertRow(pais, {QStringLiteral("0639"), QStringLiteral("Argentina")}, "PAIS");
        QSqlQuery estado = prepared(db, "INSERT INTO ESTADO (CDPAIS, SGESTADO, NMESTADO) VALUES (?, ?, ?)");
        for (const auto& [code, name] : kStates)
            insertRow(estado, {kBrasil, code, name}, "ESTADO");
        QSqlQuery muni = prepared(
            db, "INSERT INTO MUNICIPIO (CDPAIS, SGESTADO, CDMUNICIPIO, NMMUNICIPIO) VALUES (?, ?, ?, ?)");
        QSqlQuery bairro = prepared(
            db,
            "INSERT INTO BAIRRO (CDPAIS, SGESTADO, CDMUNICIPIO, CDBAIRRO, NMBAIRRO) VALUES (?, ?, ?, ?, ?)");
        for (const Municipality& m : municipalities()) {
            if (m.registered)
                insertRow(muni, {m.country, m.state, m.code, m.name}, "MUNICIPIO");
            for (const auto& [code, name] : m.neighbourhoods)
                insertRow(bairro, {m.country, m.state, m.code, code, name}, "BAIRRO");
        }
        QSqlQuery ativ =
            prepared(db, "INSERT INTO ATIVCLIENTE (CDATIVCLI, CDARVATIVCLI, DSATIVCLI) VALUES (?, ?, ?)");
        for (const Activity& a : kActivities)
            insertRow(ativ, {a.code, a.tree, a.description}, "ATIVCLIENTE");
        QSqlQuery filial = prepared(db, "INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES (?, ?)");
        for (const auto& [code, name] : kBranches)
            insertRow(filial, {code, name}, "FILIAL");

        BatchInserter cliente(db, "CLIENTE",
                              {{"CDCLIENTE", "VARCHAR(21)"},
                               {"IDTPIJURCLIE", "VARCHAR(1)"},
                               {"NRINSJURCLIE", "VARCHAR(20)"},
                               {"NMFANTCLIE", "VARCHAR(50)"},
                               {"NMRAZSOCCLIE", "VARCHAR(50)"},
                               {"DTNASCCLIE", "DATE"},
                               {"CDATIVCLI", "VARCHAR(10)"},
                               {"CDFILIAL", "VARCHAR(10)"},
                               {"IDTPORCAEVEN", "VARCHAR(1)"}});
        BatchInserter ende(db, "ENDECLIE",
                           {{"CDCLIENTE", "VARCHAR(21)"},
                            {"NRSEQENDECLIE", "INTEGER"},
                            {"IDTPENDECLIE", "VARCHAR(1)"},
                            {"DSENDECLIE", "VARCHAR(50)"},
                            {"CDPAIS", "VARCHAR(4)"},
                            {"SGESTADO", "VARCHAR(2)"},
                            {"CDMUNICIPIO", "VARCHAR(7)"},
                            {"CDBAIRRO", "VARCHAR(7)"}});

        std::vector<const Municipality*> registered;
        const Municipality* unregistered = nullptr;
        for (const Municipality& m : municipalities()) {
            if (m.registered)
                registered.push_back(&m);
            else
                unregistered = &m;
        }

        Random r(318);
        const int width = std::max(6, int(QString::number(clients).size()));
        for (int i = 1; i <= clients; ++i) {
            const QString code = QStringLiteral("%1").arg(i, width, 10, QChar('0'));
            const int kind = i % 10;
            const QString type = kind <= 5   ? QStringLiteral("F")
                                 : kind <= 8 ? QStringLiteral("J")
                                             : QStringLiteral("O");
            QString fantasy, legal, registration;
            if (type == "F") {
                const QString first = r.pick(kFirstNames), s1 = r.pick(kSurnames), s2 = r.pick(kSurnames);
                legal = first + ' ' + s1 + ' ' + s2;
                fantasy = first + ' ' + s2;
                registration = cpf(r);
            } else if (type == "J") {
                fantasy = r.pick(kCompanyCores);
                legal = r.pick(kCompanyKinds) + ' ' + fantasy + ' ' + r.pick(kCompanySuffixes);
                registration = cnpj(r);
            } else {
                const QString m = r.pick(registered)->name;
                legal = r.pick(kOthers) + ' ' + r.pick(kCompanyCores) + QStringLiteral(" de ") + m;
                fantasy = legal.left(50);
                registration = cnpj(r);
            }
            // Months cycle so that every month has birthdays.
            const int month = 1 + (i - 1) % 12;
            const int year = type == "F" ? 1940 + r.below(66) : 1950 + r.below(71);
            const int day = 1 + r.below(QDate(year, month, 1).daysInMonth());
            cliente.add({code, type, registration, fantasy.left(50), legal.left(50), QDate(year, month, day),
                         r.pick(kLeafActivities), r.pick(kBranches).first,
                         r.below(2) ? QStringLiteral("E") : QStringLiteral("O")});

            auto address = [&](int seq, const QString& addressType, const Municipality& m) {
                const auto& [bairroCode, bairroName] = r.pick(m.neighbourhoods);
                const QString street = QStringLiteral("%1, %2").arg(r.pick(kStreets)).arg(1 + r.below(3000));
                ende.add({code, seq, addressType, street, m.country, m.state, m.code, bairroCode});
            };
            const int slot = i % 20;
            if (slot == 7)
                ; // no address at all
            else if (slot == 13)
                address(1, QStringLiteral("C"), *r.pick(registered)); // billing only, no main address
            else {
                address(1, QStringLiteral("P"), i % 50 == 25 ? *unregistered : *r.pick(registered));
                if (i % 5 == 0)
                    address(2, QStringLiteral("C"), *r.pick(registered));
                if (i % 11 == 0)
                    address(3, QStringLiteral("E"), *r.pick(registered));
            }
            if (progress && (i % 1000 == 0 || i == clients))
                progress(i);
        }
        cliente.flush();
        ende.flush();
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        throw EHostError(
            QStringLiteral("Não foi possível gravar o banco de demonstração: %1").arg(db.lastError().text()));
}

void create(const QString& url, int clients, const std::function<void(int)>& progress) {
    const DatabaseUrl parsed = DatabaseUrl::parse(url);
    if (parsed.kind == DatabaseKind::InterBase) {
        DatabaseConnection::prepareFirebirdEnvironment();
        bool exists = parsed.isServer() ? false : QFileInfo::exists(parsed.path);
        if (!exists) {
            try {
                FirebirdAdmin::createDatabase(parsed);
            } catch (const EHostError& e) {
                // On a server we cannot look at the file: an existing database is fine, it is
                // checked for tables below.
                if (!parsed.isServer() || !e.message().contains(QLatin1String("exist")))
                    throw;
            }
        }
    } else if (parsed.path != QLatin1String(":memory:")) {
        QDir().mkpath(QFileInfo(parsed.path).absolutePath());
    }
    const QString name = QStringLiteral("demo-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = DatabaseConnection::open(parsed, name);
        try {
            createSchema(db);
            fill(db, clients, progress);
        } catch (...) {
            db.close();
            db = QSqlDatabase();
            DatabaseConnection::remove(name);
            throw;
        }
    }
    DatabaseConnection::remove(name);
}

} // namespace DemoDatabase
