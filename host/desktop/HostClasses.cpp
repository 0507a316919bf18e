// Every layer's component classes, registered in layer order the first time the application is
// initialised. This file sits above every layer, so no layer has to know the ones above it.
#include "data/DataClasses.h"
#include "forms/TApplication.h"
#include "library/LibraryClasses.h"
#include "reporting/ReportingClasses.h"

namespace {
const bool registered = [] {
    TApplication::setClassRegistration([] {
        registerDataClasses();
        registerLibraryClasses();
        registerReportingClasses();
    });
    return true;
}();
} // namespace
