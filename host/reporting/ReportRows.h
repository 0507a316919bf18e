#pragma once
// A run's rows as the columns show them, kept whole (a finished report, a test's sample).
#include "host_export.h"

#include <QString>
#include <QStringList>
#include <vector>

struct HOST_EXPORT ReportRows {
    QStringList fields;               // the columns' fields, in column order
    std::vector<QStringList> cells;   // one text per column, formatted for display
    std::vector<QString> groupKeys;   // one per row when the report groups
    std::vector<QString> groupTitles; // the group caption of each row
};
