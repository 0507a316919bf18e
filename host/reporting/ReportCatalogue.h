#pragma once
// The definitions of one report code in the reports directory (HostSettings::reportsDir): listed in
// their order, saved under a new title, rewritten after the designer. Knows files, not windows.
#include "host_export.h"
#include <QString>
#include <QStringList>
#include <vector>

class ReportDefinition;

struct HOST_EXPORT ReportEntry {
    QString title;
    QString path; // the definition file
    int order = 0;
};

class HOST_EXPORT ReportCatalogue {
public:
    // The definitions of a code in a reports directory, in their order (empty when none).
    // A corrupt definition is an EHostError naming the file and what is wrong.
    static std::vector<ReportEntry> list(const QString& reportsDir, const QString& code);

    void setCode(const QString& code) { m_code = code; }
    const QString& code() const { return m_code; }
    // The code's folder in the reports directory.
    QString folder() const;

    // Re-reads the definitions. The readable ones are listed; the others come back as one message
    // each, naming the file.
    QStringList reload();
    const std::vector<ReportEntry>& entries() const { return m_entries; }
    QStringList titles() const;
    // True when index names a listed definition whose file is still there.
    bool exists(int index) const;
    const ReportEntry& at(int index) const { return m_entries[size_t(index)]; }
    // True when an entry other than the one at except carries that title (case aside).
    bool titleTaken(const QString& title, int except = -1) const;

    // Saves a copy of a definition under a new title, after the others, in a file named after the
    // title; the new entry goes last.
    const ReportEntry& saveCopy(const ReportDefinition& definition, const QString& title);
    // Writes a changed definition over the entry's file and lists it under its new title and order.
    const ReportEntry& update(int index, const ReportDefinition& definition);

private:
    QString m_code;
    std::vector<ReportEntry> m_entries;
};
