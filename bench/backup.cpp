// Backup, export and import of a 40,000-title catalogue, store only, each
// beside a yardstick measured in the same run: a plain copy of the file for
// the backup, the sqlite3 shell's .dump for the exports, and the shell
// reading that dump into a new file for the import.
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "store/backup.h"
#include "store/catalogue_db.h"
#include "store/export_import.h"
#include "store/sqlite_database.h"

namespace
{

constexpr int kTitles = 40000;
constexpr int kCategories = 40;

struct Catalogue {
    QTemporaryDir folder;
    QString path;
    Catalogue() : path(catalogueFilePath(folder.path()))
    {
        createCatalogueIfMissing(path);
        QDir(folder.path()).mkpath(store::backup::memoFolderOf(folder.path()));
        SqliteDatabase db(path);
        db.transaction([&] {
            auto category = db.prepare(QStringLiteral("INSERT INTO カテゴリ VALUES (?)"));
            for (int i = 0; i < kCategories; ++i) {
                category.bind(1, QStringLiteral("カテゴリ%1").arg(i)).step();
                category.reset();
            }
            auto insert =
                db.prepare(QStringLiteral("INSERT INTO タイトル VALUES (?, ?, ?, ?, ?, ' ', ' ')"));
            for (int i = 0; i < kTitles; ++i) {
                insert.bind(1, QStringLiteral("タイトル「%1」, \"見本\"").arg(i))
                    .bind(
                        2,
                        QStringLiteral("説明の一行目 %1\r\n二行目はもう少し長く書いておく").arg(i))
                    .bind(3, QStringLiteral("/home/user/画像/%1.png").arg(i))
                    .bind(4, QStringLiteral("/home/user/文書/%1.ods\r\n").arg(i))
                    .bind(5, QStringLiteral("カテゴリ%1").arg(i % kCategories))
                    .step();
                insert.reset();
            }
        });
    }
};

Catalogue& catalogue()
{
    static Catalogue shared;
    return shared;
}

void runShell(benchmark::State& state, const QString& command)
{
    if (std::system(command.toLocal8Bit().constData()) != 0)
        state.SkipWithError("sqlite3 shell failed");
}

void BM_Backup(benchmark::State& state)
{
    Catalogue& c = catalogue();
    for (auto _ : state) {
        const store::backup::BackupResult result = store::backup::takeBackup(
            c.folder.path(), store::backup::Kind::Operation, QStringLiteral("bench"));
        if (!result.info)
            state.SkipWithError("backup failed");
        state.PauseTiming();
        QDir(store::backup::backupFolder(c.folder.path())).removeRecursively();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond);

void BM_YardstickFileCopy(benchmark::State& state)
{
    Catalogue& c = catalogue();
    const QString copy = c.folder.filePath(QStringLiteral("copy.mdb"));
    for (auto _ : state) {
        QFile::copy(c.path, copy);
        state.PauseTiming();
        QFile::remove(copy);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_YardstickFileCopy)->Unit(benchmark::kMillisecond);

// The same copy made durable, as a backup must be before it counts.
void BM_YardstickFileCopySynced(benchmark::State& state)
{
    Catalogue& c = catalogue();
    const QString copy = c.folder.filePath(QStringLiteral("copy.mdb"));
    for (auto _ : state) {
        QFile::copy(c.path, copy);
        QFile file(copy);
        file.open(QIODevice::ReadOnly);
        ::fsync(file.handle());
        file.close();
        state.PauseTiming();
        QFile::remove(copy);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_YardstickFileCopySynced)->Unit(benchmark::kMillisecond);

void BM_ExportJson(benchmark::State& state)
{
    Catalogue& c = catalogue();
    for (auto _ : state) {
        CatalogueDb db(c.path);
        store::transfer::exportJson(db, c.folder.filePath(QStringLiteral("out.json")), QString());
    }
}
BENCHMARK(BM_ExportJson)->Unit(benchmark::kMillisecond);

void BM_ExportCsv(benchmark::State& state)
{
    Catalogue& c = catalogue();
    for (auto _ : state) {
        CatalogueDb db(c.path);
        store::transfer::exportCsv(db, c.folder.filePath(QStringLiteral("out.csv")));
    }
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond);

void BM_YardstickSqliteDump(benchmark::State& state)
{
    Catalogue& c = catalogue();
    const QString command = QStringLiteral("sqlite3 '%1' .dump > '%2'")
                                .arg(c.path, c.folder.filePath(QStringLiteral("dump.sql")));
    for (auto _ : state)
        runShell(state, command);
}
BENCHMARK(BM_YardstickSqliteDump)->Unit(benchmark::kMillisecond);

void BM_ImportJson(benchmark::State& state)
{
    Catalogue& c = catalogue();
    const QString json = c.folder.filePath(QStringLiteral("in.json"));
    {
        CatalogueDb db(c.path);
        store::transfer::exportJson(db, json, QString());
    }
    const QString target = c.folder.filePath(QStringLiteral("target/QUILMO.mdb"));
    QDir(c.folder.path()).mkpath(QStringLiteral("target"));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target);
        createCatalogueIfMissing(target);
        state.ResumeTiming();
        const store::transfer::ImportData data = store::transfer::readImportFile(json);
        CatalogueDb db(target);
        if (store::transfer::runImport(db, data, QString()).titles != kTitles)
            state.SkipWithError("import incomplete");
    }
}
BENCHMARK(BM_ImportJson)->Unit(benchmark::kMillisecond);

void BM_YardstickSqliteLoadDump(benchmark::State& state)
{
    Catalogue& c = catalogue();
    const QString dump = c.folder.filePath(QStringLiteral("load.sql"));
    runShell(state, QStringLiteral("sqlite3 '%1' .dump > '%2'").arg(c.path, dump));
    const QString target = c.folder.filePath(QStringLiteral("loaded.db"));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
        runShell(state, QStringLiteral("sqlite3 '%1' < '%2'").arg(target, dump));
    }
}
BENCHMARK(BM_YardstickSqliteLoadDump)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
