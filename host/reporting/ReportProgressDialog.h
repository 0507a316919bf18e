#pragma once
// What the user sees while a report runs: nothing for the first half second, then a window with what
// the run has done so far (rows read, pages written or printed) and Cancel. It shows what a
// ReportTask's work reports; closing it cancels the run as Cancel does.
#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QProgressDialog;
class QWidget;
struct ReportProgress;

class ReportProgressDialog {
public:
    ReportProgressDialog(QWidget* parent, QString title, ReportProgress& progress);
    ~ReportProgressDialog();
    ReportProgressDialog(const ReportProgressDialog&) = delete;
    ReportProgressDialog& operator=(const ReportProgressDialog&) = delete;

    // Brings the window up to date, opening it once the run has taken half a second.
    void update();

private:
    QPointer<QWidget> m_parent;
    QString m_title;
    ReportProgress& m_progress;
    QElapsedTimer m_clock;
    QPointer<QProgressDialog> m_dialog;
};
