#include "core/RunningTask.h"

#include <QPointer>

RunningTask& RunningTask::instance() {
    static RunningTask* task = new RunningTask; // lives as long as the process
    return *task;
}

void RunningTask::cancel() {
    if (m_cancel)
        m_cancel();
}

void RunningTask::whenIdle(QObject* context, std::function<void()> then) {
    if (!isRunning()) {
        then();
        return;
    }
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(
        this, &RunningTask::idle, context,
        [connection, then = std::move(then)] {
            disconnect(*connection);
            then();
        },
        Qt::QueuedConnection);
}

bool RunningTask::stopFirst(QObject* context, std::function<void()> retry) {
    if (!isRunning())
        return false;
    cancel();
    whenIdle(context, std::move(retry));
    return true;
}

void RunningTask::begin(std::function<void()> cancel) {
    m_cancel = std::move(cancel);
}

void RunningTask::end() {
    m_cancel = nullptr;
    emit idle();
}
