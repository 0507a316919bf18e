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

// The position a file's name gives ("2_aniversariantes...json"), for a file that cannot be read;
// -1 when the name carries none.
int positionFromName(const QString& fileName) {
    const qsizetype sep = fileName.indexOf(u'_');
    bool ok = false;
    const int n = sep > 0 ? fileName.left(sep).toInt(&ok) : -1;
    return ok && n >= 0 ? n : -1;
}

QString unusableTitle(const QString& fileName) {
    return QStringLiteral("%1 (definição com erro)").arg(fileName);
}

// Every entry at its order; positions no file holds become entries without a path. Entries that
// claim a position already taken, or none, follow the others.
std::vector<ReportEntry> place(std::vector<ReportEntry> found) {
    std::stable_sort(found.begin(), found.end(),
                     [](const ReportEntry& a, const ReportEntry& b) { return a.order < b.order; });
    std::vector<ReportEntry> out, extra;
    for (ReportEntry& e : found) {
        if (e.order < 0 || e.order < int(out.size())) {
            extra.push_back(std::move(e));
            continue;
        }
        while (int(out.size()) < e.order) {
            const int at = int(out.size());
            out.push_back({QStringLiteral("Relatório %1 (definição não encontrada)").arg(at + 1),
                           {},
                           at,
                           at,
                           QStringLiteral("definição não encontrada")});
        }
        out.push_back(std::move(e));
    }
    for (ReportEntry& e : extra) {
        e.order = int(out.size());
        out.push_back(std::move(e));
    }
    for (ReportEntry& e : out)
        if (e.variant < 0)
            e.variant = e.order;
    return out;
}

std::vector<ReportEntry> scan(const QString& reportsDir, const QString& code, QStringList& errors) {
    std::vector<ReportEntry> found;
    const QDir folder(QDir(reportsDir).filePath(code));
    if (code.isEmpty() || !folder.exists())
        return found;
    // Unreadable files too: they keep their place and say why they cannot be used.
    const QFileInfoList files = folder.entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QFileInfo& file : files) {
        try {
            const ReportDefinition def = ReportDefinition::load(file.absoluteFilePath());
            found.push_back({def.title, file.absoluteFilePath(), def.order, def.variant, {}});
        } catch (const EHostError& e) {
            errors << e.message();
            found.push_back({unusableTitle(file.fileName()), file.absoluteFilePath(),
                             positionFromName(file.fileName()), -1, e.message()});
        }
    }
    return place(std::move(found));
}

} // namespace

QString ReportCatalogue::folder() const {
    return QDir(HostSettings::reportsDir()).filePath(m_code);
}

QStringList ReportCatalogue::reload() {
    QStringList errors;
    m_entries = scan(HostSettings::reportsDir(), m_code, errors);
    return errors;
}

QStringList ReportCatalogue::titles() const {
    QStringList out;
    for (const ReportEntry& e : m_entries)
        out << e.title;
    return out;
}

bool ReportCatalogue::exists(int index) const {
    return index >= 0 && index < int(m_entries.size()) && !m_entries[size_t(index)].path.isEmpty() &&
           QFileInfo::exists(m_entries[size_t(index)].path);
}

int ReportCatalogue::variantAt(int index) const {
    return index >= 0 && index < int(m_entries.size()) ? m_entries[size_t(index)].variant : -1;
}

bool ReportCatalogue::titleTaken(const QString& title, int except) const {
    for (int i = 0; i < int(m_entries.size()); ++i)
        if (i != except && m_entries[size_t(i)].title.compare(title, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

const ReportEntry& ReportCatalogue::saveCopy(const ReportDefinition& def, const QString& title, int source) {
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
    copy.variant = variantAt(source);
    copy.save(path);

    m_entries.push_back({title, path, order, copy.variant, {}});
    return m_entries.back();
}

const ReportEntry& ReportCatalogue::update(int index, const ReportDefinition& def) {
    ReportEntry& entry = m_entries[size_t(index)];
    def.save(entry.path);
    entry.title = def.title;
    return entry;
}
