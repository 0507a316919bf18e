#include "forms/TComboBox.h"

#include <QSignalBlocker>

TComboBox::TComboBox(QWidget* parent) : THostControl<QComboBox>(parent) {
    setEditable(false);
    connect(this, &QComboBox::activated, this, [this](int) { userNotify(QStringLiteral("OnChange")); });
}

void TComboBox::SetItemIndex(int index) {
    QSignalBlocker block(this);
    setCurrentIndex(index < count() ? index : -1);
}

QStringList TComboBox::Items() const {
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out << itemText(i);
    return out;
}

void TComboBox::SetItems(const QStringList& items) {
    QSignalBlocker block(this);
    clear();
    addItems(items);
    setCurrentIndex(-1);
}

void TComboBox::AddItem(const QString& item) {
    QSignalBlocker block(this);
    addItem(item);
}
