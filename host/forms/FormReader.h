#pragma once
// Streams form resources (JSON documents in Qt's resource system) onto a form: the base form's
// resource first, then each derived class's, which holds only its differences. Components are
// created by class name, properties set by name; event bindings are collected and bound to the
// form's handlers (looked up by name from the most derived class upwards) once all are read.
#include "host_export.h"
#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QSet>
#include <QString>
#include <vector>

class TForm;

class HOST_EXPORT FormReader {
public:
    explicit FormReader(TForm* form);

    // Streams one resource; throws EHostError naming the resource and the item on any fault.
    void read(const QString& resourcePath);
    void readDocument(const QJsonObject& document, const QString& resourceName);
    // Assigns the form's published component fields, binds the events and sets the tab order.
    void finish();

    TForm* form() const { return m_form; }
    const QString& resourceName() const { return m_resource; }
    const QString& currentItem() const { return m_item; }

    [[noreturn]] void fail(const QString& what) const;
    // A component of the form by name, or null.
    QObject* findComponent(const QString& name) const;
    // "comp", "comp.Inner" or "dtmDBGeral.adcGeral": form components first, then global objects.
    QObject* resolveReference(const QString& reference) const;

    // Objects that resources may name from any form (the shared data module, for one).
    static void registerGlobal(const QString& name, QObject* object);
    static void unregisterGlobal(const QString& name);

    // Where a form class's resource is looked up; a language module may redirect it.
    static QString resourcePathFor(const QString& className);
    // origin names where the replacement came from (a language file), for the errors it causes.
    static void setResourceOverride(const QString& className, const QByteArray& json,
                                    const QString& origin = QString());
    static void clearResourceOverride(const QString& className);

private:
    struct PendingEvent {
        QObject* component;
        QString event;
        QString handler;
        QString resource;
        QString item;
    };

    void readComponent(const QJsonObject& entry, QObject* parent, const QString& path);
    void applyProperties(QObject* component, const QString& className, const QJsonObject& properties);
    void collectEvents(QObject* component, const QString& className, const QJsonObject& events);
    void assignPublishedFields();
    void bindEvents();
    void applyTabOrder(QWidget* container);

    TForm* m_form;
    QString m_resource;
    QSet<QString> m_namedInDocument; // components the current document has named so far
    QString m_item;
    std::vector<PendingEvent> m_events;
};
