#pragma once
// Host component classes by name: how to create one, which properties a resource may set on it and
// which events it raises. Properties and events are inherited from the base class named.
#include "forms/TComponent.h"

#include <QHash>
#include <QJsonValue>
#include <QStringList>
#include <functional>

class FormReader;
class QWidget;

using PropertySetter = std::function<void(QObject* component, const QJsonValue& value, FormReader& reader)>;

struct ComponentClass {
    QString name;
    QString base; // class whose properties and events this one inherits; empty for a root
    // Creates a component inside parent (a widget for visual components; the form otherwise).
    std::function<QObject*(QObject* parent)> create;
    QHash<QString, PropertySetter> properties;
    QHash<QString, EventKind> events;
    QString owner; // who registered it ("host", or a module's name), so a module can take its own back
};

class ClassRegistry {
public:
    static ClassRegistry& instance();

    void add(ComponentClass cls);
    void remove(const QString& name);
    void removeOwnedBy(const QString& owner);
    const ComponentClass* find(const QString& name) const;

    // Looks along the base chain; null when no class in it has the property or event.
    const PropertySetter* findProperty(const QString& className, const QString& property) const;
    std::optional<EventKind> findEvent(const QString& className, const QString& event) const;

    // The host's own component classes.
    static void registerHostClasses();

private:
    QHash<QString, ComponentClass> m_classes;
};
