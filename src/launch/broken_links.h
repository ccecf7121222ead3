#pragma once

#include <atomic>
#include <functional>

#include <QList>
#include <QString>
#include <QStringList>

#include "store/title_queries.h"

// Finding the titles whose files are gone, and proposing where they went.
// Nothing here touches a window, so the check can run on a thread of its own.

// Which field of a title names what is missing.
enum class LinkField { LinkTarget, Thumbnail, WorkingFolder };

// One thing a title names that is not there.
struct MissingLink {
    LinkField field = LinkField::LinkTarget;
    // For a link target, its line in the stored column (0 is the box's text).
    int line = 0;
    // As stored, and the absolute path looked for (a web address stays as it is).
    QString stored;
    QString resolved;
    // A web address whose form is not one: nothing was looked for.
    bool badAddress = false;
    friend bool operator==(const MissingLink&, const MissingLink&) = default;
};

struct BrokenTitle {
    StoredTitle title;
    QList<MissingLink> missing;
};

// Called now and then with how many titles are done out of how many.
using CheckProgress = std::function<void(qsizetype done, qsizetype total)>;

// The titles with something missing, in the order given. Relative paths are
// looked for as a launch looks for them: a link target or thumbnail in the
// working folder, a blank working folder meaning homeFolder, a relative
// working folder taken from currentFolder. Each distinct folder is listed once.
// Empty when cancel was set before the end.
QList<BrokenTitle> findBrokenLinks(const QList<StoredTitle>& titles, const QString& homeFolder,
                                   const QString& currentFolder, const CheckProgress& progress = {},
                                   const std::atomic_bool* cancel = nullptr);

// A missing file and the files of the same name found for it.
struct RelinkProposal {
    qsizetype brokenIndex = 0; // into the list the proposals were made from
    MissingLink missing;
    QStringList candidates; // absolute paths, sorted
};

// Looks below root once for files (folders, for a working folder) of the same
// name as each missing one. Bad web addresses get no proposal.
QList<RelinkProposal> proposeRelinks(const QList<BrokenTitle>& broken, const QString& root,
                                     const std::atomic_bool* cancel = nullptr);

// The title as it reads with each chosen path in place of the missing one:
// only the named field (for a link target, only its line) changes.
TitleRecord relinkedTitle(const TitleRecord& title,
                          const QList<std::pair<MissingLink, QString>>& chosen);
