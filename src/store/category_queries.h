#pragma once

#include <optional>

#include <QStringList>

#include "store/title_queries.h"

class SqliteDatabase;

// The category table, without any window: each call throws DbError on an
// engine failure. Names are found under the catalogue's comparison rule
// (text_fold.h); where two stored names compare the same, the exact spelling
// wins.
namespace store
{

// Every category name, in the engine's order; there is no row limit.
QStringList listCategories(SqliteDatabase& db);
// Adds a category. An empty name is refused with DbError, a name that
// compares the same as a stored one with DuplicateName.
void insertCategory(SqliteDatabase& db, const QString& name);
// Removes the category row; false when there was none.
bool deleteCategory(SqliteDatabase& db, const QString& name);
// Every category with its row, in the engine's order.
QList<NamedRow> listCategoryRows(SqliteDatabase& db);
// Removes the category in that row; false when the row is gone.
bool deleteCategoryByRow(SqliteDatabase& db, qint64 row);
// Removes every title of the category in that row, selected as
// listTitleRowsOfCategoryRow() does, all or none; returns how many went.
int deleteTitlesOfCategoryRow(SqliteDatabase& db, qint64 categoryRow);
// Removes every title filed under the category (selected as listTitles does)
// in one statement, so either all of them go or none; returns how many went.
int deleteTitlesOfCategory(SqliteDatabase& db, const QString& name);

// What deleteCategoryWithTitles() removed.
struct CategoryDeletion {
    int titles = 0;
    bool category = false;
};
enum class DeletionStep { Titles, Category };
// Removes the category's titles and then the category in one transaction:
// both or nothing. The category is the one in row when given (its titles
// selected as deleteTitlesOfCategoryRow() does), else the one named. step
// tells, when it throws, which of the two deletes failed.
CategoryDeletion deleteCategoryWithTitles(SqliteDatabase& db, const QString& name,
                                          std::optional<qint64> row, DeletionStep& step);

} // namespace store
