#pragma once
// What the report designer is handed: the definition to edit (changed in place when the user
// saves), and the two services it offers the user.
#include "host_export.h"
#include "reporting/ReportDefinition.h"

#include <QString>
#include <functional>
#include <memory>

class TParams;

struct HOST_EXPORT ReportEditRequest {
    ReportDefinition definition;
    QString path; // the definition file, for the window's title
    QString code; // report code
    // The screen's current filters, asked once when the editor opens, for the live page's rows;
    // unset or answering null: every parameter unset.
    std::function<std::shared_ptr<const TParams>()> params;
    QString branch; // the session's branch, as the page header prints it
    // Empty when the definition may be saved (complete, only reading, prepares on the database);
    // otherwise the message to show. The designer asks before it accepts.
    std::function<QString(const ReportDefinition&)> validate;
    // "Testar": runs the definition with the screen's current filters and previews it. Errors are
    // shown by the caller's service; nothing is thrown out of it.
    std::function<void(const ReportDefinition&)> test;
    // Set for a change that needs the user's yes before it is written (a shipped report's first):
    // the designer asks it once the definition passed validate, and stays open on a no.
    std::function<bool()> confirmSave;
    bool saveConfirmed = false; // the designer asked and the user said yes
};
