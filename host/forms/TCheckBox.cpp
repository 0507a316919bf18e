#include "forms/TCheckBox.h"

TCheckBox::TCheckBox(QWidget* parent) : THostControl<QCheckBox>(parent) {}
