#pragma once
// A popup menu component of a form; its items are actions bound by the form that owns it.
#include "forms/TComponent.h"
#include "host_export.h"

#include <QMenu>
#include <QObject>

class HOST_EXPORT TPopupMenu : public QObject, public TComponent {
    Q_OBJECT
public:
    explicit TPopupMenu(QObject* parent = nullptr);
    ~TPopupMenu() override;
    QObject* asObject() override { return this; }
    QMenu* menu() { return &m_menu; }

private:
    QMenu m_menu;
};
