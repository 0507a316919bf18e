// A report printed to a disk that fills up or that is mounted read-only: the message says so in
// Portuguese and names the file, and nothing is left at the target. Needs root to mount the small
// file systems; skipped otherwise.
#include "ReportHarness.h"
#include "core/Errors.h"
#include "core/HostSettings.h"
#include "reporting/export/ReportExport.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using Format = ReportExport::Format;

bool sh(const QString& command) {
    return QProcess::execute("/bin/sh", {"-c", command}) == 0;
}

// A 256 KiB tmpfs; full leaves it with a few bytes free, readOnly remounts it read-only.
class SmallDisk {
public:
    SmallDisk() { m_ok = sh(QStringLiteral("mount -t tmpfs -o size=256k tmpfs '%1'").arg(m_dir.path())); }
    ~SmallDisk() {
        if (m_ok)
            sh(QStringLiteral("umount '%1'").arg(m_dir.path()));
    }
    bool mounted() const { return m_ok; }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    bool fill() {
        return sh(QStringLiteral("dd if=/dev/zero of='%1' bs=1k count=1024 2>/dev/null; true")
                      .arg(path("ocupado")));
    }
    bool makeReadOnly() { return sh(QStringLiteral("mount -o remount,ro '%1'").arg(m_dir.path())); }
    QStringList files() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

struct DiskCase {
    Format format;
    bool readOnly;
    const char* says;
};

class FullDisk : public BackendTest<std::tuple<TestBackend, DiskCase>> {
protected:
    SharedConnectionKept kept;
    void open(TestBackend b) override {
        if (geteuid() != 0)
            GTEST_SKIP() << "mounting a small file system needs root";
        openTestDatabase(b);
    }
};

TEST_P(FullDisk, SaysWhyAndLeavesNothing) {
    const DiskCase& c = std::get<1>(GetParam());
    SmallDisk disk;
    ASSERT_TRUE(disk.mounted());
    ASSERT_TRUE(c.readOnly ? disk.makeReadOnly() : disk.fill());
    const QStringList before = disk.files();
    const QString path = disk.path("relatório." + ReportExport::suffix(c.format));
    ReportHarness h;
    HostSettings::setPrinter(ReportExport::suffix(c.format) + ':' + path);
    QString errors;
    try {
        h.controller.print(1);
    } catch (const EHostError& e) { // what the host's event guard shows
        errors = e.message();
    }
    errors += TestEnv::dialogs().errors().join('\n');
    EXPECT_TRUE(errors.contains(path)) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QString::fromUtf8(c.says))) << errors.toStdString();
    EXPECT_EQ(disk.files(), before);
}

const DiskCase kCases[] = {
    {Format::Pdf, false, "o disco está cheio"}, {Format::Xlsx, false, "o disco está cheio"},
    {Format::Csv, false, "o disco está cheio"}, {Format::Pdf, true, "somente leitura"},
    {Format::Xlsx, true, "somente leitura"},    {Format::Csv, true, "somente leitura"},
};

INSTANTIATE_TEST_SUITE_P(
    Causes, FullDisk, ::testing::Combine(::testing::Values(TestBackend::SQLite), ::testing::ValuesIn(kCases)),
    [](const auto& info) {
        const DiskCase& c = std::get<1>(info.param);
        return ReportExport::suffix(c.format).toStdString() + (c.readOnly ? "_read_only" : "_full");
    });

} // namespace
