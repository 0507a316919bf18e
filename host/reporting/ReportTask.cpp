#include "reporting/ReportTask.h"

#include "core/Errors.h"
#include "core/RunningTask.h"
#include "data/Dialect.h"
#include "reporting/ReportDocument.h"
#include "reporting/ReportProgressDialog.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPrinter>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace {

// A server that stopped, restarted or dropped the connection: the worker's connection no longer
// answers the cheapest question there is.
bool connectionLost(QSqlDatabase& db) {
    return db.isValid() && Dialect::of(db).connectionLost(db);
}

QString lostMessage(const QString& title, const QString& database, const QString& detail) {
    return QStringLiteral("A conexão com o banco de dados '%1' foi perdida durante o relatório '%2'. Nada "
                          "foi gravado. Repita a ação quando o servidor estiver disponível: a conexão é "
                          "refeita automaticamente.\n\nDetalhe: %3")
        .arg(database, title, detail);
}

} // namespace

ReportTask::ReportTask(QWidget* window, QString title) : m_window(window), m_title(std::move(title)) {}

ReportTask::~ReportTask() {
    if (m_thread) {
        cancel();
        m_thread->wait();
    }
    if (m_registered)
        RunningTask::instance().end();
}

void ReportTask::start(Work work, const QSqlDatabase& source, const QString& databaseName) {
    const QString sourceName = source.isValid() ? source.connectionName() : QString();
    m_thread.reset(QThread::create([this, work = std::move(work), sourceName, databaseName] {
        this->work(work, sourceName, databaseName);
    }));
    m_thread->setObjectName(QStringLiteral("relatório"));
    // Emitted on the worker thread; received here once every row it posted has been.
    connect(m_thread.get(), &QThread::finished, this, &ReportTask::onFinished, Qt::QueuedConnection);
    RunningTask::instance().begin([this] { cancel(); });
    m_registered = true;
    m_thread->start();
}

void ReportTask::work(const Work& work, const QString& sourceName, const QString& databaseName) {
    const QString name = QStringLiteral("report-task-%1").arg(quintptr(this), 0, 16);
    try {
        QSqlDatabase db;
        if (!sourceName.isEmpty()) {
            db = QSqlDatabase::cloneDatabase(sourceName, name);
            if (!db.open())
                throw EHostError(lostMessage(m_title, databaseName, db.lastError().text().trimmed()));
            Dialect::of(db).prepare(db);
        }
        try {
            work(db, m_progress);
        } catch (const EHostError& e) {
            if (connectionLost(db))
                throw EHostError(lostMessage(m_title, databaseName, e.message()));
            throw;
        }
    } catch (...) {
        m_error = std::current_exception();
    }
    QSqlDatabase::removeDatabase(name);
}

void ReportTask::onFinished() {
    if (m_finished)
        return;
    m_thread->wait();
    m_finished = true;
    if (m_registered) {
        m_registered = false;
        RunningTask::instance().end();
    }
    emit finished();
}

void ReportTask::rethrow() const {
    if (m_error)
        std::rethrow_exception(m_error);
    if (m_progress.cancelled)
        throw EAbort();
}

QString ReportTask::errorMessage() const {
    try {
        rethrow();
    } catch (const EHostError& e) {
        return e.message();
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    }
    return {};
}

void ReportTask::wait(const std::function<bool()>& ready) {
    auto done = [&] { return m_finished || (ready && ready()); };
    if (!done()) {
        ReportProgressDialog window(m_window, m_title, m_progress);
        QEventLoop loop;
        connect(this, &ReportTask::finished, &loop, &QEventLoop::quit);
        // The rows arrive as posted events; a short beat looks at them and at the progress.
        QTimer beat;
        beat.setInterval(20);
        connect(&beat, &QTimer::timeout, &loop, [&] {
            window.update();
            if (done())
                loop.quit();
        });
        beat.start();
        loop.exec();
        if (!done()) {
            // Left from outside: the application quits. The work stops before anything it uses goes.
            cancel();
            m_thread->wait();
            onFinished();
            throw EAbort();
        }
    }
    if (m_finished)
        rethrow();
}

void ReportTask::print(QWidget* window, const ReportDocument& doc, QPrinter& printer, int from, int to) {
    from = qMax(1, from);
    if (to <= 0 || to > doc.pageCount())
        to = doc.pageCount();
    ReportTask task(window, doc.title());
    task.progress().pageTotal = qMax(0, to - from + 1);
    task.start([&doc, &printer, from, to](QSqlDatabase, ReportProgress& progress) {
        doc.print(printer, from, to, [&progress, from](int page) {
            progress.pages = page - from + 1;
            return progress.cancelled.load();
        });
    });
    task.wait();
}
