#pragma once

#include <QString>

#include "platform/database.h"

// Every list the catalogue reads is counted in 16 bits: a longer result is an
// overflow and takes the operation's failure path.
constexpr int kMaxListRows = 32767;

// The catalogue file of one operation: opened when the operation starts and
// closed when it returns, so the file is never held while the user works.
// Opening never creates the file. Throws DbError.
class CatalogueDb : public SqliteDatabase {
public:
    explicit CatalogueDb(const QString& path);
};

// The catalogue file in a program folder.
QString catalogueFilePath(const QString& programFolder);

// First start: creates the file with its three tables and the option row
// 'Memory' = "1" when no file of that name exists. An existing file, whatever
// it holds, is left untouched. Returns false only when creation failed.
bool createCatalogueIfMissing(const QString& path);

// Throws DbError when a list has outgrown the 16-bit row counter.
void checkListSize(qsizetype rows);
