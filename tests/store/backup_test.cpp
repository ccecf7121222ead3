#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "store/backup.h"
#include "store/catalogue_db.h"
#include "store/category_queries.h"
#include "store/title_queries.h"

namespace
{

class BackupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(createCatalogueIfMissing(catalogue()));
        ASSERT_TRUE(QDir().mkpath(store::backup::memoFolderOf(folder())));
    }

    QString folder() const { return m_dir.path(); }
    QString catalogue() const { return catalogueFilePath(folder()); }

    // Adds titles with plain statements in one transaction, so a writer on
    // another connection commits them all at once.
    static void insertTitles(SqliteDatabase& db, const QString& category, int count,
                             const QString& prefix, const QString& description, int holdMs = 0)
    {
        db.transaction([&] {
            db.prepare(QStringLiteral("INSERT OR IGNORE INTO カテゴリ VALUES (?)"))
                .bind(1, category)
                .step();
            SqliteStatement insert = db.prepare(QStringLiteral(
                "INSERT INTO タイトル VALUES (?, ?, ' ', '/a/b' || char(13, 10), ?, ' ', ' ')"));
            for (int i = 0; i < count; ++i) {
                insert.bind(1, prefix + QString::number(i)).bind(2, description).bind(3, category);
                insert.step();
                insert.reset();
            }
            // Held open a while, as a slower writer would.
            std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
        });
    }

    void addTitles(const QString& category, int count, const QString& prefix)
    {
        SqliteDatabase db(catalogue());
        insertTitles(db, category, count, prefix, QStringLiteral("説明\r\n二行目"));
    }

    // Every row of both tables, as stored.
    QStringList allRows()
    {
        SqliteDatabase db(catalogue());
        QStringList rows;
        for (const QString& query :
             {QStringLiteral("SELECT カテゴリ名 FROM カテゴリ ORDER BY 1"),
              QStringLiteral("SELECT タイトル名 || '|' || 説明 || '|' || カテゴリ名 FROM タイトル "
                             "ORDER BY 1")}) {
            SqliteStatement statement = db.prepare(query);
            while (statement.step())
                rows << statement.text(0);
        }
        return rows;
    }

    // Saves a memo as the program does: a new file renamed over the old.
    void saveMemo(const QString& title, const QByteArray& content)
    {
        const QString path = store::backup::memoFolderOf(folder()) + QLatin1Char('/') + title +
                             QStringLiteral(".ole");
        QFile staged(path + QStringLiteral(".tmp"));
        ASSERT_TRUE(staged.open(QIODevice::WriteOnly));
        staged.write(content);
        staged.close();
        ASSERT_EQ(::rename(QFile::encodeName(staged.fileName()).constData(),
                           QFile::encodeName(path).constData()),
                  0);
    }

    QByteArray memo(const QString& title)
    {
        QFile file(store::backup::memoFolderOf(folder()) + QLatin1Char('/') + title +
                   QStringLiteral(".ole"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
    }

    QByteArray fileHash(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly)
                   ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                   : QByteArray();
    }

    QStringList backupNames()
    {
        QStringList names;
        for (const store::backup::BackupInfo& info : store::backup::listBackups(folder()))
            names << info.name;
        return names;
    }

    QTemporaryDir m_dir;
};

const QDateTime kStart(QDate(2026, 3, 1), QTime(9, 0));

