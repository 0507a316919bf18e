#pragma once
// What the report editor knows of a report's query: the fields it returns (asked once, for no rows,
// when the editor opens) with a label a clerk recognises, and its first rows, read once with the
// screen's filters. From them it makes, for any edited definition, the rows a run would hand the
// layout (the same texts, formats and group captions), so the live page draws what will print. With
// no database, or a query that fails or returns nothing, the rows are made up and the note says so.
#include "data/dtmDBGeral.h"
#include "host_export.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportDocument.h"

#include <QHash>
#include <QSqlDatabase>
#include <QStringList>
#include <memory>
#include <vector>

class TParams;

class HOST_EXPORT ReportSample {
public:
    // Reads the fields and up to maxRows rows of the definition's query on db, binding params (the
    // screen's filters; null: every parameter unset). Never throws: what failed is in note().
    static ReportSample read(const ReportDefinition& definition, QSqlDatabase db, DatabaseKind kind,
                             std::shared_ptr<const TParams> params, int maxRows = 80);
    // Made-up rows for the fields the definition names, for an editor without a database.
    static ReportSample madeUp(const ReportDefinition& definition, const QString& why);

    // The field names the query returns, in its order (upper case).
    const QStringList& fields() const { return m_fields; }
    // True when the fields came from the database, not from the definition.
    bool fieldsFromQuery() const { return m_fieldsFromQuery; }
    // True when the rows are the query's own.
    bool realRows() const { return m_realRows; }
    // What the live page says about where its rows come from.
    const QString& note() const { return m_note; }
    // The query's parameters, as the criteria form offers them.
    QStringList parameters(const ReportDefinition& definition) const;

    // "Ramo de Atividade": the header of a column that shows the field, else the text before it in
    // the group caption, else the name made readable.
    QString label(const QString& field) const;
    // "Ramo de Atividade (DSATIVCLI)", as the lists show a field.
    QString choiceText(const QString& field) const;

    // The rows a run of definition would lay out; problems gets what the page cannot show (a column
    // of a field the query does not return, which stays empty).
    ReportRows rowsFor(const ReportDefinition& definition, QStringList* problems = nullptr) const;
    // The criteria block a run would print, described on the database when there is one.
    QStringList criteriaFor(const ReportDefinition& definition) const;

private:
    void learnLabels(const ReportDefinition& definition);
    int fieldIndex(const QString& field) const;

    QStringList m_fields;
    QHash<QString, QString> m_labels;
    // Per row, three texts per field: as text, as a date, as day and month (ReportColumn::format).
    std::vector<QStringList> m_values;
    bool m_fieldsFromQuery = false;
    bool m_realRows = false;
    QString m_note;
    QSqlDatabase m_db;
    DatabaseKind m_kind = DatabaseKind::None;
    std::shared_ptr<const TParams> m_params;
    // The last criteria block described, and what it was described for.
    mutable QByteArray m_criteriaKey;
    mutable QStringList m_criteria;
};
