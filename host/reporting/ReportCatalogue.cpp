#include "reporting/ReportCatalogue.h"

#include "core/Errors.h"
#include "core/HostSettings.h"
#include "reporting/ReportDefinition.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <utility>

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

// Every entry at its order; shipped positions no file holds become entries without a path. Past the
// last shipped position (copies, which follow their source's rules whatever their place) a gap
// is closed. Entries that claim a position already taken, or none, follow the others.
std::vector<ReportEntry> place(std::vector<ReportEntry> found, int shippedEnd) {
    std::stable_sort(found.begin(), found.end(),
                     [](const ReportEntry& a, const ReportEntry& b) { return a.order < b.order; });
    std::vector<ReportEntry> out, extra;
    for (ReportEntry& e : found) {
        if (e.order < 0 || e.order < int(out.size())) {
            extra.push_back(std::move(e));
            continue;
        }
        while (int(out.size()) < qMin(e.order, shippedEnd)) {
            const int at = int(out.size());
            ReportEntry missing;
            missing.title = QStringLiteral("Relatório %1 (definição não encontrada)").arg(at + 1);
            missing.order = missing.variant = at;
            missing.problem = QStringLiteral("definição não encontrada");
            out.push_back(std::move(missing));
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

std::vector<ReportEntry> scan(const QString& folderPath, ReportLayer layer, QStringList& errors) {
    std::vector<ReportEntry> found;
    const QDir folder(folderPath);
    if (folderPath.isEmpty() || !folder.exists())
        return found;
    // Unreadable files too: they keep their place and say why they cannot be used.
    const QFileInfoList files = folder.entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QFileInfo& file : files) {
        ReportEntry e;
        e.path = file.absoluteFilePath();
        e.layer = layer;
        try {
            const ReportDefinition def = ReportDefinition::load(e.path);
            e.title = def.title;
            e.order = def.order;
            e.variant = def.variant;
        } catch (const EHostError& error) {
            errors << error.message();
            e.title = unusableTitle(file.fileName());
            e.order = positionFromName(file.fileName());
            e.problem = error.message();
        }
        if (layer != ReportLayer::Package)
            e.layered = QStringList{e.path};
        found.push_back(std::move(e));
    }
    return found;
}

// A nearer definition takes the place of the one of the same file name, or of the shipped one at
// its position; otherwise it comes in besides them.
void overlay(std::vector<ReportEntry>& merged, std::vector<ReportEntry> nearer) {
    for (ReportEntry& e : nearer) {
        const QString name = QFileInfo(e.path).fileName();
        auto hidden = std::find_if(merged.begin(), merged.end(), [&](const ReportEntry& m) {
            return QFileInfo(m.path).fileName() == name;
        });
        if (hidden == merged.end() && e.order >= 0)
            hidden = std::find_if(merged.begin(), merged.end(),
                                  [&](const ReportEntry& m) { return m.isShipped() && m.order == e.order; });
        if (hidden == merged.end()) {
            merged.push_back(std::move(e));
            continue;
        }
        e.shipped = hidden->layer == ReportLayer::Package ? hidden->path : hidden->shipped;
        e.layered += hidden->layered;
        *hidden = std::move(e);
    }
}

// The code's folder in each layer that has one, package first; a folder set twice counts once, at
// its lowest layer, so that the package's is never taken for a writable one.
std::vector<std::pair<ReportLayer, QString>> layerFolders(const QString& code) {
    std::vector<std::pair<ReportLayer, QString>> out;
    const std::pair<ReportLayer, QString> all[] = {{ReportLayer::Package, HostSettings::reportsDir()},
                                                   {ReportLayer::Site, HostSettings::siteReportsDir()},
                                                   {ReportLayer::User, HostSettings::userReportsDir()}};
    for (const auto& [layer, root] : all) {
        if (root.isEmpty() || code.isEmpty())
            continue;
        const QString folder = QDir::cleanPath(QDir(root).absoluteFilePath(code));
        if (std::none_of(out.begin(), out.end(), [&](const auto& l) { return l.second == folder; }))
            out.emplace_back(layer, folder);
    }
    return out;
}

QString layerFolder(const QString& code, ReportLayer layer) {
    for (const auto& [l, folder] : layerFolders(code))
        if (l == layer)
            return folder;
    return {};
}

// Files are created and removed in a folder the user may write.
bool writableFolder(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

// The folder made when missing; a site folder is shared with the group the package created.
// Returns whether it was made here, for undoing it when nothing is written into it after all.
bool makeFolder(const QString& folder) {
    if (QFileInfo(folder).isDir())
        return false;
    if (!QDir().mkpath(folder))
        throw EHostError(QStringLiteral("Não foi possível criar a pasta '%1' para gravar a definição de "
                                        "relatório.")
                             .arg(QDir::toNativeSeparators(folder)));
    if (QDir::cleanPath(QFileInfo(folder).absolutePath()) ==
        QDir::cleanPath(QDir(HostSettings::siteReportsDir()).absolutePath()))
        QFile::setPermissions(folder, QFile::permissions(folder) | QFile::ReadGroup | QFile::WriteGroup |
                                          QFile::ExeGroup);
    return true;
}

// Written whole or not at all; a folder made for it goes again when the write fails.
void write(const ReportDefinition& def, const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    const bool made = makeFolder(folder);
    try {
        def.save(path);
    } catch (const EHostError&) {
        if (made)
            QDir().rmdir(folder);
        throw;
    }
}

} // namespace

QString ReportEntry::listText() const {
    return shipped.isEmpty() ? title : QStringLiteral("%1 (alterado)").arg(title);
}

QString ReportCatalogue::folder() const {
    return QDir(HostSettings::reportsDir()).filePath(m_code);
}

QString ReportCatalogue::writeFolder() const {
    const QString site = layerFolder(m_code, ReportLayer::Site);
    if (!site.isEmpty() &&
        (QFileInfo(site).isDir() ? writableFolder(site) : writableFolder(QFileInfo(site).absolutePath())))
        return site;
    const QString user = layerFolder(m_code, ReportLayer::User);
    if (user.isEmpty())
        throw EHostError(QStringLiteral("Não há pasta onde gravar as definições do relatório '%1': a pasta "
                                        "do escritório não permite gravação e a do usuário não foi "
                                        "definida.")
                             .arg(m_code));
    return user;
}

QStringList ReportCatalogue::reload() {
    QStringList errors;
    std::vector<ReportEntry> merged;
    int shippedEnd = 0;
    for (const auto& [layer, folder] : layerFolders(m_code)) {
        std::vector<ReportEntry> found = scan(folder, layer, errors);
        if (layer == ReportLayer::Package)
            for (const ReportEntry& e : found)
                shippedEnd = qMax(shippedEnd, e.order + 1);
        overlay(merged, std::move(found));
    }
    m_entries = place(std::move(merged), shippedEnd);
    return errors;
}

QStringList ReportCatalogue::titles() const {
    QStringList out;
    for (const ReportEntry& e : m_entries)
        out << e.listText();
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
    const QString target = writeFolder();
    // A name no layer holds: a copy must not hide a shipped definition or another copy.
    auto taken = [&](const QString& name) {
        for (const auto& [layer, folder] : layerFolders(m_code))
            if (QFileInfo::exists(QDir(folder).filePath(name)))
                return true;
        return false;
    };
    QString name = fileStem(title) + QStringLiteral(".json");
    for (int n = 2; taken(name); ++n)
        name = QStringLiteral("%1_%2.json").arg(fileStem(title)).arg(n);
    const QString path = QDir(target).filePath(name);

    ReportDefinition copy = def;
    copy.title = title;
    copy.order = order;
    copy.variant = variantAt(source);
    write(copy, path);

    ReportEntry entry;
    entry.title = title;
    entry.path = path;
    entry.order = order;
    entry.variant = copy.variant;
    entry.layer = target == layerFolder(m_code, ReportLayer::Site) ? ReportLayer::Site : ReportLayer::User;
    entry.layered = QStringList{path};
    m_entries.push_back(std::move(entry));
    return m_entries.back();
}

QString ReportCatalogue::updateTarget(int index) const {
    const ReportEntry& entry = at(index);
    const QString own = QFileInfo(entry.path).absolutePath();
    if (entry.layer == ReportLayer::User || (entry.layer == ReportLayer::Site && writableFolder(own)))
        return entry.path;
    return QDir(writeFolder()).filePath(QFileInfo(entry.path).fileName());
}

const ReportEntry& ReportCatalogue::update(int index, const ReportDefinition& def) {
    const QString target = updateTarget(index);
    write(def, target);
    ReportEntry& entry = m_entries[size_t(index)];
    if (target != entry.path) {
        if (entry.layer == ReportLayer::Package)
            entry.shipped = entry.path;
        entry.layered.prepend(target);
        entry.path = target;
        entry.layer = QFileInfo(target).absolutePath() == layerFolder(m_code, ReportLayer::Site)
                          ? ReportLayer::Site
                          : ReportLayer::User;
    }
    entry.title = def.title;
    return entry;
}

void ReportCatalogue::removeLayered(int index) {
    const QStringList files = at(index).layered;
    // All or nothing: every folder is checked before the first file goes.
    for (const QString& file : files) {
        const QString folder = QFileInfo(file).absolutePath();
        if (!writableFolder(folder))
            throw EHostError(
                QStringLiteral("A definição de relatório '%1' não pode ser apagada: a pasta '%2' "
                               "não permite gravação.")
                    .arg(QDir::toNativeSeparators(file), QDir::toNativeSeparators(folder)));
    }
    for (const QString& file : files) {
        QFile f(file);
        if (f.exists() && !f.remove())
            throw EHostError(QStringLiteral("Não foi possível apagar a definição de relatório '%1': %2.")
                                 .arg(QDir::toNativeSeparators(file), f.errorString()));
    }
    reload();
}
