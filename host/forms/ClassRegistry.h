#pragma once
// Host component classes by name: how to create one, which properties a resource may set on it and
// which events it raises. Properties and events are inherited from the base class named.
#include "forms/TComponent.h"

#include <QHash>
#include <QJsonValue>
#include <QMetaType>
#include <QStringList>
#include <QWidget>
#include <functional>

class FormReader;

using PropertySetter = std::function<void(QObject* component, const QJsonValue& value, FormReader& reader)>;

struct ComponentClass {
    QString name;
    QString base; // class whose properties and events this one inherits; empty for a root
    // Creates a component inside parent (a widget for visual components; the form otherwise).
    std::function<QObject*(QObject* parent)> create;
    QHash<QString, PropertySetter> properties;
    QHash<QString, EventSignature> events;
    QString owner; // who registered it ("host", or a module's name), so a module can take its own back
};

// Qt keeps the first meta-type record it sees for a type name; a module that made the record of a
// host type (for a published field of that type) would leave it behind when unloaded. So the host
// records its component types itself, when it registers their classes.
template <class T> void registerHostMetaType() {
    qRegisterMetaType<T>();
}

// Creates a non-visual component of class T owned by parent.
template <class T> std::function<QObject*(QObject*)> componentFactory() {
    registerHostMetaType<T*>();
    return [](QObject* parent) -> QObject* { return new T(parent); };
}

// Creates a visual component of class T inside parent (a widget) and shows it.
template <class T> std::function<QObject*(QObject*)> widgetFactory() {
    registerHostMetaType<T*>();
    return [](QObject* parent) -> QObject* {
        auto* w = new T(qobject_cast<QWidget*>(parent));
        w->show();
        return w;
    };
}

class ClassRegistry {
public:
    static ClassRegistry& instance();

    void add(ComponentClass cls);
    void remove(const QString& name);
    void removeOwnedBy(const QString& owner);
    const ComponentClass* find(const QString& name) const;

    // Looks along the base chain; null when no class in it has the property or event.
    const PropertySetter* findProperty(const QString& className, const QString& property) const;
    std::optional<EventSignature> findEvent(const QString& className, const QString& event) const;

    // The component classes of this layer: controls, forms and the standard widgets.
    static void registerFormClasses();

private:
    QHash<QString, ComponentClass> m_classes;
};
