#include "launch/broken_links.h"

#include <algorithm>
#include <utility>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QUrl>

#include "launch/launch_plan.h"
#include "platform/shell.h"
#include "store/field_text.h"

namespace
{

const QString kLineEnd = QStringLiteral("\r\n");

bool cancelled(const std::atomic_bool* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// Whether paths exist, answered from one listing of each folder: a catalogue
// keeps many titles in few folders, and one listing costs about what one
// look-up of a single name does.
class FolderListings
{
public:
    bool exists(const QString& absolutePath)
    {
        const qsizetype slash = absolutePath.lastIndexOf(QLatin1Char('/'));
        const QString name = absolutePath.mid(slash + 1);
        // The root itself has no name to look for in a folder above it.
        if (slash < 0 || name.isEmpty())
            return QFileInfo::exists(absolutePath);
        const QString folder = slash == 0 ? QStringLiteral("/") : absolutePath.left(slash);
        return namesIn(folder).contains(name);
    }

private:
    const QSet<QString>& namesIn(const QString& folder)
    {
        auto found = m_names.find(folder);
        if (found != m_names.end())
            return *found;
        QSet<QString> names;
        // Without QDir::System a link whose target is gone is left out: it is
        // as broken as a missing file.
        QDirIterator entries(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        while (entries.hasNext())
            names.insert(entries.nextFileInfo().fileName());
        return *m_names.insert(folder, std::move(names));
    }

    QHash<QString, QSet<QString>> m_names;
};

struct Looker {
    FolderListings listings;
    QString homeFolder;
    QString currentFolder;

    // What a title's relative paths are taken from, as a launch enters it.
    QString baseFolder(const QString& workingFolder) const
    {
        const QString folder = launchFolder(workingFolder, homeFolder);
        return QDir::cleanPath(QDir(currentFolder).absoluteFilePath(folder));
    }

    // Empty when the path is there; otherwise what is missing.
    std::optional<MissingLink> check(LinkField field, int line, const QString& stored,
                                     const QString& base)
    {
        const QString shown = leftTrimSpaces(stored);
        if (isBlankPathField(shown))
            return std::nullopt;
        MissingLink missing{field, line, stored, shown, false};
        if (hasUrlScheme(shown)) {
            // Addresses are never fetched: only one that cannot be read as an
            // address at all is reported.
            if (QUrl(shown, QUrl::StrictMode).isValid())
                return std::nullopt;
            missing.badAddress = true;
            return missing;
        }
        missing.resolved = QDir::cleanPath(QDir(base).absoluteFilePath(shown));
        if (listings.exists(missing.resolved))
            return std::nullopt;
        return missing;
    }
};

} // namespace

QList<BrokenTitle> findBrokenLinks(const QList<StoredTitle>& titles, const QString& homeFolder,
                                   const QString& currentFolder, const CheckProgress& progress,
                                   const std::atomic_bool* cancel)
{
    Looker looker{{}, homeFolder, currentFolder};
    QList<BrokenTitle> broken;
    const qsizetype total = titles.size();
    for (qsizetype i = 0; i < total; ++i) {
        if (cancelled(cancel))
            return {};
        if (progress && i % 256 == 0)
            progress(i, total);
        const StoredTitle& stored = titles[i];
        const TitleRecord& title = stored.record;
        const QString workingFolder = leftTrimSpaces(title.workingFolder);
        const QString base = looker.baseFolder(workingFolder);
        QList<MissingLink> missing;
        const QStringList lines = title.linkTargets.split(kLineEnd);
        for (qsizetype line = 0; line < lines.size(); ++line) {
            if (auto gone = looker.check(LinkField::LinkTarget, int(line), lines[line], base))
                missing.append(*gone);
        }
        if (auto gone = looker.check(LinkField::Thumbnail, 0, title.thumbnailPath, base))
            missing.append(*gone);
        if (auto gone = looker.check(LinkField::WorkingFolder, 0, title.workingFolder,
                                     QDir::cleanPath(currentFolder)))
            missing.append(*gone);
        if (!missing.isEmpty())
            broken.append({stored, std::move(missing)});
    }
    if (progress)
        progress(total, total);
    return broken;
}

QList<RelinkProposal> proposeRelinks(const QList<BrokenTitle>& broken, const QString& root,
                                     const std::atomic_bool* cancel)
{
    QHash<QString, QStringList> files;
    QHash<QString, QStringList> folders;
    // Links are not followed, so a link back up the tree cannot loop.
    QDirIterator entries(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        if (cancelled(cancel))
            return {};
        const QFileInfo entry = entries.nextFileInfo();
        (entry.isDir() ? folders : files)[entry.fileName()].append(entry.absoluteFilePath());
    }
    QList<RelinkProposal> proposals;
    for (qsizetype i = 0; i < broken.size(); ++i) {
        for (const MissingLink& missing : broken[i].missing) {
            if (missing.badAddress)
                continue;
            const QString name = QFileInfo(missing.resolved).fileName();
            const auto& index = missing.field == LinkField::WorkingFolder ? folders : files;
            QStringList candidates = index.value(name);
            std::sort(candidates.begin(), candidates.end());
            proposals.append({i, missing, std::move(candidates)});
        }
    }
    return proposals;
}

TitleRecord relinkedTitle(const TitleRecord& title,
                          const QList<std::pair<MissingLink, QString>>& chosen)
{
    TitleRecord relinked = title;
    QStringList lines = title.linkTargets.split(kLineEnd);
    for (const auto& [missing, path] : chosen) {
        switch (missing.field) {
        case LinkField::LinkTarget:
            if (missing.line >= 0 && missing.line < lines.size())
                lines[missing.line] = path;
            break;
        case LinkField::Thumbnail:
            relinked.thumbnailPath = path;
            break;
        case LinkField::WorkingFolder:
            relinked.workingFolder = path;
            break;
        }
    }
    relinked.linkTargets = lines.join(kLineEnd);
    return relinked;
}
