#pragma once

#include <optional>

#include <QDateTime>
#include <QList>
#include <QString>

// Backups of a local catalogue: each one a folder in バックアップ/ inside the
// data folder, holding a consistent copy of the catalogue file, the memos of
// that moment and a small record (info.json) of when, why and how much. A
// backup is built under a hidden name and takes its own name only when
// whole, so a backup cut short never shows in the list.
namespace store::backup
{

enum class Kind { Operation, Daily };

struct BackupInfo {
    // The folder's name inside バックアップ/, which --restore takes.
    QString name;
    QDateTime when;
    // Why it was taken, in the words the list shows: カテゴリ「…」の削除, 毎日, …
    QString reason;
    Kind kind = Kind::Operation;
    int categories = 0;
    int titles = 0;
};

// How many backups of each kind are kept; older ones are removed.
inline constexpr int kKeptOperationBackups = 20;
inline constexpr int kKeptDailyBackups = 7;

// The reason recorded for a daily backup.
QString dailyReason();

QString backupFolder(const QString& dataFolder);
// The memo folder of a data folder, whose files a backup keeps.
QString memoFolderOf(const QString& dataFolder);

// The outcome of taking a backup: the backup made, or why none was made.
struct BackupResult {
    std::optional<BackupInfo> info;
    QString error;
};

// Copies the catalogue of dataFolder (with SQLite's backup API, so the copy is
// one consistent state even while another connection writes) and hard-links
// its memos (copying where a link is refused) into a new backup, then applies
// the retention. Nothing outside バックアップ/ is written; a failure leaves no
// partial backup behind and removes no older one.
BackupResult takeBackup(const QString& dataFolder, Kind kind, const QString& reason,
                        const QDateTime& now = QDateTime::currentDateTime());

// Takes the daily backup when none was taken on now's date yet; returns
// nullopt when none was due, else the result of takeBackup.
std::optional<BackupResult>
takeDailyBackupIfDue(const QString& dataFolder,
                     const QDateTime& now = QDateTime::currentDateTime());

// Every whole backup, newest first. Folders without a readable record are left
// out (and left alone).
QList<BackupInfo> listBackups(const QString& dataFolder);

// Removes the operation backups beyond the newest kKeptOperationBackups and the
// daily ones beyond the newest kKeptDailyBackups.
void applyRetention(const QString& dataFolder);

// Puts the catalogue and the memos of the backup called name back in place of
// the present ones, after taking a backup of the present state (reason 復元).
// The catalogue is replaced in one transaction; the memo folder is swapped in
// with one rename. Returns an empty text on success, else why nothing was
// restored.
QString restoreBackup(const QString& dataFolder, const QString& name,
                      const QDateTime& now = QDateTime::currentDateTime());

// Counts of categories and titles in the catalogue file at path.
std::pair<int, int> countRows(const QString& cataloguePath);

} // namespace store::backup
