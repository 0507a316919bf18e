#pragma once
// The criteria block of a report: what the run was filtered by, in Portuguese, one line per criterion
// of the definition ("Mês: dezembro de 2026", "Clientes: Ana Souza, Bruno Lima e mais 3"). The lines
// are worked out from the parameter values the report received, inside the run's transaction, where
// the key table holds the selected keys; the layout prints them under the title of the first page.
// The branch is the page header's to say: the block names only keys the report can show and
// counts those of other branches apart ("Clientes: Ana Souza e 3 de outras filiais").
#include "data/dtmDBGeral.h"
#include "reporting/ReportDefinition.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QStringList>

class TParams;

namespace ReportCriteria {
// The "criteria" array of a definition file. Throws EHostError saying what is wrong.
QList<ReportCriterion> fromJson(const QJsonValue& value);
QJsonArray toJson(const QList<ReportCriterion>& criteria);

// Empty when the definition's criteria are complete. A criterion whose parameter the SQL lacks is
// left out of the block when the report runs, so that changing the SQL never blocks a save.
QString problem(const ReportDefinition& definition);
// The lookups of a definition, for the read-only check before saving: (where, text) pairs.
QList<std::pair<QString, QString>> lookups(const ReportDefinition& definition);

// The block's lines. To be called once the list parameters' keys are loaded and before the run's
// transaction ends. Throws EHostError naming the criterion when a lookup fails.
QStringList describe(const ReportDefinition& definition, const TParams& params, QSqlDatabase db,
                     DatabaseKind kind);

// "Ana", "Ana e Bruno", "Ana, Bruno e Carla"; with more names than shown: "Ana, Bruno e mais 3".
QString enumerate(const QStringList& shown, int total);
} // namespace ReportCriteria
