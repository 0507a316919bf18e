#pragma once
// Host key codes, shift state and close actions, as the handlers of a form receive them.
#include "host_export.h"
#include <QFlags>
#include <QObject>

namespace HostKey HOST_EXPORT {
constexpr int Tab = 9;
constexpr int Return = 13;
constexpr int Escape = 27;
constexpr int Space = 32;
constexpr int F1 = 112;
constexpr int F8 = 119;
constexpr int F9 = 120;
// The host's virtual-key number of a Qt key (0 where the host has none).
int fromQtKey(int qtKey);
} // namespace HostKey

enum class ShiftFlag { Shift = 1, Alt = 2, Ctrl = 4 };
Q_DECLARE_FLAGS(TShiftState, ShiftFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TShiftState)
HOST_EXPORT TShiftState shiftStateFromQt(Qt::KeyboardModifiers modifiers);

enum TCloseAction { caNone = 0, caHide = 1, caFree = 2, caMinimize = 3 };

// Screen cursors as the host numbers them.
namespace HostCursor HOST_EXPORT {
constexpr int crDefault = 0;
constexpr int crHourGlass = -11;
} // namespace HostCursor
