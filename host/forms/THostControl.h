#pragma once
// The host's view of a visual control on top of its Qt widget: its own Enabled flag (separate from
// its group's), focus that the form records as its ActiveControl, and the TComponent events.
#include "forms/TComponent.h"
#include "forms/TForm.h"
#include "host_export.h"

#include <QWidget>

namespace HostControl HOST_EXPORT {
// The control's own flag, whatever its parents say.
inline bool ownEnabled(const QWidget* w) {
    return !w->testAttribute(Qt::WA_ForceDisabled);
}
// True when the control and every parent up to its form are enabled and visible.
bool canFocus(QWidget* w);
// Moves the focus to w and records it as its form's ActiveControl; a control that cannot take the
// focus leaves it where it was.
void setFocus(QWidget* w);
} // namespace HostControl

template <class Base> class THostControl : public Base, public TComponent {
public:
    using Base::Base;
    QObject* asObject() override { return this; }

    bool Enabled() const { return HostControl::ownEnabled(this); }
    void SetEnabled(bool enabled) { Base::setEnabled(enabled); }
    bool Visible() const { return !this->isHidden(); }
    void SetVisible(bool visible) { Base::setVisible(visible); }
    void SetFocus() { HostControl::setFocus(this); }
    bool CanFocus() { return HostControl::canFocus(this); }
    bool Focused() const { return this->hasFocus(); }
};
