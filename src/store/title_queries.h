#pragma once

#include <optional>

#include <QList>
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

// A row found by the row itself (its SQLite rowid) with its name as text. The
// row finds the title even where the stored name does not survive the trip
// through text unchanged (bytes that are not UTF-8).
struct NamedRow {
    qint64 row = 0;
    QString name;
    friend bool operator==(const NamedRow&, const NamedRow&) = default;
};

// A title as read: its row, its columns as text, and a stamp of the seven
// columns' stored bytes and types, by which a later write knows whether
// anyone changed the row since.
struct StoredTitle {
    qint64 row = 0;
    TitleRecord record;
    QString stamp;
};

// The outcome of a write that depends on what the editor read.
enum class WriteOutcome { Done, Missing, ChangedSinceRead };

// The title table, without any window: each call throws DbError on an engine
// failure. Lists have no row limit. Names and categories are found under the
// catalogue's comparison rule (text_fold.h); where two stored names compare
// the same, the exact spelling wins.
namespace store
{

// The rows in the catalogue's Japanese name order (japaneseSortKey), as the
// title list shows them whatever the engine.
QList<NamedRow> inJapaneseOrder(QList<NamedRow> rows);

// The names of a category's titles (every spelling of the category the
// typed text selects, as titlesOfCategory() in name_lookup.h says) in the
// Japanese name order of japaneseSortKey().
QStringList listTitles(SqliteDatabase& db, const QString& category);
// The names of a category's titles that contain searchText, matched with the
// catalogue's LIKE language under the comparison rule, in the engine's order.
QStringList searchTitles(SqliteDatabase& db, const QString& category, const QString& searchText);
// The title of that name, as stored.
std::optional<TitleRecord> readTitle(SqliteDatabase& db, const QString& name);
// Adds a title; throws DuplicateName when a name that compares the same
// exists in any category. The title is filed under the spelling of the
// category row its category selects, or as typed where it selects none; the
// updates below do the same.
void insertTitle(SqliteDatabase& db, const TitleRecord& title);
// Whether a title of that name exists.
bool titleExists(SqliteDatabase& db, const QString& name);
// Rewrites the title found by title.name, its name taking that spelling;
// false when none exists.
bool updateTitle(SqliteDatabase& db, const TitleRecord& title);
// Removes the title of that name; false when none exists.
bool deleteTitle(SqliteDatabase& db, const QString& name);

// ---- By row ----------------------------------------------------------------
// The same lists with each title's row, in the same order.
QList<NamedRow> listTitleRows(SqliteDatabase& db, const QString& category);
QList<NamedRow> searchTitleRows(SqliteDatabase& db, const QString& category,
                                const QString& searchText);
// The titles of the category stored in that row of the category table,
// selected as titlesOfCategoryRow() (name_lookup.h) says.
QList<NamedRow> listTitleRowsOfCategoryRow(SqliteDatabase& db, qint64 categoryRow);
QList<NamedRow> searchTitleRowsOfCategoryRow(SqliteDatabase& db, qint64 categoryRow,
                                             const QString& searchText);
// The title in that row, or the title of that name, with its stamp.
std::optional<StoredTitle> readTitleByRow(SqliteDatabase& db, qint64 row);
std::optional<StoredTitle> readStoredTitle(SqliteDatabase& db, const QString& name);
// Rewrites the title in that row. A column whose new text equals the stored
// one as read keeps its stored bytes, so a name that is not UTF-8 survives an
// update of the other fields. A new name that compares the same as another
// title's throws DuplicateName. False when the row is gone.
bool updateTitleByRow(SqliteDatabase& db, qint64 row, const TitleRecord& title);
// Removes the title in that row; false when the row is gone.
bool deleteTitleByRow(SqliteDatabase& db, qint64 row);
// Writes only when the row still holds, byte for byte, what was read:
// Missing when the row is gone, ChangedSinceRead (nothing written) when any
// of its seven columns changed meanwhile. Written as updateTitleByRow does.
// On Done, written (when given) receives the row as this write left it, read
// in the same transaction, which is what the next write checks against.
WriteOutcome updateTitleIfUnchanged(SqliteDatabase& db, const StoredTitle& asRead,
                                    const TitleRecord& title, StoredTitle* written = nullptr);
WriteOutcome deleteTitleIfUnchanged(SqliteDatabase& db, const StoredTitle& asRead);

// ---- Whole catalogue -------------------------------------------------------
// Every title with its row and stamp, in row order, in one read.
QList<StoredTitle> readAllTitles(SqliteDatabase& db);
// One title's new text for the rows that were read as asRead.
struct TitleRewrite {
    StoredTitle asRead;
    TitleRecord title;
};
// Writes every rewrite in one transaction, each only while its row still holds
// what was read (as updateTitleIfUnchanged); a row gone or changed meanwhile is
// skipped and the others are written. Returns the rows written.
QList<qint64> rewriteTitlesIfUnchanged(SqliteDatabase& db, const QList<TitleRewrite>& rewrites);

} // namespace store
