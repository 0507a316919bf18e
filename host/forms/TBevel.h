#pragma once
#include "forms/THostControl.h"

#include <QFrame>

class TBevel : public THostControl<QFrame> {
    Q_OBJECT
public:
    explicit TBevel(QWidget* parent = nullptr);
};
