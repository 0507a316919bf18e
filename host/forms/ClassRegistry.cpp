#include "forms/ClassRegistry.h"

ClassRegistry& ClassRegistry::instance() {
    static ClassRegistry registry;
    return registry;
}

void ClassRegistry::add(ComponentClass cls) {
    if (cls.owner.isEmpty())
        cls.owner = QStringLiteral("host");
    m_classes.insert(cls.name, std::move(cls));
}

void ClassRegistry::remove(const QString& name) {
    m_classes.remove(name);
}

void ClassRegistry::removeOwnedBy(const QString& owner) {
    for (auto it = m_classes.begin(); it != m_classes.end();)
        it = it->owner == owner ? m_classes.erase(it) : std::next(it);
}

const ComponentClass* ClassRegistry::find(const QString& name) const {
    auto it = m_classes.constFind(name);
    return it == m_classes.constEnd() ? nullptr : &*it;
}

const PropertySetter* ClassRegistry::findProperty(const QString& className, const QString& property) const {
    for (const ComponentClass* c = find(className); c; c = c->base.isEmpty() ? nullptr : find(c->base)) {
        auto it = c->properties.constFind(property);
        if (it != c->properties.constEnd())
            return &*it;
    }
    return nullptr;
}

std::optional<EventSignature> ClassRegistry::findEvent(const QString& className, const QString& event) const {
    for (const ComponentClass* c = find(className); c; c = c->base.isEmpty() ? nullptr : find(c->base)) {
        auto it = c->events.constFind(event);
        if (it != c->events.constEnd())
            return *it;
    }
    return std::nullopt;
}
