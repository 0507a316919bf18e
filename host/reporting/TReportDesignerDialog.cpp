#include "reporting/TReportDesignerDialog.h"

TReportDesignerDialog::TReportDesignerDialog(QObject* parent) : QObject(parent) {}

void TReportDesignerDialog::BeforeGetQueryParams(TParams* params, bool& flag) {
    void* argv[] = {nullptr, &params, &flag};
    invoke(QStringLiteral("BeforeGetQueryParams"), argv);
}

const EventSignature& TReportDesignerDialog::beforeGetQueryParamsSignature() {
    static const EventSignature s{"TParams*", "bool&"};
    return s;
}
