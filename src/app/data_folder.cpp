#include "app/data_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "memo/memo_files.h"
#include "store/catalogue_db.h"

QString chooseDataFolder(const QString& programFolder, const QString& commandLineFolder,
                         const QString& userFolder)
{
    if (!commandLineFolder.isEmpty())
        return QDir::cleanPath(QDir::current().absoluteFilePath(commandLineFolder));
    // A link counts as a catalogue too: it is the user's, even when dangling,
    // and must not be shadowed by a second catalogue elsewhere.
    const QFileInfo catalogue(catalogueFilePath(programFolder));
    if (catalogue.exists() || catalogue.isSymLink())
        return programFolder;
    return userFolder;
}

QString userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

bool prepareDataFolder(const QString& folder)
{
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return false;
    // Without the memo folder every memo save fails; the catalogue does not
    // need it, so its absence is left to the memo buttons to report.
    QDir().mkpath(memo::memoFolder(folder));
    return createCatalogueIfMissing(catalogueFilePath(folder));
}

QString dataFolderFailureText(const QString& folder)
{
    return QStringLiteral("カタログ・ファイル QUILMO.mdb を作成できませんでした。\n"
                          "フォルダ：%1\n"
                          "フォルダに書き込めるか、ディスクに空きがあるかを確かめてください。")
        .arg(QDir::toNativeSeparators(folder));
}
