#include "reporting/ReportProgressDialog.h"

#include <QApplication>
#include <QProgressDialog>

namespace {
constexpr int kProgressDelayMs = 500;
}

ReportProgressDialog::ReportProgressDialog(QWidget* parent, QString title)
    : m_parent(parent), m_title(std::move(title)) {}

ReportProgressDialog::~ReportProgressDialog() {
    delete m_dialog;
}

bool ReportProgressDialog::operator()(qint64 rows) {
    if (!m_clock.isValid())
        m_clock.start();
    // Every 64 rows is often enough for the label and Cancel; without widgets there is no window.
    if ((rows & 63) != 0 || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    if (!m_dialog) {
        if (m_clock.elapsed() < kProgressDelayMs)
            return false;
        m_dialog = new QProgressDialog(m_parent);
        m_dialog->setWindowTitle(QStringLiteral("Relatório"));
        m_dialog->setCancelButtonText(QStringLiteral("Cancelar"));
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setRange(0, 0);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->show();
    }
    m_dialog->setLabelText(QStringLiteral("Gerando \"%1\"...\n%2 registros lidos").arg(m_title).arg(rows));
    QCoreApplication::processEvents();
    return m_dialog->wasCanceled();
}
