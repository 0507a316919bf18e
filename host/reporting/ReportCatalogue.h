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
    QString path; // the definition file; empty when no file holds this position
    int order = 0;
    int variant = -1; // whose filter rules apply: the position itself, or a copy's source
    QString problem;  // why the definition cannot be used (it keeps its place in the list)
    bool usable() const { return problem.isEmpty() && !path.isEmpty(); }
};

class HOST_EXPORT ReportCatalogue {
public:
    void setCode(const QString& code) { m_code = code; }
    const QString& code() const { return m_code; }
    // The code's folder in the reports directory.
    QString folder() const;

    // Re-reads the definitions, each at its position (its order). A position no readable file holds
    // stays in the list as an entry with a problem, so nothing after it moves: a corrupt file names
    // itself and its fault, a missing one has no path. The problems come back as one message each.
    QStringList reload();
    const std::vector<ReportEntry>& entries() const { return m_entries; }
    QStringList titles() const;
    // True when index names a listed definition whose file is still there.
    bool exists(int index) const;
    // The position whose filter rules the entry at index follows; -1 for none.
    int variantAt(int index) const;
    const ReportEntry& at(int index) const { return m_entries[size_t(index)]; }
    // True when an entry other than the one at except carries that title (case aside).
    bool titleTaken(const QString& title, int except = -1) const;

    // Saves a copy of a definition under a new title, after the others, in a file named after the
    // title; the new entry goes last and follows the filter rules of the entry at source.
    const ReportEntry& saveCopy(const ReportDefinition& definition, const QString& title, int source);
    // Writes a changed definition over the entry's file and lists it under its new title and order.
    const ReportEntry& update(int index, const ReportDefinition& definition);

private:
    QString m_code;
    std::vector<ReportEntry> m_entries;
};
