// Registers the reporting components (the report designer dialog, the designer connection).
#include "forms/ClassRegistry.h"
#include "reporting/TReportDesignerDialog.h"

void registerReportingClasses() {
    ComponentClass rpdd{"TReportDesignerDialog", "TNonVisual",
                        [](QObject* p) -> QObject* { return new TReportDesignerDialog(p); }, {}, {}, {}};
    rpdd.events["BeforeGetQueryParams"] = EventKind::BeforeGetQueryParams;
    ClassRegistry::instance().add(rpdd);
    // netQRDesign: the designer's connection; nothing to do at run time but to exist.
    ComponentClass net{"TNetQRDesign", "TNonVisual", [](QObject* p) -> QObject* {
                           auto* o = new QObject(p);
                           return o;
                       }, {}, {}, {}};
    ClassRegistry::instance().add(net);
}
