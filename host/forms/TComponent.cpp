#include "forms/TComponent.h"

#include "forms/TApplication.h"
#include "forms/TForm.h"

#include <QMetaMethod>

TComponent::~TComponent() = default;

void TComponent::bindEvent(const QString& event, const BoundHandler& handler) {
    m_handlers[event] = handler;
}

bool TComponent::hasHandler(const QString& event) const {
    return m_handlers.contains(event);
}

QString TComponent::handlerName(const QString& event) const {
    return m_handlers.value(event).name;
}

void TComponent::invoke(const QString& event, void** argv) {
    auto it = m_handlers.constFind(event);
    if (it == m_handlers.constEnd() || !it->target)
        return;
    // A direct metacall: the handler runs in this frame, so exceptions reach our caller and
    // reference parameters (the key code, the close action) come back changed.
    QMetaObject::metacall(it->target.data(), QMetaObject::InvokeMetaMethod, it->methodIndex, argv);
}

void TComponent::raiseNotify(const QString& event) {
    QObject* sender = asObject();
    void* argv[] = {nullptr, &sender};
    invoke(event, argv);
}

void TComponent::raiseKeyDown(const QString& event, int& key, TShiftState shift) {
    QObject* sender = asObject();
    void* argv[] = {nullptr, &sender, &key, &shift};
    invoke(event, argv);
}

void TComponent::raiseClose(const QString& event, TCloseAction& action) {
    QObject* sender = asObject();
    void* argv[] = {nullptr, &sender, &action};
    invoke(event, argv);
}

void TComponent::userNotify(const QString& event) {
    if (!hasHandler(event))
        return;
    TApplication::guard([&] { raiseNotify(event); });
}

TForm* TComponent::ownerForm() {
    for (QObject* o = asObject(); o; o = o->parent())
        if (auto* f = qobject_cast<TForm*>(o))
            return f;
    return nullptr;
}

const EventSignature& EventSignatures::notify() {
    static const EventSignature s{"QObject*"};
    return s;
}
const EventSignature& EventSignatures::keyDown() {
    static const EventSignature s{"QObject*", "int&", "TShiftState"};
    return s;
}
const EventSignature& EventSignatures::close() {
    static const EventSignature s{"QObject*", "TCloseAction&"};
    return s;
}

TComponent* asComponent(QObject* object) {
    return dynamic_cast<TComponent*>(object);
}
