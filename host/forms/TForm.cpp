#include "forms/TForm.h"

#include "core/RunningTask.h"

#include "forms/FormReader.h"
#include "forms/TApplication.h"

#include <QCloseEvent>
#include <QFile>
#include <QMdiSubWindow>
#include <vector>

TForm::TForm(QWidget* parent) : QWidget(parent) {
    setProperty("hostClass", QStringLiteral("TForm"));
}

TForm::~TForm() = default;

void TForm::SetCaption(const QString& caption) {
    setWindowTitle(caption);
    if (m_subWindow)
        m_subWindow->setWindowTitle(caption);
}

void TForm::setClientSize(const QSize& s) {
    m_clientSize = s;
    if (s.width() <= 0 || s.height() <= 0)
        return; // the other half comes with the next property
    resize(s);
    if (m_fixedBorder)
        setFixedSize(s);
}

void TForm::Show() {
    TApplication::instance().showForm(this);
}

void TForm::Close() {
    if (m_subWindow)
        m_subWindow->close();
    else
        close();
}

void TForm::BringToFront() {
    Show();
}

void TForm::streamResources() {
    std::vector<const QMetaObject*> chain;
    for (const QMetaObject* mo = metaObject(); mo && mo != &TForm::staticMetaObject; mo = mo->superClass())
        chain.insert(chain.begin(), mo);
    FormReader reader(this);
    for (const QMetaObject* mo : chain) {
        const QString path = FormReader::resourcePathFor(QString::fromLatin1(mo->className()));
        if (QFile::exists(path) || mo == metaObject())
            reader.read(path);
    }
    reader.finish();
}

void TForm::closeEvent(QCloseEvent* event) {
    // Not while one of its actions still runs in the background: that one is stopped first.
    if (RunningTask::instance().stopFirst(this, [this] { close(); })) {
        event->ignore();
        return;
    }
    TCloseAction action = caHide;
    bool failed = false;
    TApplication::guard([&] { raiseClose(QStringLiteral("OnClose"), action); }, &failed);
    if (failed || action == caNone) {
        event->ignore();
        return;
    }
    event->accept();
    if (action == caFree) {
        if (m_subWindow)
            m_subWindow->setAttribute(Qt::WA_DeleteOnClose, true);
        else
            deleteLater();
    }
}
