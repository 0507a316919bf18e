#pragma once
// A host form: a widget shown as an MDI child of the main window, created from its resources.
// Events: OnCreate (after streaming), OnActivate (becoming the active MDI child), OnClose.
#include "forms/TComponent.h"
#include "host_export.h"

#include <QPointer>
#include <QWidget>

#include <QMdiSubWindow>

class HOST_EXPORT TForm : public QWidget, public TComponent {
    Q_OBJECT
public:
    explicit TForm(QWidget* parent = nullptr);
    ~TForm() override;

    QObject* asObject() override { return this; }

    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption);

    // The control that has (or last had) the focus on this form.
    QWidget* ActiveControl() const { return m_activeControl; }
    void SetActiveControl(QWidget* control) { m_activeControl = control; }

    // Shows the form as the active MDI child; raises OnActivate when it becomes active.
    void Show();
    void Close();
    void BringToFront();

    QMdiSubWindow* subWindow() const { return m_subWindow; }
    void setSubWindow(QMdiSubWindow* sub) { m_subWindow = sub; }

    // Streams the resources of every class in the form's chain, base first, then binds.
    void streamResources();

    // Resource-set form properties that only take effect when the form is shown.
    QSize clientSize() const { return m_clientSize; }
    void setClientSize(const QSize& s);
    QPoint initialPosition() const { return m_position; }
    void setInitialPosition(const QPoint& p) { m_position = p; }
    bool fixedBorder() const { return m_fixedBorder; }
    void setFixedBorder(bool fixed) {
        m_fixedBorder = fixed;
        setClientSize(m_clientSize);
    }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPointer<QWidget> m_activeControl;
    QPointer<QMdiSubWindow> m_subWindow;
    QSize m_clientSize{0, 0};
    QPoint m_position;
    bool m_fixedBorder = false;
};