// Each row: how many operation and daily backups are taken, a day apart each,
// and which of them the list keeps afterwards (newest first, by their number).
TEST_F(BackupTest, RetentionKeepsTheNewestOfEachKind)
{
    struct Row {
        int operations;
        int dailies;
        int keptOperations;
        int keptDailies;
    };
    const Row rows[] = {{0, 0, 0, 0}, {1, 0, 1, 0}, {20, 0, 20, 0}, {21, 0, 20, 0},
                        {0, 7, 0, 7}, {0, 8, 0, 7}, {25, 9, 20, 7}, {20, 7, 20, 7}};
    for (const Row& row : rows) {
        SCOPED_TRACE(QStringLiteral("%1 operations, %2 dailies")
                         .arg(row.operations)
                         .arg(row.dailies)
                         .toStdString());
        QDir(store::backup::backupFolder(folder())).removeRecursively();
        const int total = std::max(row.operations, row.dailies);
        for (int i = 0; i < total; ++i) {
            const QDateTime when = kStart.addDays(i);
            const store::backup::Kind kinds[] = {store::backup::Kind::Operation,
                                                 store::backup::Kind::Daily};
            for (const store::backup::Kind kind : kinds) {
                const bool daily = kind == store::backup::Kind::Daily;
                if (i >= (daily ? row.dailies : row.operations))
                    continue;
                ASSERT_TRUE(store::backup::takeBackup(folder(), kind,
                                                      daily ? store::backup::dailyReason()
                                                            : QStringLiteral("op%1").arg(i),
                                                      daily ? when.addSecs(60) : when)
                                .info);
            }
        }
        QStringList expected;
        QStringList kept;
        for (const store::backup::BackupInfo& info : store::backup::listBackups(folder()))
            kept << (info.kind == store::backup::Kind::Daily ? QStringLiteral("d") : info.reason) +
                        info.when.toString(QStringLiteral("MMdd"));
        for (int i = total - 1; i >= 0; --i) {
            const QString day = kStart.addDays(i).toString(QStringLiteral("MMdd"));
            if (i < row.dailies && i >= row.dailies - row.keptDailies)
                expected << QStringLiteral("d") + day;
            if (i < row.operations && i >= row.operations - row.keptOperations)
                expected << QStringLiteral("op%1").arg(i) + day;
        }
        EXPECT_EQ(kept, expected);
    }
}

TEST_F(BackupTest, DailyBackupIsTakenOncePerDate)
{
    EXPECT_TRUE(store::backup::takeDailyBackupIfDue(folder(), kStart));
    EXPECT_FALSE(store::backup::takeDailyBackupIfDue(folder(), kStart.addSecs(3600)));
    // An operation backup that day is no daily one.
    ASSERT_TRUE(store::backup::takeBackup(folder(), store::backup::Kind::Operation,
                                          QStringLiteral("x"), kStart.addDays(1))
                    .info);
    EXPECT_TRUE(store::backup::takeDailyBackupIfDue(folder(), kStart.addDays(1).addSecs(10)));
    EXPECT_EQ(backupNames().size(), 3);
}

