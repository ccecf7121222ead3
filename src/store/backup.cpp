#include "store/backup.h"

#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QUuid>

#include "store/catalogue_db.h"
#include "store/schema.h"

namespace store::backup
{

namespace
{

const QString kInfoName = QStringLiteral("info.json");
const QString kStagingPrefix = QStringLiteral(".staging-");
const QString kOperationSuffix = QStringLiteral("-op");
const QString kDailySuffix = QStringLiteral("-daily");
const QString kCannotMakeFolder = QStringLiteral("フォルダ %1 を作れません");
// How long a copy waits for another connection's write to finish.
constexpr int kBusyMs = 5000;

QString kindText(Kind kind)
{
    return kind == Kind::Daily ? QStringLiteral("daily") : QStringLiteral("operation");
}

QString engineError(sqlite3* db, const QString& what)
{
    return QStringLiteral("%1（%2）").arg(what, QString::fromUtf8(sqlite3_errmsg(db)));
}

// Copies the whole database at from into the file at to (created when
// missing) in one step of the backup API: the source is read under one read
// lock, so the copy is a single consistent state, and the destination is
// written in one transaction, so it is either all the new content or as it
// was. Returns an empty text on success.
QString copyDatabase(const QString& from, const QString& to, bool createTarget)
{
    sqlite3* source = nullptr;
    sqlite3* target = nullptr;
    QString error;
    const QByteArray fromName = QFile::encodeName(from);
    const QByteArray toName = QFile::encodeName(to);
    if (sqlite3_open_v2(fromName.constData(), &source, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        error = engineError(source, QStringLiteral("カタログを開けません"));
    } else if (sqlite3_open_v2(toName.constData(), &target,
                               SQLITE_OPEN_READWRITE | (createTarget ? SQLITE_OPEN_CREATE : 0),
                               nullptr) != SQLITE_OK) {
        error = engineError(target, QStringLiteral("コピー先を開けません"));
    } else {
        sqlite3_busy_timeout(source, kBusyMs);
        sqlite3_busy_timeout(target, kBusyMs);
        // A new file under a staging name needs no journal: a copy cut short
        // is thrown away whole. It is synced once when complete instead.
        if (createTarget)
            sqlite3_exec(target, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr,
                         nullptr, nullptr);
        sqlite3_backup* copy = sqlite3_backup_init(target, "main", source, "main");
        if (!copy) {
            error = engineError(target, QStringLiteral("コピーを始められません"));
        } else {
            // A writer holding its lock makes the step answer BUSY; it is tried
            // again until the writer is done or the wait runs out.
            const auto deadline =
                std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyMs);
            int rc = SQLITE_OK;
            do {
                rc = sqlite3_backup_step(copy, -1);
                if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) &&
                    std::chrono::steady_clock::now() < deadline)
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                else if (rc != SQLITE_OK)
                    break;
            } while (true);
            sqlite3_backup_finish(copy);
            if (rc != SQLITE_DONE)
                error = QStringLiteral("コピーに失敗しました（%1）")
                            .arg(QString::fromUtf8(sqlite3_errstr(rc)));
        }
    }
    sqlite3_close_v2(target);
    sqlite3_close_v2(source);
    if (error.isEmpty() && createTarget) {
        const int fd = ::open(toName.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0)
            error = QStringLiteral("コピーを書き込めません");
        if (fd >= 0)
            ::close(fd);
    }
    return error;
}

// Hard-links every plain file of from into to (created), copying where a link
// is refused (another file system, a file system without links). Returns an
// empty text on success.
QString linkFiles(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return kCannotMakeFolder.arg(to);
    const QDir source(from);
    if (!source.exists())
        return {};
    const QStringList names = source.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QFileInfo entry(source.filePath(name));
        if (entry.isSymLink() || !entry.isFile())
            continue;
        const QByteArray fromName = QFile::encodeName(entry.filePath());
        const QByteArray toName = QFile::encodeName(QDir(to).filePath(name));
        if (::link(fromName.constData(), toName.constData()) == 0)
            continue;
        if (!QFile::copy(entry.filePath(), QDir(to).filePath(name)))
            return QStringLiteral("メモ %1 を保存できません").arg(name);
    }
    return {};
}

