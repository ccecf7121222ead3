#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

#include "store/sqlite_database.h"

// A name refused because one that compares the same under the catalogue's
// comparison rule is already stored.
class DuplicateName : public DbError
{
public:
    using DbError::DbError;
};

// The catalogue file of one operation: opened when the operation starts and
// closed when it returns, so the file is never held while the user works.
// Opening never creates the file; the comparison rule's SQL functions are
// registered on the connection. Throws DbError, also for anything at path
// that is not a plain file (isSpecialFile), which is never opened.
// A path that names a server (isServerCatalogue) connects to it instead, for
// the one operation too; the store's operations then run there.
class CatalogueDb : public SqliteDatabase
{
public:
    explicit CatalogueDb(const QString& path);
};

// The names of the catalogue file and of the memo folder in the data folder,
// as the old program named them, so a folder copied from it works as it is.
inline const QString kCatalogueFileName = QStringLiteral("QUILMO.mdb");
inline const QString kMemoFolderName = QStringLiteral("手書きメモ");

// Where the window's operations find the catalogue: the one chosen for this
// run (setChosenCatalogue), else the file in the data folder.
QString catalogueLocation(const QString& dataFolder);
// Chooses the catalogue of this run: a file path or a server's connection
// string; empty for the file in the data folder.
void setChosenCatalogue(const QString& catalogue);

// The catalogue file in a data folder.
QString catalogueFilePath(const QString& dataFolder);

// First start: creates the file with its three tables and the option row
// 'Memory' = "1" when no file of that name exists. An existing file, whatever
// it holds, is left untouched. Returns false only when creation failed.
bool createCatalogueIfMissing(const QString& path);

// Whether the file at path can be read as a catalogue: a SQLite file that
// holds the three tables with their columns. The file is only read, never
// written, whatever it turns out to be. A file held locked by another program
// counts as a catalogue, since nothing can be said against it. An empty file
// is not a catalogue: it holds no tables.
bool isCatalogueFile(const QString& path);

// Whether a pipe, a device or a socket is at path (links followed): nothing
// the program may open, since opening or reading it can wait for ever.
bool isSpecialFile(const QString& path);

// Removes the staging files that a first start killed midway left beside the
// catalogue at path: regular files named after it with ".new-" and anything
// after, last written before startedAt. A staging file of a first start still
// running now is newer and stays; links and folders of that name stay too.
void removeStaleStagingFiles(const QString& path, const QDateTime& startedAt);