// Another connection commits ten titles per transaction the whole time; every
// backup holds a whole number of those transactions, passes the engine's own
// check and records the counts it holds.
TEST_F(BackupTest, BackupWhileAnotherConnectionWritesIsOneCommittedState)
{
    addTitles(QStringLiteral("c"), 10, QStringLiteral("seed"));
    std::atomic<bool> stop = false;
    std::thread writer([&] {
        SqliteDatabase db(catalogue());
        for (int round = 0; !stop; ++round)
            insertTitles(db, QStringLiteral("c"), 10, QStringLiteral("w%1-").arg(round),
                         QString(5000, QLatin1Char('x')), 3);
    });
    QList<int> seen;
    for (int i = 0; i < 6; ++i) {
        const store::backup::BackupResult result = store::backup::takeBackup(
            folder(), store::backup::Kind::Operation, QStringLiteral("r"), kStart.addSecs(i));
        ASSERT_TRUE(result.info) << result.error.toStdString();
        const QString copy = store::backup::backupFolder(folder()) + QLatin1Char('/') +
                             result.info->name + QStringLiteral("/QUILMO.mdb");
        SqliteDatabase db(copy);
        SqliteStatement check = db.prepare(QStringLiteral("PRAGMA integrity_check"));
        ASSERT_TRUE(check.step());
        EXPECT_EQ(check.text(0), QStringLiteral("ok"));
        EXPECT_EQ(store::backup::countRows(copy).second, result.info->titles);
        EXPECT_EQ(result.info->titles % 10, 0);
        seen << result.info->titles;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    stop = true;
    writer.join();
    EXPECT_GT(seen.last(), seen.first());
}

// A category deleted with its titles and a memo saved since come back as they
// were; the state replaced is itself kept as a backup first.
TEST_F(BackupTest, RestoreAfterCategoryDeleteBringsEveryTitleAndMemoBack)
{
    addTitles(QStringLiteral("消す"), 50, QStringLiteral("t"));
    addTitles(QStringLiteral("残す"), 3, QStringLiteral("k"));
    saveMemo(QStringLiteral("t1"), "old picture");
    const QStringList before = allRows();
    const store::backup::BackupResult taken = store::backup::takeBackup(
        folder(), store::backup::Kind::Operation, QStringLiteral("カテゴリ「消す」の削除"), kStart);
    ASSERT_TRUE(taken.info);
    EXPECT_EQ(taken.info->categories, 2);
    EXPECT_EQ(taken.info->titles, 53);
    {
        CatalogueDb db(catalogue());
        store::deleteTitlesOfCategory(db, QStringLiteral("消す"));
        store::deleteCategory(db, QStringLiteral("消す"));
    }
    saveMemo(QStringLiteral("t1"), "new picture");
    saveMemo(QStringLiteral("k0"), "added later");

    EXPECT_EQ(store::backup::restoreBackup(folder(), taken.info->name, kStart.addSecs(60)),
              QString());
    EXPECT_EQ(allRows(), before);
    EXPECT_EQ(memo(QStringLiteral("t1")), QByteArray("old picture"));
    EXPECT_EQ(memo(QStringLiteral("k0")), QByteArray("missing"));
    const QList<store::backup::BackupInfo> list = store::backup::listBackups(folder());
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].reason, QStringLiteral("復元"));
    EXPECT_EQ(list[0].titles, 3);
    EXPECT_EQ(list[1].name, taken.info->name);
    // Restoring the backup of the moment before brings the deletion back.
    EXPECT_EQ(store::backup::restoreBackup(folder(), list[0].name, kStart.addSecs(120)), QString());
    EXPECT_EQ(memo(QStringLiteral("t1")), QByteArray("new picture"));
    EXPECT_EQ(store::backup::countRows(catalogue()), std::make_pair(1, 3));

    for (const QString& name : {QStringLiteral("../x"), QStringLiteral("nothing"), QString()})
        EXPECT_FALSE(store::backup::restoreBackup(folder(), name).isEmpty());
    EXPECT_EQ(store::backup::countRows(catalogue()), std::make_pair(1, 3));
}

// A disk with no room left: the backup fails, says so, leaves the catalogue
// byte for byte and removes none of the backups already there.
TEST_F(BackupTest, FailedBackupLeavesCatalogueAndOlderBackupsAlone)
{
    addTitles(QStringLiteral("c"), 3000, QStringLiteral("t"));
    saveMemo(QStringLiteral("t1"), QByteArray(200000, 'm'));
    for (int i = 0; i < store::backup::kKeptOperationBackups; ++i)
        ASSERT_TRUE(store::backup::takeBackup(folder(), store::backup::Kind::Operation,
                                              QStringLiteral("x"), kStart.addSecs(i))
                        .info);
    const QStringList names = backupNames();
    const QByteArray hash = fileHash(catalogue());

    for (const rlim_t limit : {rlim_t(4096), rlim_t(60000)}) {
        const pid_t child = fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit lowered{limit, limit};
            if (setrlimit(RLIMIT_FSIZE, &lowered) != 0)
                _exit(3);
            const store::backup::BackupResult result = store::backup::takeBackup(
                folder(), store::backup::Kind::Operation, QStringLiteral("y"), kStart.addDays(1));
            _exit(!result.info && !result.error.isEmpty() ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << limit;
        EXPECT_EQ(fileHash(catalogue()), hash);
        EXPECT_EQ(backupNames(), names);
        EXPECT_EQ(QDir(store::backup::backupFolder(folder()))
                      .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                      .size(),
                  names.size());
    }
}

} // namespace
