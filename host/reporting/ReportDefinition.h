#pragma once
// A report definition: one JSON file in the folder of its report code under the reports directory.
// It holds everything a run needs: title, order in the list, the SQL with optional texts per
// database, the list parameters, the columns, the grouping, the criteria printed under the title and
// the page set-up.
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
    // The most characters the field holds (its size in the database), 0 when not said. Such a column
    // is never cut: an "elide" one is made wide enough for that many of the font's widest
    // characters (and wraps when the page is narrower still), a "wrap" one for half of them.
    int chars = 0;
};

// One line of the criteria block under the title of the first page: "label: what the run was
// filtered by", worked out from the parameter values the report received.
struct HOST_EXPORT ReportCriterion {
    enum class Kind {
        Value,   // the text of the parameter, or its caption read by lookup ("?" bound to the value)
        Month,   // a date parameter: "dezembro de 2026"
        Period,  // parameter to parameterTo, day and month: "20/12 a 10/01"
        List,    // a list parameter: the names of the selected keys by lookup, "e mais N"
        Choices, // a parameter holding the ticked options' values: "Orçamento e Encomenda"
        Branch,  // the branch the run is restricted to: no line (the page header names it), or
                 // allText when empty (every branch)
    };
    struct Choice {
        QString value, text;
        friend bool operator==(const Choice&, const Choice&) = default;
    };
    QString label;
    Kind kind = Kind::Value;
    QString parameter;
    QString parameterTo; // Period: the end of the period
    // When allIfParameter holds allIfValue, the criterion reads allText whatever its own value.
    QString allIfParameter, allIfValue;
    QString allText = QStringLiteral("Todos");   // also: a list not restricted ("T"), an empty value
    QString noneText = QStringLiteral("Nenhum"); // an empty selection, no option ticked
    // SELECT whose first column is the caption: of the selected keys (List; they are in the key
    // table, PARAM = the parameter's name, during the run) or of the value (Value, bound to "?").
    QString lookup, lookupIb;
    // List: SELECT counting the selected keys of another branch than "?" (the branch criterion's
    // value). When the run is restricted to a branch they are counted apart, "e 3 de outras
    // filiais", and every "?" of lookup is that branch (empty when every branch is shown), so that
    // it names only keys the report can show.
    QString otherBranches;
    int maxNames = 3; // List: names shown before "e mais N"
    QList<Choice> choices;
    friend bool operator==(const ReportCriterion&, const ReportCriterion&) = default;
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
    QString sqlPg;              // PostgreSQL
    QStringList listParameters; // placeholders that receive a selection text (or "T")
    QList<ReportColumn> columns;
    ReportGrouping group;
    QString totalLabel = QStringLiteral("Total de registros");
    QList<ReportCriterion> criteria; // printed under the title, in this order
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
