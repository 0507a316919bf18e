// Open and close the screen, load and unload the module, with a lookup and a report to PDF now and
// then. Natively (1,000 opens over 100 loads) the resident memory after the first 10 loads may grow
// by less than 1 MiB over the rest. Under valgrind (scripts/quality.sh: 50 opens, 10 loads) the same
// program is what memcheck watches; under a sanitizer or valgrind the memory is not measured.
//   ERP_LIFETIME_OPENS, ERP_LIFETIME_LOADS   cycles (opens are spread evenly over the loads)
#include "core/Errors.h"
#include "core/HostSettings.h"
#include "data/dtmDBGeral.h"
#include "demo/DemoDatabase.h"
#include "library/FiliProc.h"
#include "quality/ModuleScreen.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#else
#define RUNNING_ON_VALGRIND 0
#endif

namespace {

bool instrumented() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return RUNNING_ON_VALGRIND != 0;
}

int cycles(const char* name, int native, int instrumentedDefault) {
    bool ok = false;
    const int n = qEnvironmentVariableIntValue(name, &ok);
    return ok && n > 0 ? n : (instrumented() ? instrumentedDefault : native);
}

long residentBytes() {
    malloc_trim(0); // what glibc keeps for reuse is not growth
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * sysconf(_SC_PAGESIZE) : -1;
}

TEST(Lifetime, OpenCloseLoadUnloadKeepsMemoryFlat) {
    const int opens = cycles("ERP_LIFETIME_OPENS", 1000, 50);
    const int loads = std::max(1, std::min(opens, cycles("ERP_LIFETIME_LOADS", 100, 10)));
    const int opensPerLoad = opens / loads;
    const int warmLoads = std::min(10, loads / 2);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString url = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("demo.db"));
    DemoDatabase::create(url);
    dtmDBGeral::instance().open(url);
    SetFilial(QStringLiteral("01"));
    HostSettings::setReportsDir(TestEnv::sourceDir() + QStringLiteral("/reports"));
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    HostSettings::setPrinter(QStringLiteral("pdf:") + pdf);

    ModuleScreen screen;
    long baseline = -1;
    int opened = 0, lookups = 0, reports = 0;
    for (int load = 0; load < loads; ++load) {
        if (load == warmLoads)
            baseline = residentBytes();
        screen.load();
        for (int i = 0; i < opensPerLoad; ++i, ++opened) {
            TestEnv::reset();
            ASSERT_NE(screen.open(), nullptr);
            if (opened % 10 == 5) {
                screen.pickVariant(1); // clients by line of business: no dates to fill
                screen.lookupClients(TestEnv::dialogs(),
                                     [](const LookupRequest& r) { return firstKeys(r, 3); });
                ++lookups;
                QFile::remove(pdf);
                screen.click("sbtPrint");
                ++reports;
                ASSERT_TRUE(TestEnv::dialogs().errors().isEmpty())
                    << TestEnv::dialogs().errors().join('\n').toStdString();
                ASSERT_TRUE(QFile::exists(pdf));
            }
            screen.close();
            // A session runs its event loop between windows; without it Qt's queue of posted events
            // (polish requests of every widget created) only grows.
            QCoreApplication::processEvents();
        }
        screen.unload();
    }
    const long last = residentBytes();
    std::printf("lifetime: %d opens, %d loads, %d lookups, %d reports", opened, loads, lookups, reports);
    if (baseline > 0 && !instrumented())
        std::printf(", resident %.1f MiB after %d loads, %.1f MiB at the end (growth %+ld KiB)",
                    baseline / 1048576.0, warmLoads, last / 1048576.0, (last - baseline) / 1024);
    std::printf("\n");
    dtmDBGeral::instance().close();
    if (instrumented() || baseline < 0 || loads < 20)
        return; // too few cycles, or a tool that keeps freed memory, say nothing about growth
    EXPECT_LT(last - baseline, 1024L * 1024L)
        << "resident memory grew from " << baseline << " to " << last << " bytes";
}

} // namespace
