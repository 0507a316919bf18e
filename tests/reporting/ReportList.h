#pragma once
// Shows a controller's list of definitions in a combo box the way the base form does, for tests
// that drive the controller without a form.
#include "forms/TComboBox.h"
#include "reporting/ReportController.h"

#include <QSignalBlocker>

inline void showReportsIn(ReportController& controller, TComboBox& combo) {
    QObject::connect(&controller, &ReportController::listed, &combo, [&combo](const QStringList& titles) {
        combo.SetItems(titles);
        combo.SetItemIndex(titles.isEmpty() ? -1 : 0);
    });
    QObject::connect(&controller, &ReportController::added, &combo, [&combo](const QString& title) {
        const int keep = combo.ItemIndex();
        combo.AddItem(title);
        combo.SetItemIndex(keep);
    });
    QObject::connect(&controller, &ReportController::renamed, &combo,
                     [&combo](int index, const QString& title) {
                         if (index >= combo.count())
                             return;
                         const QSignalBlocker block(&combo);
                         combo.setItemText(index, title);
                     });
    QObject::connect(&controller, &ReportController::removed, &combo, [&combo](int index) {
        const QSignalBlocker block(&combo);
        combo.removeItem(index);
    });
}
