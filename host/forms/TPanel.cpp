#include "forms/TPanel.h"

TPanel::TPanel(QWidget* parent) : THostControl<QFrame>(parent) {
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
}

void TPanel::SetBevel(const QString& outer) {
    if (outer == "bvRaised") {
        setFrameShape(QFrame::Panel);
        setFrameShadow(QFrame::Raised);
    } else if (outer == "bvLowered") {
        setFrameShape(QFrame::Panel);
        setFrameShadow(QFrame::Sunken);
    } else {
        setFrameShape(QFrame::NoFrame);
    }
}
