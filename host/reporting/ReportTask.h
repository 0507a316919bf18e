#pragma once
// A report's reading and writing on a worker thread, with a connection of its own to the same
// database, while the thread that started it goes on handling events: the windows repaint, Cancel
// answers, and the progress window covers the whole run (query, fetch, layout, writing). Registered
// as the host's RunningTask while the work runs, so nothing closes under it.
#include "host_export.h"

#include <QObject>
#include <QPointer>
#include <QSqlDatabase>
#include <QString>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>

class QPrinter;
class QThread;
class QWidget;
class ReportDocument;

// What the work tells and the progress window shows; any thread may read and write it.
struct HOST_EXPORT ReportProgress {
    std::atomic<qint64> rows{0};   // rows read so far
    std::atomic<int> pages{0};     // pages written or printed so far
    std::atomic<int> pageTotal{0}; // pages to print, when printing
    std::atomic<bool> cancelled{false};
};

class HOST_EXPORT ReportTask : public QObject {
    Q_OBJECT
public:
    // The work, on the worker thread: the connection opened there (invalid for work that reads
    // nothing) and the progress to keep up to date; it throws EAbort once progress.cancelled is set.
    using Work = std::function<void(QSqlDatabase connection, ReportProgress& progress)>;

    // title: the report's, for the progress window and messages; window: the progress window's parent.
    ReportTask(QWidget* window, QString title);
    // Cancels the work if it still runs and waits for it to stop.
    ~ReportTask() override;

    // Starts the work; with source, on a new connection to source's database opened on the worker
    // thread (databaseName is how messages name it).
    void start(Work work, const QSqlDatabase& source = {}, const QString& databaseName = {});
    // Handles events, with the progress window after half a second, until the work has ended or
    // ready() holds. Throws what the work threw; EAbort when it was cancelled or when the
    // application began to quit meanwhile (the work is then stopped before this returns).
    void wait(const std::function<bool()>& ready = {});
    void cancel() { m_progress.cancelled = true; }
    bool isFinished() const { return m_finished; }
    // The work's error as the user reads it; empty when it ended well or was cancelled.
    QString errorMessage() const;
    ReportProgress& progress() { return m_progress; }

    // Prints pages from..to (1-based, to = 0 for the last) of a complete document on the worker
    // thread, with the progress window. Throws as wait() does.
    static void print(QWidget* window, const ReportDocument& document, QPrinter& printer, int from = 1,
                      int to = 0);

signals:
    // The work has ended, well or not; delivered in the thread that started it.
    void finished();

private:
    void work(const Work& work, const QString& sourceName, const QString& databaseName);
    void onFinished();
    void rethrow() const;

    QPointer<QWidget> m_window;
    QString m_title;
    ReportProgress m_progress;
    std::unique_ptr<QThread> m_thread;
    std::exception_ptr m_error;
    bool m_finished = false;
    bool m_registered = false;
};
