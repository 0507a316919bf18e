#include "library/LibraryClasses.h"

#include "forms/ClassRegistry.h"
#include "forms/FormReader.h"
#include "forms/PropertyValues.h"
#include "library/DateText.h"
#include "library/TButtonFlat.h"
#include "library/TDateEditPlus.h"
#include "library/TMessages.h"

#include <QJsonValue>

namespace PV = PropertyValues;

namespace {
template <class T> T* as(QObject* o) {
    return static_cast<T*>(o);
}
} // namespace

// Registered with the host's classes: what a form resource may set on a date edit.
static void registerDateEditClass() {
    namespace PV = PropertyValues;
    auto edit = [](QObject* o) { return static_cast<TDateEditPlus*>(o); };
    ComponentClass c;
    c.name = QStringLiteral("TDateEditPlus");
    c.base = QStringLiteral("TControl");
    registerHostMetaType<TDateEditPlus*>();
    c.create = [](QObject* parent) -> QObject* {
        auto* w = new TDateEditPlus(qobject_cast<QWidget*>(parent));
        w->show();
        return w;
    };
    c.properties["Color"] = [edit](QObject* o, const QJsonValue& v, FormReader& r) {
        edit(o)->SetColor(PV::color(v, r));
    };
    c.properties["ColorValidDate"] = [edit](QObject* o, const QJsonValue& v, FormReader& r) {
        edit(o)->SetColorValidDate(PV::color(v, r));
    };
    c.properties["KeepTime"] = [edit](QObject* o, const QJsonValue& v, FormReader& r) {
        edit(o)->SetKeepTime(PV::boolean(v, r));
    };
    c.properties["ShowDia"] = [edit](QObject* o, const QJsonValue& v, FormReader& r) {
        edit(o)->SetShowDia(PV::boolean(v, r));
    };
    c.properties["EditStyle"] = [edit](QObject* o, const QJsonValue& v, FormReader& r) {
        const int style = PV::integer(v, r);
        if (!DateText::isValidStyle(style))
            r.fail(QStringLiteral("EditStyle %1 is neither 0 (date) nor 1 (month)").arg(style));
        edit(o)->SetEditStyle(style);
    };
    c.properties["DayNames"] = [edit](QObject* o, const QJsonValue& v, FormReader& r) {
        const QStringList names = PV::lines(v, r);
        if (!edit(o)->SetDayNames(names))
            r.fail(QStringLiteral("DayNames needs 7 names, Sunday first; %1 given").arg(names.size()));
    };
    c.properties["Glyph"] = [edit](QObject* o, const QJsonValue& v, FormReader& r) {
        const QString path = PV::string(v, r);
        if (!edit(o)->SetGlyph(path))
            r.fail(QStringLiteral("glyph '%1' cannot be loaded").arg(path));
    };
    c.properties["Text"] = [edit](QObject* o, const QJsonValue& v, FormReader& r) {
        edit(o)->SetText(PV::string(v, r));
    };
    c.events["OnExit"] = EventSignatures::notify();
    ClassRegistry::instance().add(std::move(c));
}

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
