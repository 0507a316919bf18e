// The host's own component classes and the properties a form resource may set on them.
#include "forms/ClassRegistry.h"
#include "forms/FormReader.h"
#include "forms/PropertyValues.h"
#include "forms/TBevel.h"
#include "forms/TCheckBox.h"
#include "forms/TComboBox.h"
#include "forms/TGroupBox.h"
#include "forms/TLabel.h"
#include "forms/TPanel.h"
#include "forms/TPopupMenu.h"
#include "forms/TRadioButton.h"

#include <QJsonObject>

namespace PV = PropertyValues;

namespace {

template <class T> T* as(QObject* o) {
    return static_cast<T*>(o);
}

void setGeometryPart(QObject* o, int which, int value) {
    auto* w = as<QWidget>(o);
    QRect r = w->geometry();
    switch (which) {
    case 0:
        r.moveLeft(value);
        break;
    case 1:
        r.moveTop(value);
        break;
    case 2:
        r.setWidth(value);
        break;
    default:
        r.setHeight(value);
        break;
    }
    w->setGeometry(r);
}

// Properties of every visual control, by the host's names.
ComponentClass controlClass() {
    ComponentClass c;
    c.name = "TControl";
    c.properties["Left"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        setGeometryPart(o, 0, PV::integer(v, r));
    };
    c.properties["Top"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        setGeometryPart(o, 1, PV::integer(v, r));
    };
    c.properties["Width"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        setGeometryPart(o, 2, PV::integer(v, r));
    };
    c.properties["Height"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        setGeometryPart(o, 3, PV::integer(v, r));
    };
    c.properties["Enabled"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<QWidget>(o)->setEnabled(PV::boolean(v, r));
    };
    c.properties["Visible"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<QWidget>(o)->setVisible(PV::boolean(v, r));
    };
    c.properties["Hint"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<QWidget>(o)->setToolTip(PV::string(v, r));
        as<QWidget>(o)->setAccessibleName(PV::string(v, r));
    };
    c.properties["ShowHint"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        o->setProperty("ShowHint", PV::boolean(v, r));
    };
    c.properties["TabOrder"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        o->setProperty("TabOrder", PV::integer(v, r));
    };
    c.properties["TabStop"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        auto* w = as<QWidget>(o);
        w->setFocusPolicy(PV::boolean(v, r) ? Qt::StrongFocus : Qt::ClickFocus);
    };
    c.properties["Font"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        auto* w = as<QWidget>(o);
        w->setFont(PV::font(w->font(), v, r));
    };
    c.properties["ParentFont"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        o->setProperty("ParentFont", PV::boolean(v, r));
    };
    c.properties["Color"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        auto* w = as<QWidget>(o);
        QPalette p = w->palette();
        const QColor col = PV::color(v, r);
        p.setColor(QPalette::Base, col);
        p.setColor(QPalette::Window, col);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    };
    c.events["OnExit"] = EventSignatures::notify();
    c.events["OnEnter"] = EventSignatures::notify();
    return c;
}

ComponentClass formClass() {
    ComponentClass c;
    c.name = "TForm";
    c.base = "TControl";
    c.properties["Caption"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TForm>(o)->SetCaption(PV::string(v, r));
    };
    c.properties["ClientWidth"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        auto* f = as<TForm>(o);
        f->setClientSize({PV::integer(v, r), f->clientSize().height()});
    };
    c.properties["ClientHeight"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        auto* f = as<TForm>(o);
        f->setClientSize({f->clientSize().width(), PV::integer(v, r)});
    };
    c.properties["Left"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        auto* f = as<TForm>(o);
        f->setInitialPosition({PV::integer(v, r), f->initialPosition().y()});
    };
    c.properties["Top"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        auto* f = as<TForm>(o);
        f->setInitialPosition({f->initialPosition().x(), PV::integer(v, r)});
    };
    c.properties["BorderStyle"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        const QString s = PV::string(v, r);
        if (s != "bsSingle" && s != "bsSizeable" && s != "bsDialog" && s != "bsNone")
            r.fail(QStringLiteral("unknown border style '%1'").arg(s));
        as<TForm>(o)->setFixedBorder(s != "bsSizeable");
        o->setProperty("BorderStyle", s);
    };
    c.properties["FormStyle"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        o->setProperty("FormStyle", PV::string(v, r));
    };
    c.properties["Position"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        o->setProperty("Position", PV::string(v, r));
    };
    c.properties["Visible"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        o->setProperty("VisibleOnCreate", PV::boolean(v, r));
    };
    c.properties["PixelsPerInch"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        o->setProperty("PixelsPerInch", PV::integer(v, r));
    };
    c.events["OnCreate"] = EventSignatures::notify();
    c.events["OnActivate"] = EventSignatures::notify();
    c.events["OnClose"] = EventSignatures::close();
    return c;
}

} // namespace

