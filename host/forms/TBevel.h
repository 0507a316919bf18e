#pragma once
#include "forms/THostControl.h"
#include "host_export.h"

#include <QFrame>

class HOST_EXPORT TBevel : public THostControl<QFrame> {
    Q_OBJECT
public:
    explicit TBevel(QWidget* parent = nullptr);
};
