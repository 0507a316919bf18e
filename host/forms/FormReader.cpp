#include "forms/FormReader.h"

#include "core/Errors.h"
#include "forms/ClassRegistry.h"
#include "forms/TForm.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QWidget>
#include <algorithm>

namespace {
QHash<QString, QObject*>& globals() {
    static QHash<QString, QObject*> g;
    return g;
}
struct Override {
    QByteArray json;
    QString origin;
};
QHash<QString, Override>& overrides() {
    static QHash<QString, Override> o;
    return o;
}
QString classOf(QObject* o) {
    return o->property("hostClass").toString();
}

// An edit has no caption of its own: a screen reader names it after the label beside it (on its
// row, to its left, in the same parent), the way a user reads the form. Becoming the label's buddy
// keeps the name in step when the label's caption changes.
void pairLabelsWithEdits(QWidget* form) {
    for (QWidget* edit : form->findChildren<QWidget*>()) {
        const bool isEdit = qobject_cast<QLineEdit*>(edit) || qobject_cast<QComboBox*>(edit) ||
                            qobject_cast<QAbstractSpinBox*>(edit);
        if (!isEdit || !asComponent(edit) || !edit->accessibleName().isEmpty() || !edit->parentWidget())
            continue;
        QLabel* best = nullptr;
        for (QLabel* label :
             edit->parentWidget()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
            const QRect l = label->geometry();
            const QRect e = edit->geometry();
            if (label->buddy() || !asComponent(label) || l.left() >= e.left() || l.center().y() < e.top() ||
                l.center().y() > e.bottom())
                continue;
            if (!best || l.left() > best->geometry().left())
                best = label;
        }
        if (best)
            best->setBuddy(edit);
    }
}
} // namespace

FormReader::FormReader(TForm* form) : m_form(form) {}

void FormReader::registerGlobal(const QString& name, QObject* object) {
    globals().insert(name, object);
}
void FormReader::unregisterGlobal(const QString& name) {
    globals().remove(name);
}

QString FormReader::resourcePathFor(const QString& className) {
    return QStringLiteral(":/forms/%1.json").arg(className);
}
void FormReader::setResourceOverride(const QString& className, const QByteArray& json,
                                     const QString& origin) {
    overrides().insert(className, {json, origin});
}
void FormReader::clearResourceOverride(const QString& className) {
    overrides().remove(className);
}

void FormReader::fail(const QString& what) const {
    QString where = m_item.isEmpty() ? QString() : QStringLiteral(", item '%1'").arg(m_item);
    throw EResourceError(QStringLiteral("Form resource '%1'%2: %3").arg(m_resource, where, what));
}

void FormReader::read(const QString& resourcePath) {
    m_resource = resourcePath;
    m_item.clear();
    QByteArray data;
    const QString className = resourcePath.section('/', -1).section('.', 0, 0);
    if (overrides().contains(className)) {
        const Override o = overrides().value(className);
        data = o.json;
        if (!o.origin.isEmpty())
            m_resource = QStringLiteral("%1 (%2)").arg(o.origin, className);
    } else {
        QFile f(resourcePath);
        if (!f.open(QIODevice::ReadOnly))
            fail(QStringLiteral("cannot be read"));
        data = f.readAll();
    }
    QJsonParseError err;
    QJsonDocument doc = QJsonDocument::fromJson(data, &err);
    if (err.error != QJsonParseError::NoError)
        fail(QStringLiteral("invalid JSON at offset %1: %2").arg(err.offset).arg(err.errorString()));
    if (!doc.isObject())
        fail(QStringLiteral("the document is not an object"));
    readDocument(doc.object(), resourcePath);
}

