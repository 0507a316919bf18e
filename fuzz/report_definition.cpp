// Report definition reader: any document is read or refused with EHostError; a definition that
// reads writes out a document that reads again to the same document.
#include "core/Errors.h"
#include "data/Dialect.h"
#include "reporting/ReportDefinition.h"

#include <QJsonDocument>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QJsonDocument doc =
        QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!doc.isObject())
        return 0;
    ReportDefinition def;
    try {
        def = ReportDefinition::fromJson(doc.object());
    } catch (const EHostError&) {
        return 0;
    }
    def.problem();
    def.page.layout();
    for (DatabaseKind kind : {DatabaseKind::SQLite, DatabaseKind::InterBase, DatabaseKind::Oracle,
                              DatabaseKind::MSSQL, DatabaseKind::PostgreSQL})
        def.parameterNames(kind);
    const QJsonObject written = def.toJson();
    try {
        if (ReportDefinition::fromJson(written).toJson() != written)
            abort();
    } catch (const EHostError&) {
        abort(); // what we wrote must read back
    }
    return 0;
}
