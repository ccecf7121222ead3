#include "store/catalogue_db.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include "store/schema.h"
#include "store/text_rule.h"

using namespace schema;

CatalogueDb::CatalogueDb(const QString& path) : SqliteDatabase(path, OpenMode::ExistingOnly)
{
    registerTextRule(*this);
}

QString catalogueFilePath(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("QUILMO.mdb"));
}

bool createCatalogueIfMissing(const QString& path)
{
    const QFileInfo target(path);
    if (target.exists() || target.isSymLink())
        return true;

    // Build the new file under a private name and move it into place only if
    // the name is still free: a file that appeared meanwhile is never replaced.
    const QString staging = path + QStringLiteral(".new-") +
                            QUuid::createUuid().toString(QUuid::WithoutBraces);
    try {
        SqliteDatabase db(staging, SqliteDatabase::OpenMode::CreateIfMissing);
        db.transaction([&] {
            db.exec(QStringLiteral("CREATE TABLE %1 (%2 TEXT COLLATE NOCASE NOT NULL PRIMARY KEY)")
                        .arg(kCategoryTable, kCategoryName));
            db.exec(QStringLiteral("CREATE TABLE %1 (%2 TEXT COLLATE NOCASE NOT NULL PRIMARY KEY, "
                                   "%3 TEXT, %4 TEXT, %5 TEXT, %6 TEXT COLLATE NOCASE, %7 TEXT, "
                                   "%8 TEXT)")
                        .arg(kTitleTable, kTitleName, kDescription, kThumbnailPath, kLinkTargets,
                             kCategoryName, kWorkingFolder, kLaunchOptions));
            db.exec(QStringLiteral("CREATE INDEX %1_%2 ON %1 (%2, %3)")
                        .arg(kTitleTable, kCategoryName, kTitleName));
            db.exec(QStringLiteral("CREATE TABLE %1 (%2 TEXT COLLATE NOCASE NOT NULL PRIMARY KEY, "
                                   "%3 TEXT)")
                        .arg(kOptionTable, kOptionName, kOptionValue));
            db.prepare(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)")
                           .arg(kOptionTable, kOptionName, kOptionValue))
                .bind(1, kMemoryOption)
                .bind(2, QStringLiteral("1"))
                .step();
        });
    } catch (const DbError&) {
        QFile::remove(staging);
        return false;
    }
    if (!QFile::rename(staging, path)) {
        QFile::remove(staging);
        return QFileInfo::exists(path);
    }
    return true;
}
