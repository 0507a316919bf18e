#pragma once
// The report actions as the screen drives them: the controller on the shipped definitions of
// QMT318, the screen's parameter handler standing in as a ParamFiller (March 2026, branch 01).
#include "ParamFiller.h"
#include "ReportTestData.h"
#include "core/HostSettings.h"
#include "reporting/ReportController.h"
#include "reporting/TReportDesignerDialog.h"

struct ReportHarness {
    TReportDesignerDialog designer;
    ParamFiller filler;
    ReportController controller;
    ReportHarness() {
        filler.bindTo(designer);
        HostSettings::setReportsDir(TestEnv::sourceDir() + "/reports");
        HostSettings::setPrinter({});
        ReportContext ctx;
        ctx.code = "QMT318";
        ctx.designer = &designer;
        controller.setContext(ctx);
        controller.reload();
        filler.fill = [](TParams* p) {
            TestFilters f;
            f.from = QDate(2026, 3, 1);
            f.to = QDate(2026, 3, 31);
            fillParams(p, f);
        };
    }
};
