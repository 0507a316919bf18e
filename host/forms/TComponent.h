#pragma once
// What every host component carries beside its Qt base: the events bound to handlers of its form.
// Raising an event from code calls the handler synchronously and lets exceptions reach the caller;
// events that start from the user enter through TApplication's guard instead.
#include "forms/HostTypes.h"

#include <QHash>
#include <QPointer>
#include <QString>

class TForm;
class TParams;

// The shapes a handler can have; a handler's parameter list must match its event's exactly.
enum class EventKind { Notify, KeyDown, Close, BeforeGetQueryParams };

struct BoundHandler {
    QPointer<QObject> target;
    int methodIndex = -1;
    QString name;
};

class TComponent {
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
    void raiseBeforeGetQueryParams(const QString& event, TParams* params, bool& flag);

    // From the user: through the application's guard (EAbort silent, other errors shown).
    void userNotify(const QString& event);

    // The form this component belongs to (itself for a form).
    TForm* ownerForm();

    // The parameter types an event's handler must have, as moc normalises them.
    static QList<QByteArray> signatureOf(EventKind kind);

protected:
    void invoke(const QString& event, void** argv);

private:
    QHash<QString, BoundHandler> m_handlers;
};

// The component behind an object, or null when it is not a host component.
TComponent* asComponent(QObject* object);
