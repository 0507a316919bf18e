#include "forms/HostTypes.h"

int HostKey::fromQtKey(int qtKey) {
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return F1 + (qtKey - Qt::Key_F1);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return qtKey; // 'A'..'Z' are 65..90 in both
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return qtKey;
    switch (qtKey) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Return;
    case Qt::Key_Escape:
        return Escape;
    case Qt::Key_Space:
        return Space;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    default:
        return 0;
    }
}

TShiftState shiftStateFromQt(Qt::KeyboardModifiers modifiers) {
    TShiftState s;
    if (modifiers & Qt::ShiftModifier)
        s |= ShiftFlag::Shift;
    if (modifiers & Qt::ControlModifier)
        s |= ShiftFlag::Ctrl;
    if (modifiers & Qt::AltModifier)
        s |= ShiftFlag::Alt;
    return s;
}
