#include "forms/THostControl.h"

bool HostControl::canFocus(QWidget* w) {
    if (w->focusPolicy() == Qt::NoFocus)
        return false;
    for (QWidget* p = w; p; p = p->parentWidget()) {
        if (!ownEnabled(p) || p->isHidden())
            return false;
        if (qobject_cast<TForm*>(p))
            break;
    }
    return true;
}

void HostControl::setFocus(QWidget* w) {
    if (!canFocus(w))
        return;
    if (TComponent* c = asComponent(w))
        if (TForm* f = c->ownerForm())
            f->SetActiveControl(w);
    w->setFocus(Qt::OtherFocusReason);
}
