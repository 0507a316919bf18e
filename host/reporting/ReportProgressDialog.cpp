#include "reporting/ReportProgressDialog.h"

#include "reporting/ReportTask.h"

#include <QApplication>
#include <QProgressDialog>

namespace {
constexpr int kProgressDelayMs = 500;
}

ReportProgressDialog::ReportProgressDialog(QWidget* parent, QString title, ReportProgress& progress)
    : m_parent(parent), m_title(std::move(title)), m_progress(progress) {
    m_clock.start();
}

ReportProgressDialog::~ReportProgressDialog() {
    delete m_dialog;
}

void ReportProgressDialog::update() {
    // Without widgets there is no window to show.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    if (!m_dialog) {
        if (m_clock.elapsed() < kProgressDelayMs || m_progress.cancelled)
            return;
        m_dialog = new QProgressDialog(m_parent);
        m_dialog->setWindowTitle(QStringLiteral("Relatório"));
        m_dialog->setAccessibleName(QStringLiteral("Andamento do relatório"));
        m_dialog->setCancelButtonText(QStringLiteral("Cancelar"));
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setRange(0, 0);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        // Cancel, Esc and closing the window all stop the run.
        ReportProgress* progress = &m_progress;
        QObject::connect(m_dialog, &QProgressDialog::canceled, m_dialog,
                         [progress] { progress->cancelled = true; });
        QObject::connect(m_dialog, &QDialog::rejected, m_dialog, [progress] { progress->cancelled = true; });
        m_dialog->show();
    }
    const int total = m_progress.pageTotal;
    QString text;
    if (m_progress.cancelled)
        text = QStringLiteral("Cancelando \"%1\"...").arg(m_title);
    else if (total > 0)
        text = QStringLiteral("Imprimindo \"%1\"...\npágina %2 de %3")
                   .arg(m_title)
                   .arg(m_progress.pages.load())
                   .arg(total);
    else if (m_progress.pages > 0)
        text = QStringLiteral("Gerando \"%1\"...\n%2 registros lidos, %3 páginas")
                   .arg(m_title)
                   .arg(m_progress.rows.load())
                   .arg(m_progress.pages.load());
    else
        text =
            QStringLiteral("Gerando \"%1\"...\n%2 registros lidos").arg(m_title).arg(m_progress.rows.load());
    if (total > 0 && m_dialog->maximum() != total)
        m_dialog->setRange(0, total);
    if (total > 0)
        m_dialog->setValue(m_progress.pages);
    if (m_dialog->labelText() != text)
        m_dialog->setLabelText(text);
}
