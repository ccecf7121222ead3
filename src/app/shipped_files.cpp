#include "app/shipped_files.h"

#include <QDir>
#include <QFileInfo>

QStringList sharedFolderCandidates(const QString& programFolder)
{
    const QDir program(programFolder);
    // The path relative to the program keeps an installation movable: a
    // package installed under /usr and a tree installed under any prefix with
    // cmake --install both find their files.
    return {QDir::cleanPath(program.filePath(QStringLiteral("share/quilmo"))),
            QDir::cleanPath(program.filePath(QStringLiteral(QUILMO_SHARE_FROM_BIN))),
            QDir::cleanPath(QStringLiteral(QUILMO_SHARE_INSTALLED))};
}

QString findSharedFolder(const QString& programFolder)
{
    const QStringList candidates = sharedFolderCandidates(programFolder);
    for (const QString& folder : candidates) {
        if (QFileInfo(QDir(folder).filePath(QStringLiteral("help/help.html"))).isFile())
            return folder;
    }
    return candidates.last();
}
