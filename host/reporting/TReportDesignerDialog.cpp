#include "reporting/TReportDesignerDialog.h"

TReportDesignerDialog::TReportDesignerDialog(QObject* parent) : QObject(parent) {}

void TReportDesignerDialog::BeforeGetQueryParams(TParams* params, bool& flag) {
    raiseBeforeGetQueryParams(QStringLiteral("BeforeGetQueryParams"), params, flag);
}
