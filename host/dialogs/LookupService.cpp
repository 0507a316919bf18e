#include "dialogs/LookupService.h"

#include "core/ServiceSlot.h"

namespace {
class CancelledLookup : public LookupService {
public:
    std::optional<QStringList> chooseFromList(const LookupRequest&) override { return std::nullopt; }
};
using Slot = ServiceSlot<LookupService, CancelledLookup>;
} // namespace

LookupService::~LookupService() = default;

LookupService& LookupService::instance() {
    return Slot::get();
}

std::unique_ptr<LookupService> LookupService::install(std::unique_ptr<LookupService> service) {
    return Slot::set(std::move(service));
}
