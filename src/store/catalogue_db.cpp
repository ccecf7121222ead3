#include "store/catalogue_db.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include "store/pg_catalogue.h"
#include "store/schema.h"
#include "store/sql_functions.h"

using namespace store::schema;

namespace
{

// A first start builds the catalogue under this suffix plus a unique id.
const QString kStagingSuffix = QStringLiteral(".new-");

} // namespace

// Checked before the engine opens the file: the engine would wait for ever
// reading a pipe that nobody writes.
static const QString& plainFileOnly(const QString& path)
{
    if (isSpecialFile(path))
        throw DbError("not a plain file");
    return path;
}

static std::unique_ptr<PgCatalogue> serverFor(const QString& path)
{
    if (!isServerCatalogue(path))
        return nullptr;
    return std::make_unique<PgCatalogue>(path);
}

CatalogueDb::CatalogueDb(const QString& path)
    : SqliteDatabase(serverFor(path), isServerCatalogue(path) ? path : plainFileOnly(path))
{
    if (!server())
        registerRuleFunctions(*this);
}

namespace
{
QString chosenCatalogue;
}

QString catalogueLocation(const QString& dataFolder)
{
    return chosenCatalogue.isEmpty() ? catalogueFilePath(dataFolder) : chosenCatalogue;
}

void setChosenCatalogue(const QString& catalogue)
{
    chosenCatalogue = catalogue;
}

bool isSpecialFile(const QString& path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ||
           S_ISSOCK(info.st_mode);
}

QString catalogueFilePath(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(kCatalogueFileName);
}

bool createCatalogueIfMissing(const QString& path)
{
    const QFileInfo target(path);
    if (target.exists() || target.isSymLink())
        return true;

    // Build the new file under a private name and move it into place only if
    // the name is still free: a file that appeared meanwhile is never replaced.
    const QString staging =
        path + kStagingSuffix + QUuid::createUuid().toString(QUuid::WithoutBraces);
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

bool isCatalogueFile(const QString& path)
{
    if (isSpecialFile(path))
        return false;
    // Opened read-only through the engine itself: the wrapper opens for
    // writing, and a file that is not ours must not be touched in any way.
    sqlite3* db = nullptr;
    const QByteArray name = QFile::encodeName(path);
    int rc = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, 1000);
        // Every column the program reads must be there, and the first page
        // of each table must be readable: a cut file fails here.
        const QString checks[] = {
            QStringLiteral("SELECT %1 FROM %2 LIMIT 1").arg(kCategoryName, kCategoryTable),
            QStringLiteral("SELECT %1, %2, %3, %4, %5, %6, %7 FROM %8 LIMIT 1")
                .arg(kTitleName, kDescription, kThumbnailPath, kLinkTargets, kCategoryName,
                     kWorkingFolder, kLaunchOptions, kTitleTable),
            QStringLiteral("SELECT %1, %2 FROM %3 LIMIT 1")
                .arg(kOptionName, kOptionValue, kOptionTable),
        };
        for (const QString& sql : checks) {
            const QByteArray text = sql.toUtf8();
            sqlite3_stmt* stmt = nullptr;
            rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr);
            if (rc == SQLITE_OK) {
                rc = sqlite3_step(stmt);
                if (rc == SQLITE_ROW || rc == SQLITE_DONE)
                    rc = SQLITE_OK;
            }
            sqlite3_finalize(stmt);
            if (rc != SQLITE_OK)
                break;
        }
    }
    sqlite3_close_v2(db);
    // A lock held elsewhere, or a journal only a writer may roll back, says
    // nothing about what the file holds.
    const int primary = rc & 0xff;
    return rc == SQLITE_OK || primary == SQLITE_BUSY || primary == SQLITE_LOCKED ||
           rc == SQLITE_READONLY_ROLLBACK || rc == SQLITE_READONLY_RECOVERY;
}

void removeStaleStagingFiles(const QString& path, const QDateTime& startedAt)
{
    const QFileInfo catalogue(path);
    const QString prefix = catalogue.fileName() + kStagingSuffix;
    const QDir folder = catalogue.absoluteDir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!name.startsWith(prefix, Qt::CaseSensitive))
            continue;
        const QFileInfo entry(folder.filePath(name));
        if (entry.isSymLink() || !entry.isFile())
            continue;
        if (entry.lastModified() < startedAt)
            QFile::remove(entry.filePath());
    }
}
