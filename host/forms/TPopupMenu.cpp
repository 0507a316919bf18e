#include "forms/TPopupMenu.h"

TPopupMenu::TPopupMenu(QObject* parent) : QObject(parent) {}
TPopupMenu::~TPopupMenu() = default;
