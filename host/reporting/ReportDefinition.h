#pragma once
// A report definition: one JSON file in the folder of its report code under the reports directory.
// It holds everything a run needs: title, order in the list, the SQL with optional texts per
// database, the list parameters, the columns, the grouping and the page set-up.
#include "data/dtmDBGeral.h"
#include "host_export.h"

#include <QJsonObject>
#include <QList>
#include <QMarginsF>
#include <QPageLayout>
#include <QString>
#include <QStringList>

struct HOST_EXPORT ReportColumn {
    enum class Overflow { Elide, Wrap };
    QString field; // result column, upper case
    QString header;
    double width = 20; // millimetres as designed; scaled to the printable width
    Qt::Alignment alignment = Qt::AlignLeft;
    Overflow overflow = Overflow::Elide;
    QString format; // "" (text), "date" (dd/MM/yyyy), "daymonth" (dd/MM)
};

struct HOST_EXPORT ReportGrouping {
    QString field;  // rows with the same value of this field form a group (the SQL orders by it)
    QString header; // caption of the group, with {FIELD} replaced by the row's values
    QString countLabel = QStringLiteral("Registros no grupo");
    bool enabled() const { return !field.isEmpty(); }
};

struct HOST_EXPORT ReportPageSetup {
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QString paper = QStringLiteral("A4"); // "A4", "Letter", "Legal", "A3"
    QMarginsF marginsMm{10, 10, 10, 10};
    double fontSize = 8; // points, detail rows
    QPageLayout layout() const;
    // True for the paper names above.
    static bool knownPaper(const QString& name);
};

class HOST_EXPORT ReportDefinition {
public:
    QString title;
    int order = 0;    // the position in the screen's list, which the screen's filter rules follow
    int variant = -1; // a copy made with save as: the position whose filter rules it follows
    QString sql;      // the text for any database without a text of its own
    QString sqlIb;    // InterBase / Firebird
    QString sqlOracle;
    QString sqlMssql;
    QStringList listParameters; // placeholders that receive a selection text (or "T")
    QList<ReportColumn> columns;
    ReportGrouping group;
    QString totalLabel = QStringLiteral("Total de registros");
    ReportPageSetup page;

    // The text that suits the database, the plain SQL when it has none of its own.
    QString sqlFor(DatabaseKind kind) const;
    // The report's parameters: exactly the placeholders of the text for that database.
    QStringList parameterNames(DatabaseKind kind) const;

    // Throws EHostError naming the file and what is wrong with it.
    static ReportDefinition load(const QString& path);
    // From a parsed document; throws EHostError saying what is wrong (load adds the file).
    static ReportDefinition fromJson(const QJsonObject& json);
    QJsonObject toJson() const;
    QByteArray toBytes() const;
    // Atomic: a temporary file that replaces the target only when completely written.
    void save(const QString& path) const;

    // Empty when the definition is complete and consistent; otherwise what is wrong.
    QString problem() const;
};
