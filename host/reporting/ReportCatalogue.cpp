#include "reporting/ReportCatalogue.h"

#include "core/Errors.h"
#include "core/HostSettings.h"
#include "reporting/ReportDefinition.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

// A file name from a title: lower case, no accents, words joined by "_".
QString fileStem(const QString& title) {
    QString out;
    for (QChar c : title.normalized(QString::NormalizationForm_D)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.unicode() < 128 && c.isLetterOrNumber())
            out += c.toLower();
        else if (!out.endsWith(u'_'))
            out += u'_';
    }
    while (out.startsWith(u'_'))
        out.remove(0, 1);
    while (out.endsWith(u'_'))
        out.chop(1);
    return out.isEmpty() ? QStringLiteral("relatorio") : out.left(60);
}

bool lessEntry(const ReportEntry& a, const ReportEntry& b) {
    if (a.order != b.order)
        return a.order < b.order;
    return a.title.localeAwareCompare(b.title) < 0;
}

// errors null: the first corrupt definition throws.
std::vector<ReportEntry> scan(const QString& reportsDir, const QString& code, QStringList* errors) {
    std::vector<ReportEntry> out;
    const QDir folder(QDir(reportsDir).filePath(code));
    if (code.isEmpty() || !folder.exists())
        return out;
    const QFileInfoList files =
        folder.entryInfoList({QStringLiteral("*.json")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo& file : files) {
        try {
            const ReportDefinition def = ReportDefinition::load(file.absoluteFilePath());
            out.push_back({def.title, file.absoluteFilePath(), def.order});
        } catch (const EHostError& e) {
            if (!errors)
                throw;
            *errors << e.message();
        }
    }
    std::stable_sort(out.begin(), out.end(), lessEntry);
    return out;
}

} // namespace

std::vector<ReportEntry> ReportCatalogue::list(const QString& reportsDir, const QString& code) {
    return scan(reportsDir, code, nullptr);
}

QString ReportCatalogue::folder() const {
    return QDir(HostSettings::reportsDir()).filePath(m_code);
}

QStringList ReportCatalogue::reload() {
    QStringList errors;
    m_entries = scan(HostSettings::reportsDir(), m_code, &errors);
    return errors;
}

QStringList ReportCatalogue::titles() const {
    QStringList out;
    for (const ReportEntry& e : m_entries)
        out << e.title;
    return out;
}

bool ReportCatalogue::exists(int index) const {
    return index >= 0 && index < int(m_entries.size()) && QFileInfo::exists(m_entries[size_t(index)].path);
}

bool ReportCatalogue::titleTaken(const QString& title, int except) const {
    for (int i = 0; i < int(m_entries.size()); ++i)
        if (i != except && m_entries[size_t(i)].title.compare(title, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

const ReportEntry& ReportCatalogue::saveCopy(const ReportDefinition& def, const QString& title) {
    int order = 0;
    for (const ReportEntry& e : m_entries)
        order = qMax(order, e.order + 1);
    const QDir dir(folder());
    QString path = dir.filePath(fileStem(title) + QStringLiteral(".json"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1_%2.json").arg(fileStem(title)).arg(n));

    ReportDefinition copy = def;
    copy.title = title;
    copy.order = order;
    copy.save(path);

    m_entries.push_back({title, path, order});
    return m_entries.back();
}

const ReportEntry& ReportCatalogue::update(int index, const ReportDefinition& def) {
    ReportEntry& entry = m_entries[size_t(index)];
    def.save(entry.path);
    entry.title = def.title;
    entry.order = def.order;
    return entry;
}
