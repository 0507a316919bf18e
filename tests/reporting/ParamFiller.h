#pragma once
// Stands in for the screen: its handler fills the report's parameters from test filters.
#include "reporting/TParams.h"
#include "reporting/TReportDesignerDialog.h"

#include <QObject>
#include <functional>

class ParamFiller : public QObject {
    Q_OBJECT
public:
    std::function<void(TParams*)> fill;
    int calls = 0;

    void bindTo(TReportDesignerDialog& designer) {
        const int index = metaObject()->indexOfMethod("rpddPadraoBeforeGetQueryParams(TParams*,bool&)");
        designer.bindEvent("BeforeGetQueryParams", {this, index, "rpddPadraoBeforeGetQueryParams"});
    }

public slots:
    void rpddPadraoBeforeGetQueryParams(TParams* Params, bool& Flag) {
        ++calls;
        if (fill)
            fill(Params);
    }
};
