#include "library/LibraryClasses.h"

#include "forms/ClassRegistry.h"
#include "forms/FormReader.h"
#include "forms/PropertyValues.h"
#include "library/TButtonFlat.h"
#include "library/TMessages.h"

#include <QJsonValue>

void registerDateEditClass(); // beside TDateEditPlus, which it knows inside out

namespace PV = PropertyValues;

namespace {
template <class T> T* as(QObject* o) {
    return static_cast<T*>(o);
}
} // namespace

void registerLibraryClasses() {
    ClassRegistry& reg = ClassRegistry::instance();
    ComponentClass messages{"TMessages", "TNonVisual", componentFactory<TMessages>(), {}, {}, {}};
    messages.properties["Lines"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TMessages>(o)->SetLines(PV::lines(v, r));
    };
    reg.add(messages);

    ComponentClass flat{"TButtonFlat", "TControl", widgetFactory<TButtonFlat>(), {}, {}, {}};
    flat.properties["Caption"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TButtonFlat>(o)->SetCaption(PV::string(v, r));
    };
    flat.properties["Flat"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TButtonFlat>(o)->setAutoRaise(PV::boolean(v, r));
    };
    flat.properties["Glyph"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        if (!as<TButtonFlat>(o)->SetGlyph(PV::string(v, r)))
            r.fail(QStringLiteral("glyph '%1' cannot be loaded").arg(v.toString()));
    };
    flat.properties["NumGlyphs"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TButtonFlat>(o)->SetNumGlyphs(PV::integer(v, r));
    };
    flat.events["OnClick"] = EventSignatures::notify();
    reg.add(flat);

    registerDateEditClass();
}