void FormReader::readDocument(const QJsonObject& document, const QString& resourceName) {
    m_resource = resourceName;
    m_item.clear();
    m_namedInDocument.clear();
    const QString cls = document.value("class").toString();
    if (cls.isEmpty())
        fail(QStringLiteral("no form class given"));
    if (!m_form->inherits(cls.toLatin1().constData()))
        fail(QStringLiteral("form class '%1' does not match '%2'")
                 .arg(cls, m_form->metaObject()->className()));
    for (auto it = document.begin(); it != document.end(); ++it)
        if (!QStringList{"class", "properties", "events", "components"}.contains(it.key()))
            fail(QStringLiteral("unknown key '%1'").arg(it.key()));
    m_item = cls;
    applyProperties(m_form, QStringLiteral("TForm"), document.value("properties").toObject());
    collectEvents(m_form, QStringLiteral("TForm"), document.value("events").toObject());
    for (const QJsonValue& v : document.value("components").toArray())
        readComponent(v.toObject(), m_form, QString());
    m_item.clear();
}

void FormReader::readComponent(const QJsonObject& entry, QObject* parent, const QString& path) {
    const QString name = entry.value("name").toString();
    m_item = name.isEmpty() ? path + QStringLiteral("<unnamed>") : name;
    if (name.isEmpty())
        fail(QStringLiteral("component without a name"));
    // Naming an inherited component again gives its differences; naming one twice in the same
    // document would silently merge two entries into one.
    if (m_namedInDocument.contains(name))
        fail(QStringLiteral("component '%1' is named twice").arg(name));
    m_namedInDocument.insert(name);
    for (auto it = entry.begin(); it != entry.end(); ++it)
        if (!QStringList{"name", "class", "properties", "events", "components"}.contains(it.key()))
            fail(QStringLiteral("unknown key '%1'").arg(it.key()));
    QObject* component = findComponent(name);
    QString cls = entry.value("class").toString();
    if (component) {
        // An inherited component: only its differences are given.
        if (!cls.isEmpty() && cls != classOf(component))
            fail(QStringLiteral("class '%1' differs from the inherited '%2'").arg(cls, classOf(component)));
        cls = classOf(component);
    } else {
        if (cls.isEmpty())
            fail(QStringLiteral("new component without a class"));
        const ComponentClass* c = ClassRegistry::instance().find(cls);
        if (!c)
            fail(QStringLiteral("unknown class '%1'").arg(cls));
        if (!c->create)
            fail(QStringLiteral("class '%1' cannot be created").arg(cls));
        component = c->create(parent);
        component->setObjectName(name);
        component->setProperty("hostClass", cls);
        if (!asComponent(component))
            fail(QStringLiteral("class '%1' is not a host component").arg(cls));
    }
    applyProperties(component, cls, entry.value("properties").toObject());
    collectEvents(component, cls, entry.value("events").toObject());
    for (const QJsonValue& v : entry.value("components").toArray())
        readComponent(v.toObject(), component, name + '.');
    m_item = name;
}

void FormReader::applyProperties(QObject* component, const QString& className,
                                 const QJsonObject& properties) {
    for (auto it = properties.begin(); it != properties.end(); ++it) {
        const PropertySetter* setter = ClassRegistry::instance().findProperty(className, it.key());
        if (!setter)
            fail(QStringLiteral("unknown property '%1' of class '%2'").arg(it.key(), className));
        try {
            (*setter)(component, it.value(), *this);
        } catch (const EResourceError&) {
            throw;
        } catch (const EHostError& e) {
            fail(QStringLiteral("property '%1': %2").arg(it.key(), e.message()));
        }
    }
}

void FormReader::collectEvents(QObject* component, const QString& className, const QJsonObject& events) {
    for (auto it = events.begin(); it != events.end(); ++it) {
        if (!ClassRegistry::instance().findEvent(className, it.key()))
            fail(QStringLiteral("unknown event '%1' of class '%2'").arg(it.key(), className));
        // A later resource (the derived form's) rebinds what an earlier one bound.
        auto same = [&](const PendingEvent& p) { return p.component == component && p.event == it.key(); };
        m_events.erase(std::remove_if(m_events.begin(), m_events.end(), same), m_events.end());
        m_events.push_back({component, it.key(), it.value().toString(), m_resource, m_item});
    }
}

