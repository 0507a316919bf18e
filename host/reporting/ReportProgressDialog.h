#pragma once
// What the user sees while a report runs: nothing for the first half second, then a window with the
// rows read so far and Cancel. Turns the engine's progress (ReportRun::progress) into that window.
#include "host_export.h"
#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QProgressDialog;
class QWidget;

class HOST_EXPORT ReportProgressDialog {
public:
    ReportProgressDialog(QWidget* parent, QString title);
    ~ReportProgressDialog();
    ReportProgressDialog(const ReportProgressDialog&) = delete;
    ReportProgressDialog& operator=(const ReportProgressDialog&) = delete;

    // The engine's progress: true when the user asked to stop. Cancel is looked at between rows;
    // one thread, since the connection lives in this one.
    bool operator()(qint64 rowsFetched);

private:
    QWidget* m_parent;
    QString m_title;
    QElapsedTimer m_clock; // from the start of the fetch
    QPointer<QProgressDialog> m_dialog;
};
