#pragma once

#include <QStringList>

class SqliteDatabase;

// The category table, without any window: each call throws DbError on an
// engine failure.
namespace catalogue {

// Every category name, in the engine's order. Throws past kMaxListRows.
QStringList listCategories(SqliteDatabase& db);
// Adds a category. An empty or existing name is refused with DbError.
void insertCategory(SqliteDatabase& db, const QString& name);
// Removes the category row; false when there was none.
bool deleteCategory(SqliteDatabase& db, const QString& name);
// Removes every title filed under the category in one statement, so either
// all of them go or none; returns how many went.
int deleteTitlesOfCategory(SqliteDatabase& db, const QString& name);

} // namespace catalogue
