#include "reporting/ReportDialogs.h"

#include "core/ServiceSlot.h"

namespace {
class RefusedReportDialogs : public ReportDialogs {
public:
    bool setupPrinter(QPrinter&) override { return false; }
    void previewReport(ReportDocument&) override {}
    bool editReport(ReportEditRequest&) override { return false; }
    std::optional<QString> chooseExportFile(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};
using Slot = ServiceSlot<ReportDialogs, RefusedReportDialogs>;
} // namespace

ReportDialogs::~ReportDialogs() = default;

ReportDialogs& ReportDialogs::instance() {
    return Slot::get();
}

std::unique_ptr<ReportDialogs> ReportDialogs::install(std::unique_ptr<ReportDialogs> dialogs) {
    return Slot::set(std::move(dialogs));
}

bool ReportDialogs::setupPrint(QPrinter& printer, int) {
    return setupPrinter(printer);
}
