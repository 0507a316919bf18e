#pragma once
// rpddPadrao: the report designer dialog component of a report form. Before every run of a report's
// query it raises BeforeGetQueryParams with the query's parameter list.
#include "forms/TComponent.h"
#include "reporting/TParams.h"

#include <QObject>

class TReportDesignerDialog : public QObject, public TComponent {
    Q_OBJECT
public:
    explicit TReportDesignerDialog(QObject* parent = nullptr);
    QObject* asObject() override { return this; }

    // Raised from code: the handler runs in the caller's frame and its errors reach the caller.
    void BeforeGetQueryParams(TParams* params, bool& flag);
};
