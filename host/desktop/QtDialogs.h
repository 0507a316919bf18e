#pragma once
// The Qt implementations of the host's modal services: message boxes and the text prompt, the
// lookup dialog, the printer set-up, the report preview and the designer. Each dialog is parented
// to the active window so that it is modal to it and centred over it.
#include "host_export.h"
#include <QString>
#include <memory>

class MessageSink;
class QWidget;

namespace QtDialogs HOST_EXPORT {
// Messages and prompts as Qt dialogs, for installing as they are or wrapped.
std::unique_ptr<MessageSink> messageSink();
// Installs the message sink given (messageSink() when null), the lookup and the report dialogs.
void install(std::unique_ptr<MessageSink> messages = nullptr);
// The window the dialogs belong to: the active modal dialog or window, else the main window.
QWidget* dialogParent();
} // namespace QtDialogs