bool writeInfo(const QString& folder, const BackupInfo& info)
{
    QJsonObject record;
    record[QStringLiteral("when")] = info.when.toString(Qt::ISODateWithMs);
    record[QStringLiteral("reason")] = info.reason;
    record[QStringLiteral("kind")] = kindText(info.kind);
    record[QStringLiteral("categories")] = info.categories;
    record[QStringLiteral("titles")] = info.titles;
    QSaveFile file(QDir(folder).filePath(kInfoName));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray text = QJsonDocument(record).toJson();
    return file.write(text) == text.size() && file.commit();
}

std::optional<BackupInfo> readInfo(const QString& folder)
{
    QFile file(QDir(folder).filePath(kInfoName));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject record = QJsonDocument::fromJson(file.readAll()).object();
    BackupInfo info;
    info.name = QFileInfo(folder).fileName();
    info.when =
        QDateTime::fromString(record.value(QStringLiteral("when")).toString(), Qt::ISODateWithMs);
    info.reason = record.value(QStringLiteral("reason")).toString();
    const QString kind = record.value(QStringLiteral("kind")).toString();
    if (!info.when.isValid() ||
        (kind != kindText(Kind::Daily) && kind != kindText(Kind::Operation)))
        return std::nullopt;
    info.kind = kind == kindText(Kind::Daily) ? Kind::Daily : Kind::Operation;
    info.categories = record.value(QStringLiteral("categories")).toInt();
    info.titles = record.value(QStringLiteral("titles")).toInt();
    return info;
}

// A name that is a plain folder name, never a path out of バックアップ/.
bool isPlainName(const QString& name)
{
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) &&
           !name.startsWith(QLatin1Char('.'));
}

void applyRetentionKeeping(const QString& dataFolder, const QString& keep)
{
    int operations = 0;
    int dailies = 0;
    for (const BackupInfo& info : listBackups(dataFolder)) {
        const int seen = info.kind == Kind::Daily ? ++dailies : ++operations;
        const int kept = info.kind == Kind::Daily ? kKeptDailyBackups : kKeptOperationBackups;
        if (seen > kept && info.name != keep)
            QDir(QDir(backupFolder(dataFolder)).filePath(info.name)).removeRecursively();
    }
}

BackupResult takeBackupKeeping(const QString& dataFolder, Kind kind, const QString& reason,
                               const QDateTime& now, const QString& keep)
{
    BackupResult result;
    const QString catalogue = catalogueFilePath(dataFolder);
    if (!QFileInfo(catalogue).isFile()) {
        result.error = QStringLiteral("カタログ・ファイルがありません");
        return result;
    }
    const QDir folder(backupFolder(dataFolder));
    if (!QDir().mkpath(folder.path())) {
        result.error = kCannotMakeFolder.arg(folder.path());
        return result;
    }
    const QString staging =
        folder.filePath(kStagingPrefix + QUuid::createUuid().toString(QUuid::WithoutBraces));
    if (!folder.mkdir(QFileInfo(staging).fileName())) {
        result.error = kCannotMakeFolder.arg(staging);
        return result;
    }

    BackupInfo info;
    info.when = now;
    info.reason = reason;
    info.kind = kind;
    const QString copied = QDir(staging).filePath(kCatalogueFileName);
    QString error = copyDatabase(catalogue, copied, true);
    if (error.isEmpty())
        error = linkFiles(memoFolderOf(dataFolder), QDir(staging).filePath(kMemoFolderName));
    if (error.isEmpty()) {
        try {
            std::tie(info.categories, info.titles) = countRows(copied);
        } catch (const DbError& e) {
            error = QString::fromUtf8(e.what());
        }
    }
    if (error.isEmpty() && !writeInfo(staging, info))
        error = QStringLiteral("記録を書けません");
    if (error.isEmpty()) {
        // Two backups within the same millisecond get a number to tell them apart.
        const QString stem = now.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) +
                             (kind == Kind::Daily ? kDailySuffix : kOperationSuffix);
        info.name = stem;
        for (int n = 2; folder.exists(info.name); ++n)
            info.name = stem + QStringLiteral("-%1").arg(n);
        if (!QDir().rename(staging, folder.filePath(info.name)))
            error = QStringLiteral("バックアップに名前を付けられません");
    }
    if (!error.isEmpty()) {
        QDir(staging).removeRecursively();
        result.error = error;
        return result;
    }
    result.info = info;
    applyRetentionKeeping(dataFolder, keep);
    return result;
}

