#include "dialogs/DialogService.h"

#include "dialogs/ScriptedDialogService.h"

namespace {
std::unique_ptr<DialogService>& current() {
    // Until the application installs its own, nothing modal can block: a scripted service records.
    static std::unique_ptr<DialogService> service = std::make_unique<ScriptedDialogService>();
    return service;
}
} // namespace

DialogService::~DialogService() = default;

DialogService& DialogService::instance() {
    return *current();
}

std::unique_ptr<DialogService> DialogService::install(std::unique_ptr<DialogService> service) {
    auto previous = std::move(current());
    current() = std::move(service);
    return previous;
}