QObject* FormReader::findComponent(const QString& name) const {
    if (name == m_form->objectName())
        return m_form;
    return m_form->findChild<QObject*>(name);
}

QObject* FormReader::resolveReference(const QString& reference) const {
    const QStringList parts = reference.split('.');
    QObject* o = findComponent(parts.first());
    if (!o)
        o = globals().value(parts.first());
    for (int i = 1; o && i < parts.size(); ++i)
        o = o->findChild<QObject*>(parts[i]);
    return o;
}

void FormReader::finish() {
    m_item.clear();
    assignPublishedFields();
    bindEvents();
    applyTabOrder(m_form);
    pairLabelsWithEdits(m_form);
}

void FormReader::assignPublishedFields() {
    // Published component fields are the form classes' QObject-pointer properties: each takes the
    // component of its name. A field without a component is a creation error.
    const QMetaObject* mo = m_form->metaObject();
    for (int i = TForm::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i) {
        QMetaProperty p = mo->property(i);
        const QMetaObject* fieldClass = p.metaType().metaObject();
        if (!(p.metaType().flags() & QMetaType::PointerToQObject) || !fieldClass)
            continue;
        m_item = QString::fromLatin1(p.name());
        QObject* c = findComponent(m_item);
        if (!c)
            fail(QStringLiteral("published field '%1' has no component").arg(m_item));
        if (!c->metaObject()->inherits(fieldClass))
            fail(QStringLiteral("published field '%1' is a %2, the component a %3")
                     .arg(m_item, fieldClass->className(), c->metaObject()->className()));
        QVariant v(p.metaType(), &c);
        if (!p.write(m_form, v))
            fail(QStringLiteral("published field '%1' cannot be written").arg(m_item));
    }
    m_item.clear();
}

void FormReader::bindEvents() {
    const QMetaObject* mo = m_form->metaObject();
    for (const PendingEvent& e : m_events) {
        m_resource = e.resource;
        m_item = e.item;
        const QString cls = e.component == m_form ? QStringLiteral("TForm") : classOf(e.component);
        const EventSignature signature = *ClassRegistry::instance().findEvent(cls, e.event);
        // From the most derived class upwards: the highest index of that name wins.
        int found = -1;
        for (int i = mo->methodCount() - 1; i >= 0 && found < 0; --i)
            if (mo->method(i).name() == e.handler.toLatin1())
                found = i;
        if (found < 0)
            fail(QStringLiteral("handler '%1' of event '%2' not found in %3")
                     .arg(e.handler, e.event, mo->className()));
        const QMetaMethod m = mo->method(found);
        if (m.parameterTypes() != signature)
            fail(QStringLiteral("handler '%1' has the parameters (%2), event '%3' needs (%4)")
                     .arg(e.handler, QString::fromLatin1(m.parameterTypes().join(", ")), e.event,
                          QString::fromLatin1(signature.join(", "))));
        asComponent(e.component)->bindEvent(e.event, {m_form, found, e.handler});
    }
    m_events.clear();
}

void FormReader::applyTabOrder(QWidget* container) {
    // Within each container, controls follow their TabOrder; containers nest depth first.
    std::vector<QWidget*> chain;
    std::function<void(QWidget*)> walk = [&](QWidget* w) {
        QList<QWidget*> kids = w->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        kids.erase(std::remove_if(kids.begin(), kids.end(), [](QWidget* k) { return !asComponent(k); }),
                   kids.end());
        std::stable_sort(kids.begin(), kids.end(), [](QWidget* a, QWidget* b) {
            return a->property("TabOrder").toInt() < b->property("TabOrder").toInt();
        });
        for (QWidget* k : kids) {
            chain.push_back(k);
            walk(k);
        }
    };
    walk(container);
    QWidget* prev = nullptr;
    for (QWidget* w : chain) {
        if (w->focusPolicy() == Qt::NoFocus)
            continue;
        if (prev)
            QWidget::setTabOrder(prev, w);
        prev = w;
    }
}
