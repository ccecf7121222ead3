#pragma once

#include <optional>

#include <QString>
#include <QStringList>

class SqliteDatabase;

// One row of the title table. A column holding no value reads as empty.
struct TitleRecord {
    QString name;
    QString description;
    QString thumbnailPath;
    QString linkTargets;
    QString workingFolder;
    QString launchOptions;
    QString category;
};

// The title table, without any window: each call throws DbError on an engine
// failure. Lists have no row limit. Names and categories are found under the
// catalogue's comparison rule (text_rule.h); where two stored names compare
// the same, the exact spelling wins.
namespace catalogue {

// The names of a category's titles in the Japanese name order of
// japaneseSortKey().
QStringList listTitles(SqliteDatabase& db, const QString& category);
// The names of a category's titles that contain searchText, matched with the
// catalogue's LIKE language under the comparison rule, in the engine's order.
QStringList searchTitles(SqliteDatabase& db, const QString& category, const QString& searchText);
// The title of that name, as stored.
std::optional<TitleRecord> readTitle(SqliteDatabase& db, const QString& name);
// Adds a title; throws DuplicateName when a name that compares the same
// exists in any category.
void insertTitle(SqliteDatabase& db, const TitleRecord& title);
// Whether a title of that name exists.
bool titleExists(SqliteDatabase& db, const QString& name);
// Rewrites the title found by title.name, its name taking that spelling;
// false when none exists.
bool updateTitle(SqliteDatabase& db, const TitleRecord& title);
// Removes the title of that name; false when none exists.
bool deleteTitle(SqliteDatabase& db, const QString& name);

} // namespace catalogue
