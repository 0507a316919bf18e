#pragma once
// OnChange fires only when the user picks an entry; selecting from code raises nothing.
#include "forms/THostControl.h"
#include "host_export.h"

#include <QComboBox>

class HOST_EXPORT TComboBox : public THostControl<QComboBox> {
    Q_OBJECT
public:
    explicit TComboBox(QWidget* parent = nullptr);
    int ItemIndex() const { return currentIndex(); }
    void SetItemIndex(int index);
    QStringList Items() const;
    void SetItems(const QStringList& items);
    void AddItem(const QString& item);
    QString Text() const { return currentText(); }
};
