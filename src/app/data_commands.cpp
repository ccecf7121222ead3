#include "app/data_commands.h"

#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include "app/catalogue_choice.h"
#include "app/command_line.h"
#include "app/data_folder.h"
#include "store/backup.h"
#include "store/catalogue_copy.h"
#include "store/catalogue_db.h"
#include "store/export_import.h"

namespace
{

void print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

int listBackups(const QString& dataFolder)
{
    for (const store::backup::BackupInfo& info : store::backup::listBackups(dataFolder))
        print(stdout, QStringLiteral("%1\t%2\t%3\tカテゴリ %4\tタイトル %5\n")
                          .arg(info.name, info.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                               info.reason)
                          .arg(info.categories)
                          .arg(info.titles));
    return 0;
}

int restore(const QString& dataFolder, const QString& name)
{
    const QString error = store::backup::restoreBackup(dataFolder, name);
    if (!error.isEmpty()) {
        print(stderr, error + QLatin1Char('\n'));
        return 1;
    }
    print(stdout, QStringLiteral("バックアップ %1 から復元しました。\n").arg(name));
    return 0;
}

// catalogue: the file or server of this run, empty for the data folder's file.
int exportTo(const QString& dataFolder, const QString& catalogue, const QString& file)
{
    const bool csv = file.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    if (!csv && !file.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive)) {
        print(stderr, QStringLiteral("--export のファイル名は .json か .csv で終えてください。\n"));
        return 2;
    }
    store::transfer::ExportReport report;
    try {
        CatalogueDb db(catalogue.isEmpty() ? catalogueFilePath(dataFolder) : catalogue);
        report =
            csv ? store::transfer::exportCsv(db, file)
                : store::transfer::exportJson(db, file, store::backup::memoFolderOf(dataFolder));
    } catch (const DbError& e) {
        report.error = QString::fromUtf8(e.what());
    }
    for (const QString& line : report.unwritable)
        print(stderr, line + QLatin1Char('\n'));
    if (!report.error.isEmpty()) {
        print(stderr, QStringLiteral("書き出せませんでした（%1）。\n").arg(report.error));
        return 1;
    }
    print(stdout, QStringLiteral(
                      "%1 に書き出しました：カテゴリ %2 件、タイトル %3 件、手書きメモ %4 件。\n")
                      .arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()))
                      .arg(report.categories)
                      .arg(report.titles)
                      .arg(report.memos));
    return report.unwritable.isEmpty() ? 0 : 1;
}

int copy(const QString& from, const QString& to)
{
    QElapsedTimer timer;
    timer.start();
    store::CopyCounts counts;
    try {
        counts = store::copyCatalogue(from, to);
    } catch (const std::exception& e) {
        print(stderr, QStringLiteral("コピーできませんでした（%1）。コピー先は変更していません。\n")
                          .arg(QString::fromUtf8(e.what()).trimmed()));
        return 1;
    }
    print(stdout, QStringLiteral("%1 を %2 にコピーしました：カテゴリ %3 件、タイトル %4 件、"
                                 "手書きメモ %5 件（%6 秒）。\n")
                      .arg(from, to)
                      .arg(counts.categories)
                      .arg(counts.titles)
                      .arg(counts.memos)
                      .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 1));
    return 0;
}

} // namespace

int runDataCommand(const CommandLine& commandLine)
{
    const QString dataFolder = chooseDataFolder(QCoreApplication::applicationDirPath(),
                                                commandLine.dataFolder, userDataFolder());
    if (!commandLine.copyFrom.isEmpty())
        return copy(commandLine.copyFrom, commandLine.copyTo);
    if (commandLine.listBackups)
        return listBackups(dataFolder);
    if (!commandLine.exportFile.isEmpty())
        return exportTo(dataFolder, chooseCatalogue(dataFolder, commandLine.catalogue),
                        commandLine.exportFile);
    return restore(dataFolder, commandLine.restoreName);
}