void ClassRegistry::registerFormClasses() {
    ClassRegistry& reg = instance();
    if (reg.find("TControl"))
        return;
    qRegisterMetaType<TShiftState>("TShiftState"); // the name handlers declare, not QFlags<ShiftFlag>
    registerHostMetaType<TCloseAction>();
    reg.add(controlClass());
    reg.add(formClass());

    ComponentClass group{"TGroupBox", "TControl", widgetFactory<TGroupBox>(), {}, {}, {}};
    group.properties["Caption"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TGroupBox>(o)->SetCaption(PV::string(v, r));
    };
    reg.add(group);

    ComponentClass label{"TLabel", "TControl", widgetFactory<TLabel>(), {}, {}, {}};
    label.properties["Caption"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TLabel>(o)->SetCaption(PV::string(v, r));
    };
    label.properties["AutoSize"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TLabel>(o)->SetAutoSize(PV::boolean(v, r));
    };
    reg.add(label);

    ComponentClass radio{"TRadioButton", "TControl", widgetFactory<TRadioButton>(), {}, {}, {}};
    radio.properties["Caption"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TRadioButton>(o)->SetCaption(PV::string(v, r));
    };
    radio.properties["Checked"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TRadioButton>(o)->setCheckedQuietly(PV::boolean(v, r));
    };
    radio.events["OnClick"] = EventSignatures::notify();
    radio.events["OnKeyDown"] = EventSignatures::keyDown();
    reg.add(radio);

    ComponentClass check{"TCheckBox", "TControl", widgetFactory<TCheckBox>(), {}, {}, {}};
    check.properties["Caption"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TCheckBox>(o)->SetCaption(PV::string(v, r));
    };
    check.properties["Checked"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TCheckBox>(o)->SetChecked(PV::boolean(v, r));
    };
    reg.add(check);

    ComponentClass combo{"TComboBox", "TControl", widgetFactory<TComboBox>(), {}, {}, {}};
    combo.properties["Style"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TComboBox>(o)->setEditable(PV::string(v, r) == "csDropDown");
    };
    combo.properties["Items"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TComboBox>(o)->SetItems(PV::lines(v, r));
    };
    combo.events["OnChange"] = EventSignatures::notify();
    reg.add(combo);

    ComponentClass panel{"TPanel", "TControl", widgetFactory<TPanel>(), {}, {}, {}};
    panel.properties["Caption"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TPanel>(o)->SetCaption(PV::string(v, r));
    };
    panel.properties["BevelOuter"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        as<TPanel>(o)->SetBevel(PV::string(v, r));
    };
    reg.add(panel);

    ComponentClass bevel{"TBevel", "TControl", widgetFactory<TBevel>(), {}, {}, {}};
    bevel.properties["Shape"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        o->setProperty("Shape", PV::string(v, r));
    };
    reg.add(bevel);

    // Non-visual components: only their design-time position, which means nothing at run time.
    ComponentClass nonVisual{"TNonVisual", {}, {}, {}, {}, {}};
    nonVisual.properties["Left"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        o->setProperty("DesignLeft", PV::integer(v, r));
    };
    nonVisual.properties["Top"] = [](QObject* o, const QJsonValue& v, FormReader& r) {
        o->setProperty("DesignTop", PV::integer(v, r));
    };
    reg.add(nonVisual);

    ComponentClass popup{"TPopupMenu", "TNonVisual", componentFactory<TPopupMenu>(), {}, {}, {}};
    reg.add(popup);
}