// Exchanges two folders in one rename, so the memo folder is never missing
// or half replaced; falls back to two renames where the exchange is refused.
bool exchangeFolders(const QString& a, const QString& b)
{
    const QByteArray aName = QFile::encodeName(a);
    const QByteArray bName = QFile::encodeName(b);
    if (::renameat2(AT_FDCWD, aName.constData(), AT_FDCWD, bName.constData(), RENAME_EXCHANGE) == 0)
        return true;
    const QString aside =
        b + QStringLiteral(".old-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (::rename(bName.constData(), QFile::encodeName(aside).constData()) != 0)
        return false;
    if (::rename(aName.constData(), bName.constData()) != 0) {
        ::rename(QFile::encodeName(aside).constData(), bName.constData());
        return false;
    }
    return ::rename(QFile::encodeName(aside).constData(), aName.constData()) == 0;
}

} // namespace

QString dailyReason()
{
    return QStringLiteral("毎日");
}

QString backupFolder(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("バックアップ"));
}

QString memoFolderOf(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(kMemoFolderName);
}

std::pair<int, int> countRows(const QString& cataloguePath)
{
    SqliteDatabase db(cataloguePath);
    auto count = [&](const QString& table) {
        SqliteStatement statement =
            db.prepare(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table));
        statement.step();
        return int(statement.integer(0));
    };
    return {count(store::schema::kCategoryTable), count(store::schema::kTitleTable)};
}

BackupResult takeBackup(const QString& dataFolder, Kind kind, const QString& reason,
                        const QDateTime& now)
{
    return takeBackupKeeping(dataFolder, kind, reason, now, {});
}

std::optional<BackupResult> takeDailyBackupIfDue(const QString& dataFolder, const QDateTime& now)
{
    for (const BackupInfo& info : listBackups(dataFolder)) {
        if (info.kind == Kind::Daily && info.when.date() == now.date())
            return std::nullopt;
    }
    return takeBackup(dataFolder, Kind::Daily, dailyReason(), now);
}

QList<BackupInfo> listBackups(const QString& dataFolder)
{
    QList<BackupInfo> backups;
    const QDir folder(backupFolder(dataFolder));
    for (const QString& name : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!isPlainName(name))
            continue;
        if (std::optional<BackupInfo> info = readInfo(folder.filePath(name)))
            backups << *info;
    }
    std::stable_sort(backups.begin(), backups.end(), [](const BackupInfo& a, const BackupInfo& b) {
        return a.when != b.when ? a.when > b.when : a.name > b.name;
    });
    return backups;
}

void applyRetention(const QString& dataFolder)
{
    applyRetentionKeeping(dataFolder, {});
}

QString restoreBackup(const QString& dataFolder, const QString& name, const QDateTime& now)
{
    const QDir folder(backupFolder(dataFolder));
    if (!isPlainName(name) || !readInfo(folder.filePath(name)))
        return QStringLiteral("バックアップ「%1」が見つかりません。").arg(name);
    const QString source = QDir(folder.filePath(name)).filePath(kCatalogueFileName);
    if (!isCatalogueFile(source))
        return QStringLiteral("バックアップ「%1」のカタログが読めません。").arg(name);

    // The present state is kept first; without that copy nothing is replaced.
    const BackupResult before =
        takeBackupKeeping(dataFolder, Kind::Operation, QStringLiteral("復元"), now, name);
    if (!before.info)
        return QStringLiteral(
                   "いまのカタログのバックアップが取れないため、復元しませんでした（%1）。")
            .arg(before.error);

    const QString memos = memoFolderOf(dataFolder);
    const QString staging =
        memos + QStringLiteral(".restore-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString error = linkFiles(QDir(folder.filePath(name)).filePath(kMemoFolderName), staging);
    if (error.isEmpty())
        error = copyDatabase(source, catalogueFilePath(dataFolder),
                             !QFileInfo::exists(catalogueFilePath(dataFolder)));
    if (!error.isEmpty()) {
        QDir(staging).removeRecursively();
        return QStringLiteral("復元できませんでした（%1）。カタログは元のままです。").arg(error);
    }
    const bool swapped =
        QFileInfo::exists(memos) ? exchangeFolders(staging, memos) : QDir().rename(staging, memos);
    // The memos replaced are kept in the backup just taken.
    QDir(staging).removeRecursively();
    if (!swapped)
        return QStringLiteral("カタログは復元しましたが、手書きメモを戻せませんでした。");
    return {};
}

} // namespace store::backup
