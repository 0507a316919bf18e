#pragma once
// The one long action running in the background, if any (a report reading its rows on a worker
// thread). Whatever would pull the ground from under it (closing the main window or a screen,
// quitting, a scripted step) asks it to stop and waits until it has, instead of destroying what it
// still uses.
#include "host_export.h"
#include <QObject>
#include <functional>

class HOST_EXPORT RunningTask : public QObject {
    Q_OBJECT
public:
    static RunningTask& instance();

    bool isRunning() const { return bool(m_cancel); }
    // Asks the running action to stop (nothing when none runs).
    void cancel();
    // Calls then, in context's thread, once nothing runs: at once when nothing does.
    void whenIdle(QObject* context, std::function<void()> then);
    // For whatever would close under a running action: false when nothing runs; otherwise stops it,
    // calls retry once it has stopped, and returns true (the caller does not close now).
    bool stopFirst(QObject* context, std::function<void()> retry);

    // For the action itself: begins with the way to stop it, ends when it has stopped.
    void begin(std::function<void()> cancel);
    void end();

signals:
    void idle();

private:
    RunningTask() = default;
    std::function<void()> m_cancel;
};
