#pragma once
#include "forms/THostControl.h"
#include "host_export.h"

#include <QGroupBox>

class HOST_EXPORT TGroupBox : public THostControl<QGroupBox> {
    Q_OBJECT
public:
    explicit TGroupBox(QWidget* parent = nullptr);
    QString Caption() const { return title(); }
    void SetCaption(const QString& caption) { setTitle(caption); }
};
