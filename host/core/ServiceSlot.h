#pragma once
// One installed implementation of a host service, replaceable by the application or a test.
// Only included by the .cpp that defines the service's instance() and install(), so that the
// slot lives in the host library and nowhere else.
#include <memory>

template <class Service, class Fallback> class ServiceSlot {
public:
    static Service& get() { return *slot(); }
    static std::unique_ptr<Service> set(std::unique_ptr<Service> service) {
        auto previous = std::move(slot());
        slot() = service ? std::move(service) : std::make_unique<Fallback>();
        return previous;
    }

private:
    static std::unique_ptr<Service>& slot() {
        static std::unique_ptr<Service> service = std::make_unique<Fallback>();
        return service;
    }
};
