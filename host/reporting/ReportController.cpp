// Placeholder until the report engine lands: lists nothing and refuses every action.
#include "reporting/ReportController.h"

#include "library/Errors.h"

struct ReportController::Private {};

ReportController::ReportController(QObject* parent) : QObject(parent), d(new Private) {}
ReportController::~ReportController() { delete d; }

std::vector<ReportEntry> ReportController::listReports(const QString&, const QString&) { return {}; }
void ReportController::setContext(const ReportContext& context) { m_context = context; }
void ReportController::reload() {}
void ReportController::preview(int) { throw EHostError(QStringLiteral("Relatórios indisponíveis.")); }
void ReportController::print(int) { throw EHostError(QStringLiteral("Relatórios indisponíveis.")); }
void ReportController::saveAs(int) { throw EHostError(QStringLiteral("Relatórios indisponíveis.")); }
void ReportController::printerSetup(int) { throw EHostError(QStringLiteral("Relatórios indisponíveis.")); }
void ReportController::edit(int) { throw EHostError(QStringLiteral("Relatórios indisponíveis.")); }
