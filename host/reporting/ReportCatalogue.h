#pragma once
// The definitions of one report code, read from the folders that lie one over the other: the
// package's (HostSettings::reportsDir, read-only, replaced by every upgrade), the site's and the
// user's. The nearest folder wins per file and per shipped position. Lists them in their order,
// saves copies and changes in the nearest folder the user may write, removes them again. Knows
// files, not windows.
#include "host_export.h"
#include <QString>
#include <QStringList>
#include <vector>

class ReportDefinition;

enum class ReportLayer { Package, Site, User };

struct HOST_EXPORT ReportEntry {
    QString title;
    QString path; // the definition file; empty when no file holds this position
    int order = 0;
    int variant = -1; // whose filter rules apply: the position itself, or a copy's source
    QString problem;  // why the definition cannot be used (it keeps its place in the list)
    ReportLayer layer = ReportLayer::Package;
    QString shipped; // the package's file this one hides; empty when it hides none
    // The files above the package's folder that make this entry, nearest first: what deleting a
    // copy or restoring a shipped definition removes.
    QStringList layered;
    bool usable() const { return problem.isEmpty() && !path.isEmpty(); }
    // A position the package ships: it can be changed and restored, never deleted.
    bool isShipped() const { return layer == ReportLayer::Package || !shipped.isEmpty(); }
    // The text of the list: the title, marked when it hides the shipped definition.
    QString listText() const;
};

class HOST_EXPORT ReportCatalogue {
public:
    void setCode(const QString& code) { m_code = code; }
    const QString& code() const { return m_code; }
    // The code's folder in the package's reports directory.
    QString folder() const;
    // The code's folder where this user's saves go: the site's when it is there and the user may
    // write in it, else the user's. Never the package's.
    QString writeFolder() const;

    // Re-reads the definitions, each at its position (its order). A shipped position no readable
    // file holds stays in the list as an entry with a problem, so nothing after it moves: a corrupt
    // file names itself and its fault, a missing one has no path. The problems come back as one
    // message each.
    QStringList reload();
    const std::vector<ReportEntry>& entries() const { return m_entries; }
    // The list's texts (listText), in order.
    QStringList titles() const;
    // True when index names a listed definition whose file is still there.
    bool exists(int index) const;
    // The position whose filter rules the entry at index follows; -1 for none.
    int variantAt(int index) const;
    const ReportEntry& at(int index) const { return m_entries[size_t(index)]; }
    // True when an entry other than the one at except carries that title (case aside).
    bool titleTaken(const QString& title, int except = -1) const;

    // Saves a copy of a definition under a new title, after the others, in writeFolder() in a file
    // named after the title; the new entry goes last and follows the filter rules of the entry at
    // source.
    const ReportEntry& saveCopy(const ReportDefinition& definition, const QString& title, int source);
    // The file a change of the entry at index is written to: its own when it lies above the package
    // and may be written, else one of the same name in writeFolder().
    QString updateTarget(int index) const;
    // Writes a changed definition to updateTarget and lists it under its new title.
    const ReportEntry& update(int index, const ReportDefinition& definition);
    // Removes the entry's files above the package (layered), all or none when a folder forbids it;
    // then the list is read again. Throws EHostError naming the file.
    void removeLayered(int index);

private:
    QString m_code;
    std::vector<ReportEntry> m_entries;
};
