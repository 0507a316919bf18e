#include "SessionProbe.h"

#include "MainWindow.h"
#include "SessionOutput.h"

#include "forms/TApplication.h"
#include "packages/PackageLoader.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPointer>
#include <QStatusBar>
#include <QTextStream>
#include <QTimer>
#include <memory>

using SessionOutput::fact;
using SessionOutput::trace;

namespace {

QString nameOf(const QWidget* w) {
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

} // namespace

namespace SessionProbe {

void describe(MainWindow& window) {
    QTextStream out(stdout);
    out << "janela\t" << window.windowTitle() << '\n';
    for (QLabel* label : window.statusBar()->findChildren<QLabel*>())
        out << "status\t" << label->objectName() << '\t' << label->text() << '\n';
    for (QAction* top : window.menuBar()->actions()) {
        QMenu* menu = top->menu();
        if (!menu)
            continue;
        emit menu->aboutToShow(); // the window list is filled when the menu opens
        QStringList items;
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                items << a->text() + (a->isEnabled() ? QString() : QStringLiteral(" (desabilitado)"));
        out << "menu\t" << top->text() << '\t' << items.join('|') << '\n';
    }
    for (Package* p : PackageLoader::instance().loaded())
        out << "modulo\t" << p->name << '\t' << p->path << '\n';
    for (TForm* f : TApplication::instance().forms())
        out << "tela\t" << f->metaObject()->className() << '\t' << f->Caption() << '\n';
    TForm* form = TApplication::instance().activeForm();
    if (!form)
        return;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w))
            text = l->text();
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            text = g->title();
        else if (auto* c = qobject_cast<QComboBox*>(w))
            text = c->currentText();
        out << "controle\t" << w->objectName() << '\t' << w->metaObject()->className() << '\t' << text << '\t'
            << w->accessibleName() << '\t' << (w->isEnabled() ? 1 : 0) << '\n';
    }
    out.flush();
}

void watch(MainWindow& window, const QString& dir) {
    auto save = [dir](QWidget* w, const QString& file) {
        const QString path = QDir(dir).filePath(file);
        if (w->grab().save(path))
            fact({QStringLiteral("imagem"), path});
        else
            trace(QStringLiteral("não foi possível gravar '%1'").arg(path));
    };
    if (QWidget* now = QApplication::focusWidget())
        fact({QStringLiteral("foco"), nameOf(now), nameOf(now->window())});
    auto lastWindow = std::make_shared<QPointer<QWidget>>();
    QObject::connect(qApp, &QApplication::focusChanged, &window, [=](QWidget*, QWidget* now) {
        if (!now)
            return; // the window lost the focus: nothing moved inside it
        QWidget* top = now->window();
        fact({QStringLiteral("foco"), nameOf(now), nameOf(top)});
        if (!dir.isEmpty() && qobject_cast<QDialog*>(top) && *lastWindow != top) {
            QPointer<QWidget> dialog(top);
            QTimer::singleShot(300, top, [=] {
                if (dialog)
                    save(dialog, QStringLiteral("teclado-%1.png").arg(nameOf(dialog)));
            });
        }
        *lastWindow = top;
    });
    for (TForm* form : TApplication::instance().forms()) {
        if (auto* combo = form->findChild<QComboBox*>(QStringLiteral("cbbReportNames")))
            QObject::connect(combo, &QComboBox::currentIndexChanged, &window, [=, &window](int index) {
                fact({QStringLiteral("relatorio"), QString::number(index), combo->itemText(index)});
                if (!dir.isEmpty()) // after the screen has enabled its filters for the report
                    QTimer::singleShot(200, &window, [=, &window] {
                        save(&window, QStringLiteral("teclado-variante-%1.png").arg(index));
                    });
            });
        for (QAbstractButton* b : form->findChildren<QAbstractButton*>())
            if (b->isCheckable())
                QObject::connect(b, &QAbstractButton::toggled, &window, [=](bool on) {
                    fact({QStringLiteral("marcado"), nameOf(b),
                          on ? QStringLiteral("1") : QStringLiteral("0")});
                });
    }
}

} // namespace SessionProbe
