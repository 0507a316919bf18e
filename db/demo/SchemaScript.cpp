#include "demo/SchemaScript.h"

#include "core/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace SchemaScript {

QString path() {
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

QStringList statements(DatabaseKind kind) {
    const QString path = SchemaScript::path();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        throw EHostError(
            QStringLiteral("Não foi possível ler o esquema '%1': %2").arg(path, f.errorString()));
    const QString me = kind == DatabaseKind::InterBase    ? QStringLiteral("firebird")
                       : kind == DatabaseKind::PostgreSQL ? QStringLiteral("postgres")
                                                          : QStringLiteral("sqlite");
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

} // namespace SchemaScript
