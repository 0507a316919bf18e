#pragma once
// What every host component carries beside its Qt base: the events bound to handlers of its form.
// Raising an event from code calls the handler synchronously and lets exceptions reach the caller;
// events that start from the user enter through TApplication's guard instead.
#include "forms/HostTypes.h"
#include "host_export.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>

class TForm;

// The parameter types an event's handler must have, as moc normalises them; a handler's parameter
// list must match its event's exactly. Each layer declares the shapes of its own events.
using EventSignature = QList<QByteArray>;
namespace EventSignatures HOST_EXPORT {
const EventSignature& notify();  // (QObject* Sender)
const EventSignature& keyDown(); // (QObject* Sender, int& Key, TShiftState Shift)
const EventSignature& close();   // (QObject* Sender, TCloseAction& Action)
} // namespace EventSignatures

struct HOST_EXPORT BoundHandler {
    QPointer<QObject> target;
    int methodIndex = -1;
    QString name;
};

class HOST_EXPORT TComponent {
public:
    virtual ~TComponent();

    virtual QObject* asObject() = 0;

    void bindEvent(const QString& event, const BoundHandler& handler);
    bool hasHandler(const QString& event) const;
    QString handlerName(const QString& event) const;

    // From code: synchronous, exceptions pass to the caller. No handler bound: nothing happens.
    void raiseNotify(const QString& event);
    void raiseKeyDown(const QString& event, int& key, TShiftState shift);
    void raiseClose(const QString& event, TCloseAction& action);

    // From the user: through the application's guard (EAbort silent, other errors shown).
    void userNotify(const QString& event);

    // The form this component belongs to (itself for a form).
    TForm* ownerForm();

    // Calls the handler bound to event with moc's argument array (argv[0] is the return value).
    void invoke(const QString& event, void** argv);

private:
    QHash<QString, BoundHandler> m_handlers;
};

// The component behind an object, or null when it is not a host component.
HOST_EXPORT TComponent* asComponent(QObject* object);
