#include "forms/TBevel.h"

TBevel::TBevel(QWidget* parent) : THostControl<QFrame>(parent) {
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::HLine);
    setFrameShadow(QFrame::Sunken);
}
