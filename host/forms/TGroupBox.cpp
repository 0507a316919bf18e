#include "forms/TGroupBox.h"

TGroupBox::TGroupBox(QWidget* parent) : THostControl<QGroupBox>(parent) {}
