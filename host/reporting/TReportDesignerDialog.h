#pragma once
// rpddPadrao: the report designer dialog component of the base report form. The report engine asks
// it, before every run of a report's query, to raise BeforeGetQueryParams with the query's
// parameter list, so that the screen fills the parameters from its filters.
#include "forms/TComponent.h"
#include "host_export.h"

#include <QObject>

#include "reporting/TParams.h"

class HOST_EXPORT TReportDesignerDialog : public QObject, public TComponent {
    Q_OBJECT
public:
    explicit TReportDesignerDialog(QObject* parent = nullptr);
    QObject* asObject() override { return this; }

    // Raises BeforeGetQueryParams synchronously; exceptions from the handler reach the caller.
    // The flag starts false; a handler that sets it to true cancels the run.
    void BeforeGetQueryParams(TParams* params, bool& flag);
    // (TParams* Params, bool& Flag), as the handler must be declared.
    static const EventSignature& beforeGetQueryParamsSignature();
};
