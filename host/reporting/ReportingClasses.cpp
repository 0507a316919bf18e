// Registers the reporting components (the report designer dialog, the designer connection).
#include "forms/ClassRegistry.h"
#include "reporting/TReportDesignerDialog.h"

namespace {
// netQRDesign: the designer's network connection; at run time it only has to exist.
class TNetQRDesign : public QObject, public TComponent {
public:
    using QObject::QObject;
    QObject* asObject() override { return this; }
};
} // namespace

void registerReportingClasses() {
    ComponentClass rpdd{"TReportDesignerDialog", "TNonVisual",
                        [](QObject* p) -> QObject* { return new TReportDesignerDialog(p); }, {}, {}, {}};
    rpdd.events["BeforeGetQueryParams"] = EventKind::BeforeGetQueryParams;
    ClassRegistry::instance().add(rpdd);
    ComponentClass net{"TNetQRDesign", "TNonVisual", [](QObject* p) -> QObject* { return new TNetQRDesign(p); },
                       {}, {}, {}};
    ClassRegistry::instance().add(net);
}
