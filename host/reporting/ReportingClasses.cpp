// Registers the reporting components (the report designer dialog, the designer connection).
#include "reporting/ReportingClasses.h"

#include "forms/ClassRegistry.h"
#include "reporting/TReportDesignerDialog.h"

#include <QObject>

namespace {
// netQRDesign: the designer's connection in the host this module came from; here it only holds
// its place in form resources.
class TNetQRDesign : public QObject, public TComponent {
public:
    explicit TNetQRDesign(QObject* parent) : QObject(parent) {}
    QObject* asObject() override { return this; }
};
} // namespace

void registerReportingClasses() {
    ClassRegistry& reg = ClassRegistry::instance();
    registerHostMetaType<TParams*>();
    ComponentClass designer{
        "TReportDesignerDialog", "TNonVisual", componentFactory<TReportDesignerDialog>(), {}, {}, {}};
    designer.events["BeforeGetQueryParams"] = TReportDesignerDialog::beforeGetQueryParamsSignature();
    reg.add(designer);
    ComponentClass design{"TNetQRDesign", "TNonVisual", componentFactory<TNetQRDesign>(), {}, {}, {}};
    reg.add(design);
}
